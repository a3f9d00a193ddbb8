#include "analysis/drivers_tab.h"

#include "analysis/business_attributes_tab.h"
#include "analysis/details_form_widget.h"
#include "analysis/requirement_lines.h"
#include "app/main_window.h"
#include "gui/data_grid_widget.h"
#include "gui/link_label_widget.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kBlank21(21, QLatin1Char(' '));
const QString kBlank22(22, QLatin1Char(' '));
const QString kRecordAdded = QStringLiteral("Record added             ");
const QString kDeleted = QStringLiteral("Deleted                ");

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

DriversTab::DriversTab(MainWindow& form)
    : TabPage(form, "TabSheet2", QStringLiteral("Drivers"))
{
    using namespace DetailsForm;
    link(QStringLiteral("Add"), "hAdd2", QRect(812, 264, 32, 18), [this] { hAdd2Click(); });
    link(QStringLiteral("Delete"), "hDelete2", QRect(856, 264, 50, 18), [this] { hDelete2Click(); });

    QGroupBox* details = group(QStringLiteral(" Full Details "), "GroupBox2", QRect(8, 260, 790, 330), this);
    auto* save = new LinkLabel(QStringLiteral("Save"), "hSave2", details);
    save->setGeometry(740, 16, 40, 18);
    connect(save, &LinkLabel::clicked, this, [this] { run([this] { hSave2Click(); }); });

    label(QStringLiteral("Identifier "), QRect(10, 26, 84, 16), details);
    m_id = new QLineEdit(details);
    place(m_id, "eId2", QStringLiteral("This is the uniqueid for the business driver"), QRect(100, 22, 120, 22));
    label(QStringLiteral("Driver Group "), QRect(240, 26, 90, 16), details);
    m_group = comboBox("cbDriverGroup", QStringLiteral("Drivers can be grouped together for reporting purposes"),
        QRect(330, 22, 280, 22), details);

    label(QStringLiteral("Division "), QRect(10, 54, 84, 16), details);
    m_division = comboBox("cbDivision2",
        QStringLiteral(
            "Select the Division  (or Enterprise for the whole organisation) to which the business driver applies"),
        QRect(100, 50, 280, 22), details);
    label(QStringLiteral("Activity"), QRect(400, 54, 60, 16), details);
    m_activity
        = comboBox("cbActivity2", QStringLiteral("Drivers can be grouped into activity types for reporting purposes"),
            QRect(460, 50, 270, 22), details);

    label(QStringLiteral("Driver "), QRect(10, 82, 84, 16), details);
    m_driver = new QLineEdit(details);
    place(m_driver, "eDriver", QStringLiteral("Enter a one line description of the  Business Driver"),
        QRect(100, 78, 680, 22));

    label(QStringLiteral("Requirements "), QRect(10, 110, 90, 16), details);
    m_reqs = new QListWidget(details);
    place(m_reqs, "lbReqs", QStringLiteral("These business requirement(s)  are represented by this business driver"),
        QRect(100, 106, 680, 180));
    m_reqs->installEventFilter(this);

    auto* reqAdd = new LinkLabel(QStringLiteral("Add"), "hReqAdd", details);
    reqAdd->setGeometry(62, 298, 32, 18);
    connect(reqAdd, &LinkLabel::clicked, this, [this] { run([this] { hReqAddClick(); }); });
    m_requirementChoice = comboBox("cbRequirements",
        QStringLiteral("The requirement shown will, when Add is pressed, be added to the  list of requirements which "
                       "make up the driver"),
        QRect(100, 294, 680, 22), details);

    connect(m_id, &QLineEdit::textChanged, this, &DriversTab::DriverChange);
    connect(m_driver, &QLineEdit::textChanged, this, &DriversTab::DriverChange);
    for (QComboBox* box : { m_division, m_activity, m_group })
        connect(box, &QComboBox::currentTextChanged, this, &DriversTab::DriverChange);
}

