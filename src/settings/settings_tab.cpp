#include "settings/settings_tab.h"

#include "gui/form_controls_widget.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

QGroupBox* group(const QString& caption, const char* name, const QRect& g, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(g);
    return box;
}

}

SettingsTab::SettingsTab(TabHost& host)
    : TabPage(host, "TabSheet8", QStringLiteral("System"))
{
    auto* project = group(QStringLiteral("Project Detail "), "GroupBox2", QRect(8, 6, 450, 250), this);
    FormControls::caption(QStringLiteral("Assessment Id: "), QRect(10, 26, 120, 16), project);
    m_assId = FormControls::placeDisabled<QLineEdit>(
        "eAssId", QStringLiteral("Enter the assessment short name"), QRect(130, 22, 150, 22), project);
    FormControls::caption(QStringLiteral("Assessment Name: "), QRect(10, 54, 120, 16), project);
    m_assessment = FormControls::placeDisabled<QLineEdit>(
        "eAssessment", QStringLiteral("Enter the assessment long name"), QRect(130, 50, 310, 22), project);
    FormControls::caption(QStringLiteral("Description "), QRect(10, 80, 120, 16), project);
    m_description = FormControls::placeDisabled<QPlainTextEdit>("mDescription",
        QStringLiteral("Enter the full description of the assessment"), QRect(10, 98, 430, 142), project);
    m_project.label = new LinkLabel(QStringLiteral("Edit"), "hEdit2", project);
    m_project.label->setGeometry(400, 22, 40, 18);
    m_project.boxes = { m_assId, m_assessment, m_description };

    auto* org = group(QStringLiteral("Org Structure "), "GroupBox3", QRect(466, 6, 446, 250), this);
    FormControls::caption(QStringLiteral("Enterprise Name "), QRect(10, 26, 120, 16), org);
    m_enterprise = FormControls::placeDisabled<QLineEdit>(
        "eEnterprise", QStringLiteral("Enter the enterprise name"), QRect(130, 22, 250, 22), org);
    FormControls::caption(QStringLiteral("Business Divisions "), QRect(10, 54, 140, 16), org);
    m_divisions = FormControls::placeDisabled<QPlainTextEdit>("mBusinessDivs",
        QStringLiteral("Enter thedivisions within the enterprise, one per line"), QRect(10, 72, 426, 168), org);
    m_org.label = new LinkLabel(QStringLiteral("Edit"), "hEdit3", org);
    m_org.label->setGeometry(396, 22, 40, 18);
    m_org.boxes = { m_enterprise, m_divisions };

    auto* groups = group(QStringLiteral("Custom Driver Group Names "), "GroupBox5", QRect(8, 262, 300, 190), this);
    m_groups = FormControls::placeDisabled<QPlainTextEdit>("mGroups",
        QStringLiteral("Enter the group names (one per line) in which drivers will be grouped  on reports"),
        QRect(10, 40, 280, 140), groups);
    m_groupNames.label = new LinkLabel(QStringLiteral("Edit"), "hEdit5", groups);
    m_groupNames.label->setGeometry(250, 18, 40, 18);
    m_groupNames.boxes = { m_groups };

    auto* activities = group(QStringLiteral("Custom Activity Names "), "GroupBox6", QRect(316, 262, 300, 190), this);
    m_activities = FormControls::placeDisabled<QPlainTextEdit>("mActivities",
        QStringLiteral("Enter the names of activities which can be used to reflect enterprise-relevant areas of work"),
        QRect(10, 40, 280, 140), activities);
    m_activityNames.label = new LinkLabel(QStringLiteral("Edit"), "hEdit6", activities);
    m_activityNames.label->setGeometry(250, 18, 40, 18);
    m_activityNames.boxes = { m_activities };

    auto* autoload = group(QStringLiteral("Autload "), "GroupBox8", QRect(624, 262, 288, 190), this);
    m_autoControl = new QCheckBox(QStringLiteral("Control Set"), autoload);
    m_autoControl->setObjectName(QStringLiteral("cbAutoControl"));
    m_autoControl->setGeometry(10, 26, 200, 20);
    m_autoControlFile = new QLineEdit(autoload);
    m_autoControlFile->setObjectName(QStringLiteral("eAutoControlFile"));
    m_autoControlFile->setGeometry(10, 50, 236, 22);
    auto* browseControl = new QToolButton(autoload);
    browseControl->setObjectName(QStringLiteral("bbBrowseControl"));
    browseControl->setText(QStringLiteral("..."));
    browseControl->setToolTip(QStringLiteral("Choose the control set spreadsheet"));
    browseControl->setGeometry(250, 50, 28, 22);
    m_autoAttribute = new QCheckBox(QStringLiteral("Attribute Set"), autoload);
    m_autoAttribute->setObjectName(QStringLiteral("cbAutoAttribute"));
    m_autoAttribute->setGeometry(10, 92, 200, 20);
    m_autoAttributeFile = new QLineEdit(autoload);
    m_autoAttributeFile->setObjectName(QStringLiteral("eAutoAttributeFile"));
    m_autoAttributeFile->setGeometry(10, 116, 236, 22);
    auto* browseAttribute = new QToolButton(autoload);
    browseAttribute->setObjectName(QStringLiteral("bbBrowseAttribute"));
    browseAttribute->setText(QStringLiteral("..."));
    browseAttribute->setToolTip(QStringLiteral("Choose the attribute set spreadsheet"));
    browseAttribute->setGeometry(250, 116, 28, 22);

    connect(m_project.label, &LinkLabel::clicked, this, [this] { run([this] { hEdit2Click(); }); });
    connect(m_org.label, &LinkLabel::clicked, this, [this] { run([this] { hEdit3Click(); }); });
    connect(m_groupNames.label, &LinkLabel::clicked, this, [this] { run([this] { hEdit5Click(); }); });
    connect(m_activityNames.label, &LinkLabel::clicked, this, [this] { run([this] { hEdit6Click(); }); });
    connect(browseControl, &QToolButton::clicked, this, [this] { run([this] { bbBrowseControlClick(); }); });
    connect(browseAttribute, &QToolButton::clicked, this, [this] { run([this] { bbBrowseAttributeClick(); }); });
    connect(m_autoControl, &QCheckBox::toggled, this,
        [this] { run([this] { storeAutoload(m_autoControlFile, m_autoControl, "AutoControlFile", "AutoControl"); }); });
    connect(m_autoAttribute, &QCheckBox::toggled, this, [this] {
        run([this] { storeAutoload(m_autoAttributeFile, m_autoAttribute, "AutoAttributeFile", "AutoAttribute"); });
    });
}

