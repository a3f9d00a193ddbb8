#include "settings/settings_tab.h"

#include "gui/disabled_style.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"
#include "store/report_details.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kEdit = QStringLiteral("Edit");
const QString kSave = QStringLiteral("Save");

// A box of an Edit/Save group: disabled, in the sky blue of waiting boxes,
// until its group is edited.
template <class W> W* waitingBox(const char* objectName, const QString& hint)
{
    W* box = FormLayout::named<W>(objectName, hint);
    box->setEnabled(false);
    DisabledStyle::apply(box);
    return box;
}

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

SettingsTab::SettingsTab(TabHost& host)
    : TabPage(host, "TabSheet8", QStringLiteral("System"))
{
    m_groups = waitingBox<QPlainTextEdit>(
        "mGroups", QStringLiteral("Enter the group names (one per line) in which drivers will be grouped  on reports"));
    m_activities = waitingBox<QPlainTextEdit>("mActivities",
        QStringLiteral("Enter the names of activities which can be used to reflect enterprise-relevant areas of work"));

    // The designed arrangement: identity and organisation side by side, the
    // two name lists and the autoload settings under them. Extra room goes
    // to the memos.
    auto* top = new QHBoxLayout;
    top->addWidget(buildProjectDetail(), 450);
    top->addWidget(buildOrgStructure(), 446);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(
        buildNameList(QStringLiteral("Custom Driver Group Names "), "GroupBox5", m_groups, "hEdit5", m_groupNames),
        300);
    bottom->addWidget(
        buildNameList(QStringLiteral("Custom Activity Names "), "GroupBox6", m_activities, "hEdit6", m_activityNames),
        300);
    bottom->addWidget(buildAutoload(), 288);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 8);
    page->addLayout(top, 25);
    page->addLayout(bottom, 19);
    page->addWidget(buildReportDetails(), 19);

    m_projectDetail.write = [this](Table& system) {
        system.setText(field("AssID"), m_assId->text());
        system.setText(field("Assessment"), m_assessment->text());
        system.setText(field("Description"), Text::memo(m_description));
    };
    m_projectDetail.saved = [this] {
        const Table& system = assessment().system();
        Q_EMIT identityChanged(system.text(field("Assessment")), system.text(field("Description")));
    };
    m_orgStructure.write = [this](Table& system) {
        system.setText(field("Enterprise"), m_enterprise->text());
        system.setText(field("Divisions"), Text::memo(m_divisions));
    };
    m_orgStructure.saved = [this] { Q_EMIT divisionsChanged(LineList::split(Text::memo(m_divisions))); };
    m_groupNames.write = [this](Table& system) { system.setText(field("Groups"), Text::memo(m_groups)); };
    m_activityNames.write = [this](Table& system) { system.setText(field("Activities"), Text::memo(m_activities)); };
    // The report details are kept beside the System record, not in it.
    m_reportDetails.write = [this](Table&) {
        ReportDetailsStore::write(assessment().store(),
            { m_releasedBy->text(), m_contact->text(), m_address->text(), Text::memo(m_commentary),
                Text::memo(m_disclaimer) });
    };
    for (EditGroup* group : editGroups())
        watchTyping(*group);
}

std::array<SettingsTab::EditGroup*, 5> SettingsTab::editGroups()
{
    return { &m_projectDetail, &m_orgStructure, &m_groupNames, &m_activityNames, &m_reportDetails };
}

void SettingsTab::watchTyping(EditGroup& group)
{
    const auto typed = [this, &group] {
        if (!m_filling && isEditing(group))
            group.edited = true;
    };
    for (QWidget* box : group.boxes) {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            connect(line, &QLineEdit::textChanged, this, typed);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
            connect(memo, &QPlainTextEdit::textChanged, this, typed);
    }
}