void DriversTab::storeOpened()
{
    Table& table = drivers();
    m_grid = new DataGrid(table,
        { { field("CSeq"), QStringLiteral("Id") }, { field("Driver"), QStringLiteral("Driver") },
            { field("Division"), QStringLiteral("Division") } },
        false, "DBGrid1", this);
    m_grid->setGeometry(8, 8, 904, 248);
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 560);
    m_grid->show();
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid1CellClick(); }); });
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) { run([this, key] { DBGrid1KeyUp(key); }); });
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    connect(&table, &Table::beforeMove, this, &DriversTab::DriversTableBeforeScroll);
    connect(&table, &Table::afterMove, this, &DriversTab::DriversTableAfterScroll);
}

Table& DriversTab::drivers() const
{
    return assessment().drivers();
}

bool DriversTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_reqs && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        run([this, key] { lbReqsKeyUp(key); });
    }
    return TabPage::eventFilter(watched, event);
}

void DriversTab::fillChoices(QComboBox* box, const QString& listField, bool withEnterprise)
{
    QStringList choices;
    if (withEnterprise)
        choices << QStringLiteral("Enterprise");
    choices += LineList::split(assessment().system().text(listField));
    DetailsForm::setItems(box, choices);
}

void DriversTab::showRequirementLines()
{
    DetailsForm::setSortedItems(m_reqs, LineList::split(drivers().text(field("Requirement"))));
}

void DriversTab::loadEditors(bool withDefaults)
{
    DetailsForm::Filling filling(m_loading);
    const Table& t = drivers();
    m_id->setText(t.text(field("CSeq")));
    showRequirementLines();
    m_driver->setText(t.text(field("Driver")));
    DetailsForm::showValue(m_division, t.text(field("Division")), withDefaults);
    DetailsForm::showValue(m_activity, t.text(field("Activity")), true);
    DetailsForm::showValue(m_group, t.text(field("Group")), withDefaults);
    m_loadedRowId = t.currentRowId();
}

void DriversTab::fillRequirementChoices()
{
    // One pass over the rows as filtered. The first move offers pending
    // requirement edits for saving; a full cursor walk would only repeat the
    // requirement hooks at every record.
    Table& reqs = assessment().requirements();
    reqs.first();
    const int id = reqs.fieldIndex(field("RSeq"));
    const int text = reqs.fieldIndex(field("Requirement"));
    QStringList lines;
    lines.reserve(reqs.recordCount());
    for (int row = 0; row < reqs.recordCount(); ++row)
        lines << RequirementLines::line(reqs.textAt(row, id), reqs.textAt(row, text));
    const QString typed = m_requirementChoice->currentText();
    m_requirementChoice->clear();
    m_requirementChoice->addItems(lines);
    if (typed.isEmpty())
        DetailsForm::showFirst(m_requirementChoice);
    else
        m_requirementChoice->setEditText(typed);
    reqs.first();
}

void DriversTab::TabSheet2Show()
{
    flags().profilingDisplay = false;
    Table& t = drivers();
    t.first();
    {
        DetailsForm::Filling filling(m_loading);
        m_id->setText(t.text(field("CSeq")));
        m_driver->setText(t.text(field("Driver")));
        fillChoices(m_division, field("Divisions"), true);
        DetailsForm::showValue(m_division, t.text(field("Division")), true);
        fillChoices(m_activity, field("Activities"), true);
        DetailsForm::showValue(m_activity, t.text(field("Activity")), true);
        QStringList groups = LineList::split(assessment().system().text(field("Groups")));
        if (groups.isEmpty())
            groups << QStringLiteral("[1] Management");
        DetailsForm::setItems(m_group, DetailsForm::sortedIgnoringCase(groups));
        DetailsForm::showValue(m_group, t.text(field("Group")), true);
    }
    fillRequirementChoices();
    // Saving a pending requirement during that walk may have rewritten the
    // drivers' lines and moved the driver cursor: show the current driver.
    loadEditors(true);
    flags().driverEdit = false;
    setStatus(kBlank21);
}

void DriversTab::DBGrid1CellClick()
{
    if (!drivers().hasRecord())
        return;
    loadEditors(true);
    setStatus(kBlank22);
}

void DriversTab::DBGrid1KeyUp(int key)
{
    if (key == Qt::Key_Delete)
        remove(false);
}

void DriversTab::DriverChange()
{
    if (m_loading == 0)
        flags().driverEdit = true;
}

