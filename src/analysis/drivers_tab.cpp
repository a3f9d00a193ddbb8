#include "analysis/drivers_tab.h"

#include "analysis/driver_commands.h"
#include "analysis/profile_division_filter.h"
#include "analysis/requirement_lines.h"
#include "gui/choice_box.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/record_editor.h"
#include "gui/sorted_list.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kRecordAdded = QStringLiteral("Record added             ");
const QString kDeleted = QStringLiteral("Deleted                ");

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

DriversTab::DriversTab(TabHost& host)
    : TabPage(host, "TabSheet2", QStringLiteral("Drivers"))
{
    using namespace FormLayout;
    m_id = named<QLineEdit>("eId2", QStringLiteral("This is the uniqueid for the business driver"));
    m_id->setFixedWidth(120);
    m_group = choiceBox("cbDriverGroup", QStringLiteral("Drivers can be grouped together for reporting purposes"));
    m_group->setMinimumWidth(280);
    m_division = choiceBox("cbDivision2",
        QStringLiteral(
            "Select the Division  (or Enterprise for the whole organisation) to which the business driver applies"));
    m_division->setMinimumWidth(280);
    m_activity
        = choiceBox("cbActivity2", QStringLiteral("Drivers can be grouped into activity types for reporting purposes"));
    m_activity->setMinimumWidth(270);
    m_driver = named<QLineEdit>("eDriver", QStringLiteral("Enter a one line description of the  Business Driver"));
    m_reqs = named<QListWidget>(
        "lbReqs", QStringLiteral("These business requirement(s)  are represented by this business driver"));
    m_reqs->setMinimumHeight(60);
    m_reqs->installEventFilter(this);
    m_requirementChoice = choiceBox("cbRequirements",
        QStringLiteral("The requirement shown will, when Add is pressed, be added to the  list of requirements which "
                       "make up the driver"));

    FieldLimits::limit(m_id, "Drivers", "CSeq");
    FieldLimits::limit(m_driver, "Drivers", "Driver");
    FieldLimits::limit(m_division, "Drivers", "Division");
    FieldLimits::limit(m_activity, "Drivers", "Activity");
    FieldLimits::limit(m_group, "Drivers", "Group");

    QGroupBox* details = group(QStringLiteral(" Full Details "), "GroupBox2");
    auto* form = new QGridLayout(details);
    addField(form, 0, 0, QStringLiteral("Identifier "), m_id);
    addField(form, 0, 2, QStringLiteral("Driver Group "), m_group);
    form->addWidget(
        link(QStringLiteral("Save"), "hSave2", [this] { saveDriver(); }), 0, 4, Qt::AlignRight | Qt::AlignTop);
    addField(form, 1, 0, QStringLiteral("Division "), m_division);
    addField(form, 1, 2, QStringLiteral("Activity"), m_activity);
    addField(form, 2, 0, QStringLiteral("Driver "), m_driver, 4);
    addField(form, 3, 0, QStringLiteral("Requirements "), m_reqs, 4, Qt::AlignTop);
    form->addWidget(link(QStringLiteral("Add"), "hReqAdd", [this] { addRequirementLine(); }), 4, 0, Qt::AlignRight);
    form->addWidget(m_requirementChoice, 4, 1, 1, 4);
    form->setColumnStretch(4, 1);
    form->setRowStretch(3, 1);

    m_page = gridOverDetails(this, details, link(QStringLiteral("Add"), "hAdd2", [this] { addDriver(); }),
        link(QStringLiteral("Delete"), "hDelete2", [this] { deleteDriver(true); }));
}

void DriversTab::storeOpened()
{
    Table& table = drivers();
    m_grid = makeGrid(table,
        { { field("CSeq"), QStringLiteral("Id") }, { field("Driver"), QStringLiteral("Driver") },
            { field("Division"), QStringLiteral("Division") } },
        false, "DBGrid1");
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 560);
    FormLayout::placeGrid(m_page, m_grid);
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { showClickedDriver(); }); });
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            run([this] { deleteDriver(false); });
    });

    // The Business Attributes tab moves the same table, so the editors follow
    // every move, whatever page is shown.
    m_editor = new RecordEditor(*this, table,
        { [this] { showDriver(); }, [this](qint64 rowId) { writeDriver(rowId); }, [this] { blankStatus(22); },
            [this] { return appendPlaceholder(); } },
        RecordEditor::Follow::Always);
    m_editor->watch(m_id);
    m_editor->watch(m_driver);
    for (QComboBox* box : { m_division, m_activity, m_group })
        m_editor->watch(box);
}

Table& DriversTab::drivers() const
{
    return assessment().drivers();
}

bool DriversTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool DriversTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

bool DriversTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_reqs && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        run([this, key] { requirementListKey(key); });
    }
    return TabPage::eventFilter(watched, event);
}

void DriversTab::fillChoices(QComboBox* box, const QString& listField, bool withEnterprise)
{
    QStringList choices;
    if (withEnterprise)
        choices << QStringLiteral("Enterprise");
    choices += LineList::split(assessment().system().text(listField));
    if (!withEnterprise && choices.isEmpty())
        choices << QStringLiteral("[1] Management");
    ChoiceBox::setItems(box, withEnterprise ? choices : SortedList::sorted(choices));
}