QGroupBox* SettingsTab::buildProjectDetail()
{
    using namespace FormLayout;
    m_assId = waitingBox<QLineEdit>("eAssId", QStringLiteral("Enter the assessment short name"));
    m_assId->setFixedWidth(150);
    m_assessment = waitingBox<QLineEdit>("eAssessment", QStringLiteral("Enter the assessment long name"));
    m_assessment->setMinimumWidth(240);
    m_description
        = waitingBox<QPlainTextEdit>("mDescription", QStringLiteral("Enter the full description of the assessment"));
    FieldLimits::limit(m_assId, "System", "AssID");
    FieldLimits::limit(m_assessment, "System", "Assessment");

    QGroupBox* box = group(QStringLiteral("Project Detail "), "GroupBox2");
    auto* form = new QGridLayout(box);
    addField(form, 0, 0, QStringLiteral("Assessment Id: "), m_assId);
    form->itemAtPosition(0, 1)->setAlignment(Qt::AlignLeft);
    m_projectDetail.label = link(kEdit, "hEdit2", [this] { editOrSave(m_projectDetail); });
    form->addWidget(m_projectDetail.label, 0, 2, Qt::AlignRight | Qt::AlignTop);
    addField(form, 1, 0, QStringLiteral("Assessment Name: "), m_assessment);
    form->addWidget(new QLabel(QStringLiteral("Description ")), 2, 0, 1, 3);
    form->addWidget(m_description, 3, 0, 1, 3);
    form->setColumnStretch(1, 1);
    form->setRowStretch(3, 1);
    m_projectDetail.boxes = { m_assId, m_assessment, m_description };
    m_projectDetail.focus = m_assessment;
    return box;
}

QGroupBox* SettingsTab::buildOrgStructure()
{
    using namespace FormLayout;
    m_enterprise = waitingBox<QLineEdit>("eEnterprise", QStringLiteral("Enter the enterprise name"));
    m_enterprise->setMinimumWidth(200);
    m_divisions = waitingBox<QPlainTextEdit>(
        "mBusinessDivs", QStringLiteral("Enter thedivisions within the enterprise, one per line"));
    FieldLimits::limit(m_enterprise, "System", "Enterprise");

    QGroupBox* box = group(QStringLiteral("Org Structure "), "GroupBox3");
    auto* form = new QGridLayout(box);
    addField(form, 0, 0, QStringLiteral("Enterprise Name "), m_enterprise);
    m_orgStructure.label = link(kEdit, "hEdit3", [this] { editOrSave(m_orgStructure); });
    form->addWidget(m_orgStructure.label, 0, 2, Qt::AlignRight | Qt::AlignTop);
    form->addWidget(new QLabel(QStringLiteral("Business Divisions ")), 1, 0, 1, 3);
    form->addWidget(m_divisions, 2, 0, 1, 3);
    form->setColumnStretch(1, 1);
    form->setRowStretch(2, 1);
    m_orgStructure.boxes = { m_enterprise, m_divisions };
    m_orgStructure.focus = m_enterprise;
    return box;
}

QGroupBox* SettingsTab::buildNameList(
    const QString& caption, const char* groupName, QPlainTextEdit* names, const char* labelName, EditGroup& group)
{
    QGroupBox* box = FormLayout::group(caption, groupName);
    group.label = link(kEdit, labelName, [this, &group] { editOrSave(group); });
    group.boxes = { names };
    auto* column = new QVBoxLayout(box);
    column->addWidget(group.label, 0, Qt::AlignRight);
    column->addWidget(names, 1);
    return box;
}

QGroupBox* SettingsTab::buildAutoload()
{
    QGroupBox* box = FormLayout::group(QStringLiteral("Autload "), "GroupBox8");
    m_controlSet = { new QCheckBox(QStringLiteral("Control Set")), FormLayout::named<QLineEdit>("eAutoControlFile"),
        "AutoControlFile", "AutoControl" };
    m_controlSet.check->setObjectName(QStringLiteral("cbAutoControl"));
    m_attributeSet = { new QCheckBox(QStringLiteral("Attribute Set")),
        FormLayout::named<QLineEdit>("eAutoAttributeFile"), "AutoAttributeFile", "AutoAttribute" };
    m_attributeSet.check->setObjectName(QStringLiteral("cbAutoAttribute"));

    auto* column = new QVBoxLayout(box);
    column->addWidget(m_controlSet.check);
    column->addLayout(
        autoloadFile(m_controlSet, "bbBrowseControl", QStringLiteral("Choose the control set spreadsheet")));
    column->addSpacing(12);
    column->addWidget(m_attributeSet.check);
    column->addLayout(
        autoloadFile(m_attributeSet, "bbBrowseAttribute", QStringLiteral("Choose the attribute set spreadsheet")));
    column->addStretch(1);
    return box;
}