void SettingsTab::tabShown()
{
    Table& sys = assessment().system();
    m_assId->setText(sys.text(QStringLiteral("AssID")));
    m_assessment->setText(sys.text(QStringLiteral("Assessment")));
    Text::setMemo(m_description, sys.text(QStringLiteral("Description")));
    m_enterprise->setText(sys.text(QStringLiteral("Enterprise")));
    Text::setMemo(m_divisions, sys.text(QStringLiteral("Divisions")));
    Text::setMemo(m_groups, sys.text(QStringLiteral("Groups")));
    Text::setMemo(m_activities, sys.text(QStringLiteral("Activities")));
    // Checking a box that changes its state writes the row back, as a click would.
    m_autoControlFile->setText(sys.text(QStringLiteral("AutoControlFile")));
    m_autoControl->setChecked(sys.boolean(QStringLiteral("AutoControl")));
    m_autoAttributeFile->setText(sys.text(QStringLiteral("AutoAttributeFile")));
    m_autoAttribute->setChecked(sys.boolean(QStringLiteral("AutoAttribute")));
    setStatus(QString(21, QLatin1Char(' ')));
}

bool SettingsTab::toggle(Group& group, QWidget* focus, const std::function<void()>& write)
{
    if (group.label->text() == QLatin1String("Edit")) {
        for (QWidget* w : group.boxes)
            w->setEnabled(true);
        if (focus)
            focus->setFocus();
        group.label->setText(QStringLiteral("Save"));
        return false;
    }
    setStatus(QStringLiteral("Saving                  "));
    Table& sys = assessment().system();
    sys.edit();
    write();
    sys.post();
    return true;
}

void SettingsTab::hEdit2Click()
{
    Table& sys = assessment().system();
    if (!toggle(m_project, m_assessment, [&] {
            sys.setText(QStringLiteral("AssID"), m_assId->text());
            sys.setText(QStringLiteral("Assessment"), m_assessment->text());
            sys.setText(QStringLiteral("Description"), Text::memo(m_description));
        }))
        return;
    Q_EMIT identityChanged(sys.text(QStringLiteral("Assessment")), sys.text(QStringLiteral("Description")));
    for (QWidget* w : m_project.boxes)
        w->setEnabled(false);
    m_project.label->setText(QStringLiteral("Edit"));
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}

void SettingsTab::hEdit3Click()
{
    Table& sys = assessment().system();
    if (!toggle(m_org, m_enterprise, [&] {
            sys.setText(QStringLiteral("Enterprise"), m_enterprise->text());
            sys.setText(QStringLiteral("Divisions"), Text::memo(m_divisions));
        }))
        return;
    for (QWidget* w : m_org.boxes)
        w->setEnabled(false);
    m_org.label->setText(QStringLiteral("Edit"));
    Q_EMIT divisionsChanged(LineList::split(Text::memo(m_divisions)));
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}

void SettingsTab::hEdit5Click()
{
    Table& sys = assessment().system();
    if (!toggle(m_groupNames, nullptr, [&] { sys.setText(QStringLiteral("Groups"), Text::memo(m_groups)); }))
        return;
    m_groups->setEnabled(false);
    m_groupNames.label->setText(QStringLiteral("Edit"));
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}

void SettingsTab::hEdit6Click()
{
    Table& sys = assessment().system();
    if (!toggle(m_activityNames, nullptr, [&] { sys.setText(QStringLiteral("Activities"), Text::memo(m_activities)); }))
        return;
    m_activities->setEnabled(false);
    m_activityNames.label->setText(QStringLiteral("Edit"));
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}

void SettingsTab::storeAutoload(QLineEdit* file, QCheckBox* check, const char* fileField, const char* flagField)
{
    Table& sys = assessment().system();
    sys.edit();
    sys.setText(QString::fromLatin1(fileField), file->text());
    sys.setBoolean(QString::fromLatin1(flagField), check->isChecked());
    sys.post();
}

void SettingsTab::browse(QLineEdit* file, QCheckBox* check, const char* fileField, const char* flagField)
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = QStringLiteral(
        "Spreadsheets (*.xlsx *.xls);;Excel2007 documents (*.xlsx);;Excel documents (*.xls);;All files (*)");
    request.defaultSuffix = QStringLiteral("xlsx");
    const QString path = dialogs().openFile(request);
    if (path.isEmpty())
        return;
    file->setText(path);
    storeAutoload(file, check, fileField, flagField);
}

void SettingsTab::bbBrowseControlClick()
{
    browse(m_autoControlFile, m_autoControl, "AutoControlFile", "AutoControl");
}

void SettingsTab::bbBrowseAttributeClick()
{
    browse(m_autoAttributeFile, m_autoAttribute, "AutoAttributeFile", "AutoAttribute");
}