void DriversTab::showDriver()
{
    const Table& t = drivers();
    m_id->setText(t.text(field("CSeq")));
    SortedList::setItems(m_reqs, LineList::split(t.text(field("Requirement"))));
    m_driver->setText(t.text(field("Driver")));
    ChoiceBox::showValue(m_division, t.text(field("Division")), false);
    ChoiceBox::showValue(m_group, t.text(field("Group")), false);
    ChoiceBox::showValue(m_activity, t.text(field("Activity")), true);
}

void DriversTab::showChoiceDefaults()
{
    const RecordEditor::Filling filling(*m_editor);
    const Table& t = drivers();
    ChoiceBox::showValue(m_division, t.text(field("Division")), true);
    ChoiceBox::showValue(m_group, t.text(field("Group")), true);
}

// One pass over the requirements as filtered, each offered as its
// requirement line; the box then shows the first.
void DriversTab::fillRequirementChoices()
{
    Table& reqs = assessment().requirements();
    reqs.first();
    const int id = reqs.fieldIndex(field("RSeq"));
    const int text = reqs.fieldIndex(field("Requirement"));
    QStringList lines;
    lines.reserve(reqs.recordCount());
    for (int row = 0; row < reqs.recordCount(); ++row)
        lines << RequirementLines::line(reqs.textAt(row, id), reqs.textAt(row, text));
    ChoiceBox::setItems(m_requirementChoice, lines);
    reqs.first();
}

void DriversTab::tabShown()
{
    drivers().first();
    {
        const RecordEditor::Filling filling(*m_editor);
        fillChoices(m_division, field("Divisions"), true);
        fillChoices(m_activity, field("Activities"), true);
        fillChoices(m_group, field("Groups"), false);
    }
    fillRequirementChoices();
    m_editor->showCurrent();
    showChoiceDefaults();
    blankStatus();
}

void DriversTab::followDivisionFilter(const QString& division)
{
    run([this, division] {
        applyDivisionFilter(drivers(), division);
        m_editor->showCurrent();
    });
}

// A click on the driver already shown keeps what the analyst typed; a click
// on another driver has moved the table, which showed it.
void DriversTab::showClickedDriver()
{
    if (!drivers().hasRecord())
        return;
    if (!m_editor->isEdited())
        showChoiceDefaults();
    blankStatus(22);
}

qint64 DriversTab::appendPlaceholder()
{
    Table& t = drivers();
    t.append(); // the edits of the driver left are offered first
    t.setText(field("CSeq"), DriverProfile::placeholderId());
    if (const QString division = filteredDivision(); !division.isEmpty())
        t.setText(field("Division"), division);
    t.post();
    return t.currentRowId();
}

void DriversTab::addDriver()
{
    appendPlaceholder();
    Table& t = drivers();
    m_editor->showCurrent();
    {
        const RecordEditor::Filling filling(*m_editor);
        ChoiceBox::showValue(m_division, t.text(field("Division")), true);
        for (QComboBox* box : { m_activity, m_group, m_requirementChoice })
            ChoiceBox::showFirst(box);
    }
    setStatus(kRecordAdded);
    markWorkUnarchived();
    m_id->setFocus();
}

void DriversTab::deleteDriver(bool byLink)
{
    Table& t = drivers();
    if (!t.hasRecord() || !m_editor->offerEdits())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    ::deleteDriver(assessment(), t.currentRowId());
    setStatus(kDeleted);
    if (byLink)
        markWorkUnarchived();
}

void DriversTab::insertRequirementLine()
{
    SortedList::insert(m_reqs, m_requirementChoice->currentText());
    m_editor->markEdited();
    setStatus(kRecordAdded);
}

void DriversTab::addRequirementLine()
{
    if (!drivers().hasRecord())
        return;
    insertRequirementLine();
}

// Delete removes the selected line after the question (none selected: none
// removed, the driver still counts as edited); Insert adds the line chosen.
void DriversTab::requirementListKey(int key)
{
    if (key == Qt::Key_Delete) {
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        const QList<QListWidgetItem*> selected = m_reqs->selectedItems();
        if (!selected.isEmpty())
            delete m_reqs->takeItem(m_reqs->row(selected.front()));
        m_editor->markEdited();
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        insertRequirementLine();
    }
}

void DriversTab::saveDriver()
{
    if (!drivers().hasRecord())
        return;
    m_editor->save();
}

DriverValues DriversTab::editedValues() const
{
    return { m_id->text(), SortedList::items(m_reqs), m_driver->text(), m_division->currentText(),
        m_activity->currentText(), m_group->currentText() };
}

// Saves the editors into the driver they were filled from; its profile rows
// follow a new identifier, in the same command.
void DriversTab::writeDriver(qint64 rowId)
{
    WaitCursor wait(dialogs());
    ::saveDriver(assessment(), rowId, editedValues());
    markWorkUnarchived();
    setStatus(QStringLiteral("Save Complete          "));
}