// Who releases the reports and for whom they are prepared, the analyst's
// commentary and the disclaimer: the single lines on the left, the two memos
// side by side on the right.
QGroupBox* SettingsTab::buildReportDetails()
{
    using namespace FormLayout;
    m_releasedBy = waitingBox<QLineEdit>("eReleasedBy", QStringLiteral("The name the reports give as released by"));
    m_contact = waitingBox<QLineEdit>("eContact", QStringLiteral("The person the reports are prepared for"));
    m_address = waitingBox<QLineEdit>("eAddress", QStringLiteral("The address the reports are prepared for"));
    m_commentary = waitingBox<QPlainTextEdit>(
        "mCommentary", QStringLiteral("The analyst's commentary on the results, printed in both reports"));
    m_disclaimer = waitingBox<QPlainTextEdit>(
        "mDisclaimer", QStringLiteral("The disclaimer printed in both reports; a default one is given"));
    for (QLineEdit* line : { m_releasedBy, m_contact, m_address })
        line->setMinimumWidth(200);

    QGroupBox* box = group(QStringLiteral("Report Details "), "GroupBox22");
    auto* form = new QGridLayout(box);
    addField(form, 0, 0, QStringLiteral("Released by "), m_releasedBy);
    addField(form, 1, 0, QStringLiteral("Contact "), m_contact);
    addField(form, 2, 0, QStringLiteral("Address "), m_address);
    form->addWidget(new QLabel(QStringLiteral("Analyst commentary ")), 0, 2);
    form->addWidget(m_commentary, 1, 2, 3, 1);
    form->addWidget(new QLabel(QStringLiteral("Disclaimer ")), 0, 3);
    form->addWidget(m_disclaimer, 1, 3, 3, 1);
    m_reportDetails.label = link(kEdit, "hEdit7", [this] { editOrSave(m_reportDetails); });
    form->addWidget(m_reportDetails.label, 0, 4, Qt::AlignRight | Qt::AlignTop);
    form->setColumnStretch(1, 2);
    form->setColumnStretch(2, 3);
    form->setColumnStretch(3, 3);
    form->setRowStretch(3, 1);
    m_reportDetails.boxes = { m_releasedBy, m_contact, m_address, m_commentary, m_disclaimer };
    m_reportDetails.focus = m_releasedBy;
    return box;
}

// The file editor and browse button of an autoload row. A change of the
// check box stores the row; typing into the editor stores nothing by itself.
QLayout* SettingsTab::autoloadFile(const AutoloadRow& row, const char* browseName, const QString& browseHint)
{
    FieldLimits::limit(row.file, "System", row.fileField);
    auto* button = FormLayout::named<QToolButton>(browseName, browseHint);
    button->setText(QStringLiteral("..."));
    connect(button, &QToolButton::clicked, this, [this, &row] { run([this, &row] { browse(row); }); });
    // A click the store refuses (a read-only store) leaves the box as stored.
    connect(row.check, &QCheckBox::toggled, this, [this, &row] {
        if (!host().runCommand([this, &row] { storeAutoload(row); }))
            run([this] { showStored(); });
    });
    // A path wider than the box shows whole in its tooltip.
    connect(row.file, &QLineEdit::textChanged, row.file,
        [file = row.file](const QString& path) { file->setToolTip(path); });
    auto* line = new QHBoxLayout;
    line->addWidget(row.file, 1);
    line->addWidget(button);
    return line;
}

void SettingsTab::tabShown()
{
    showStored();
    blankStatus();
}