void DriversTab::DriversTableAfterScroll()
{
    // Runs whatever page is shown: the Business Attributes tab moves the
    // same table and its panels follow the current driver.
    {
        DetailsForm::Filling filling(m_loading);
        const Table& t = drivers();
        m_id->setText(t.text(field("CSeq")));
        showRequirementLines();
        m_driver->setText(t.text(field("Driver")));
        DetailsForm::showValue(m_division, t.text(field("Division")), false);
        DetailsForm::showValue(m_group, t.text(field("Group")), false);
        DetailsForm::showValue(m_activity, t.text(field("Activity")), true);
        m_loadedRowId = t.currentRowId();
    }
    if (flags().profilingDisplay && assessment().driverProfiles().isOpen())
        recolourProfilePanels();
    flags().driverEdit = false;
    flags().profilingEdit = false;
    setStatus(kBlank22);
}

void DriversTab::DriversTableBeforeScroll()
{
    // Ask once per pending change: after the answer the edits are settled,
    // so a walk by another command does not ask again at every record.
    // Edits are only written into the record they were loaded from.
    const bool sameRecord = drivers().currentRowId() == m_loadedRowId;
    if (flags().driverEdit) {
        const bool save = sameRecord && dialogs().ask(QStringLiteral("Save changes?"));
        flags().driverEdit = false;
        if (save)
            hSave2Click();
    }
    if (flags().profilingEdit) {
        const bool save = dialogs().ask(QStringLiteral("Save changes?"));
        flags().profilingEdit = false;
        if (save)
            saveProfile();
    }
}

void DriversTab::hAdd2Click()
{
    Table& t = drivers();
    t.append();
    {
        DetailsForm::Filling filling(m_loading);
        m_id->setText(DriverProfile::placeholderId());
        m_driver->clear();
        for (QComboBox* box : { m_division, m_activity, m_group, m_requirementChoice })
            DetailsForm::showFirst(box);
        m_reqs->clear();
    }
    flags().driverEdit = false;
    t.setText(field("CSeq"), m_id->text());
    t.post();
    m_loadedRowId = t.currentRowId();
    setStatus(kRecordAdded);
    flags().saved = false;
    m_id->setFocus();
}

void DriversTab::hDelete2Click()
{
    remove(true);
}

void DriversTab::remove(bool byLink)
{
    Table& t = drivers();
    if (!t.hasRecord())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    t.remove();
    setStatus(kDeleted);
    if (byLink)
        flags().saved = false;
}

void DriversTab::addRequirementLine()
{
    DetailsForm::insertSorted(m_reqs, m_requirementChoice->currentText());
    flags().driverEdit = true;
    setStatus(kRecordAdded);
}

void DriversTab::hReqAddClick()
{
    if (!drivers().hasRecord())
        return;
    addRequirementLine();
}

void DriversTab::lbReqsKeyUp(int key)
{
    if (key == Qt::Key_Delete) {
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        const QList<QListWidgetItem*> selected = m_reqs->selectedItems();
        if (!selected.isEmpty())
            delete m_reqs->takeItem(m_reqs->row(selected.front()));
        flags().driverEdit = true;
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        addRequirementLine();
    }
}

void DriversTab::hSave2Click()
{
    Table& t = drivers();
    if (!t.hasRecord())
        return;
    WaitCursor wait(dialogs());
    const QString oldId = t.text(field("CSeq"));
    t.edit();
    t.setText(field("CSeq"), m_id->text());
    t.setText(field("Requirement"), LineList::build(DetailsForm::items(m_reqs)));
    t.setText(field("Driver"), m_driver->text());
    t.setText(field("Division"), m_division->currentText());
    t.setText(field("Activity"), m_activity->currentText());
    t.setText(field("Group"), m_group->currentText());
    t.post();
    m_loadedRowId = t.currentRowId();
    flags().driverEdit = false;
    // The profile rows follow the identifier as stored.
    DriverProfile::moveRows(assessment().driverProfiles(), oldId, t.text(field("CSeq")));
    flags().saved = false;
    setStatus(QStringLiteral("Save Complete          "));
}

void DriversTab::recolourProfilePanels()
{
    if (auto* profiling = form().tab<BusinessAttributesTab>())
        profiling->DrAttTaxonomy();
}

void DriversTab::saveProfile()
{
    if (auto* profiling = form().tab<BusinessAttributesTab>())
        profiling->hSave3Click();
}