void SettingsTab::showStored()
{
    const Table& system = assessment().system();
    m_filling = true;
    const auto filled = qScopeGuard([this] { m_filling = false; });
    m_assId->setText(system.text(field("AssID")));
    m_assessment->setText(system.text(field("Assessment")));
    Text::setMemo(m_description, system.text(field("Description")));
    m_enterprise->setText(system.text(field("Enterprise")));
    Text::setMemo(m_divisions, system.text(field("Divisions")));
    Text::setMemo(m_groups, system.text(field("Groups")));
    Text::setMemo(m_activities, system.text(field("Activities")));
    const ReportDetails details = ReportDetailsStore::read(assessment().store());
    m_releasedBy->setText(details.releasedBy);
    m_contact->setText(details.contact);
    m_address->setText(details.address);
    Text::setMemo(m_commentary, details.commentary);
    Text::setMemo(m_disclaimer, details.disclaimer);
    for (const AutoloadRow* row : { &m_controlSet, &m_attributeSet }) {
        row->file->setText(system.text(field(row->fileField)));
        const QSignalBlocker quiet(row->check);
        row->check->setChecked(system.boolean(field(row->flagField)));
    }
    for (EditGroup* group : editGroups())
        group->edited = false;
}

bool SettingsTab::hasPendingEdits() const
{
    for (const EditGroup* group :
        { &m_projectDetail, &m_orgStructure, &m_groupNames, &m_activityNames, &m_reportDetails })
        if (isEditing(*group) && group->edited)
            return true;
    return false;
}

bool SettingsTab::offerPendingEdits()
{
    if (!hasPendingEdits() || RecordEditor::holdingEdits())
        return true;
    if (!dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes))
        return host().runCommand([this] { assessmentReplaced(); });
    return host().runCommand([this] { save(); });
}

// Groups being edited go back to showing what the store holds.
void SettingsTab::assessmentReplaced()
{
    if (hasPendingEdits() && RecordEditor::holdingEdits())
        return;
    for (EditGroup* group : editGroups())
        stopEditing(*group);
    showStored();
}

void SettingsTab::stopEditing(EditGroup& group)
{
    for (QWidget* box : group.boxes)
        box->setEnabled(false);
    group.label->setText(kEdit);
}

void SettingsTab::save()
{
    for (EditGroup* group : editGroups())
        if (isEditing(*group))
            saveGroup(*group);
}

bool SettingsTab::isEditing(const EditGroup& group)
{
    return group.label->text() != kEdit;
}

void SettingsTab::editOrSave(EditGroup& group)
{
    if (isEditing(group)) {
        saveGroup(group);
        return;
    }
    for (QWidget* box : group.boxes)
        box->setEnabled(true);
    if (group.focus)
        group.focus->setFocus();
    group.label->setText(kSave);
}

// Writes the group's boxes as they read now, even unchanged; when the write
// fails the group stays in editing with what was typed.
void SettingsTab::saveGroup(EditGroup& group)
{
    setStatus(QStringLiteral("Saving                  "));
    Table& system = assessment().system();
    system.edit();
    group.write(system);
    system.post();
    stopEditing(group);
    group.edited = false;
    if (group.saved)
        group.saved();
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}

void SettingsTab::storeAutoload(const AutoloadRow& row)
{
    Table& system = assessment().system();
    system.edit();
    system.setText(field(row.fileField), row.file->text());
    system.setBoolean(field(row.flagField), row.check->isChecked());
    system.post();
}

void SettingsTab::browse(const AutoloadRow& row)
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = kSpreadsheetSetFilter;
    request.defaultSuffix = QStringLiteral("xlsx");
    request.kind = Dialogs::FileKind::CatalogueSet;
    const QString path = dialogs().openFile(request);
    if (path.isEmpty())
        return;
    // Cut to the setting's width, the path would name no file at all.
    const int width = FieldLimits::width("System", row.fileField);
    if (path.size() > width)
        throw QuarrixError(QStringLiteral("The path of the chosen file is %1 characters long; the autoload setting "
                                          "holds at most %2. Move the file to a shorter path:\n%3")
                               .arg(path.size())
                               .arg(width)
                               .arg(path));
    row.file->setText(path);
    storeAutoload(row);
}
