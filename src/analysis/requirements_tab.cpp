#include "analysis/requirements_tab.h"

#include "analysis/details_form_widget.h"
#include "analysis/requirement_lines.h"
#include "app/main_window.h"
#include "gui/data_grid_widget.h"
#include "gui/link_label_widget.h"
#include "gui/memo_text.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString kBlank21(21, QLatin1Char(' '));
const QString kBlank22(22, QLatin1Char(' '));

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

RequirementsTab::RequirementsTab(MainWindow& form)
    : TabPage(form, "TabSheet1", QStringLiteral("Requirements"))
{
    using namespace DetailsForm;
    link(QStringLiteral("Add"), "hAdd1", QRect(812, 314, 32, 18), [this] { hAdd1Click(); });
    link(QStringLiteral("Delete"), "hDelete1", QRect(856, 314, 50, 18), [this] { hDelete1Click(); });

    QGroupBox* details = group(QStringLiteral(" Full Details "), "GroupBox4", QRect(8, 310, 790, 280), this);
    auto* save = new LinkLabel(QStringLiteral("Save"), "hSave1", details);
    save->setGeometry(740, 16, 40, 18);
    connect(save, &LinkLabel::clicked, this, [this] { run([this] { hSave1Click(); }); });

    label(QStringLiteral("Identifier "), QRect(10, 26, 80, 16), details);
    m_id = new QLineEdit(details);
    place(m_id, "eID1", QStringLiteral("Ths is the unique business requirement identifier"), QRect(96, 22, 120, 22));
    label(QStringLiteral("Ranking "), QRect(240, 26, 60, 16), details);
    m_priority = comboBox("cbPriority", QStringLiteral("This represents the relative importance of this requirement "),
        QRect(300, 22, 110, 22), details);
    m_priority->addItems({ QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") });
    m_priority->setEditText(QStringLiteral("Low"));

    label(QStringLiteral("Division "), QRect(10, 54, 80, 16), details);
    m_division = comboBox("cbDivision1",
        QStringLiteral("Select the Division  (or Enterprise for the whole organisation) to which the business "
                       "requirement applies"),
        QRect(96, 50, 280, 22), details);
    label(QStringLiteral("Activity"), QRect(400, 54, 60, 16), details);
    m_activity = comboBox("cbActivity1",
        QStringLiteral("Requirements can be grouped into activity types for reporting purposes"),
        QRect(460, 50, 270, 22), details);

    label(QStringLiteral("Requirement "), QRect(10, 82, 84, 16), details);
    m_requirement = new QLineEdit(details);
    place(m_requirement, "eRequirement", QStringLiteral("Describe the business requirement in one sentence"),
        QRect(96, 78, 684, 22));

    label(QStringLiteral("References "), QRect(10, 110, 84, 16), details);
    m_source = new QPlainTextEdit(details);
    place(m_source, "mSource",
        QStringLiteral("Record the original source of the requirement - eg business plan, annual report, etc"),
        QRect(96, 106, 684, 164));
    m_source->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(m_id, &QLineEdit::textChanged, this, &RequirementsTab::ReqChange);
    connect(m_requirement, &QLineEdit::textChanged, this, &RequirementsTab::ReqChange);
    for (QComboBox* box : { m_priority, m_division, m_activity })
        connect(box, &QComboBox::currentTextChanged, this, &RequirementsTab::ReqChange);
    connect(m_source, &QPlainTextEdit::textChanged, this, &RequirementsTab::ReqChange);
}

void RequirementsTab::storeOpened()
{
    Table& table = reqs();
    m_grid = new DataGrid(table,
        { { field("RSeq"), QStringLiteral("Id") }, { field("Requirement"), QStringLiteral("Requirement") },
            { field("Division"), QStringLiteral("Division") } },
        true, "DBGrid2", this);
    m_grid->setGeometry(8, 8, 904, 298);
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 560);
    m_grid->show();
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid2CellClick(); }); });
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) { run([this, key] { DBGrid2KeyUp(key); }); });
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    // Moves come from anywhere (other tabs, reports, the archive); the hooks
    // raise through the command that moved the table.
    connect(&table, &Table::beforeMove, this, &RequirementsTab::ReqsTableBeforeScroll);
    connect(&table, &Table::afterMove, this, &RequirementsTab::ReqsTableAfterScroll);
}

Table& RequirementsTab::reqs() const
{
    return assessment().requirements();
}

void RequirementsTab::fillChoices(QComboBox* box, const QString& listField)
{
    QStringList choices { QStringLiteral("Enterprise") };
    choices += LineList::split(assessment().system().text(listField));
    DetailsForm::setItems(box, choices);
}

void RequirementsTab::loadEditors(bool divisionDefault)
{
    DetailsForm::Filling filling(m_loading);
    const Table& t = reqs();
    m_id->setText(t.text(field("RSeq")));
    m_requirement->setText(t.text(field("Requirement")));
    const QString priority = t.text(field("Priority"));
    DetailsForm::showValue(m_priority, priority.isEmpty() ? QStringLiteral("Low") : priority, false);
    DetailsForm::showValue(m_division, t.text(field("Division")), divisionDefault);
    DetailsForm::showValue(m_activity, t.text(field("Activity")), true);
    Text::setMemo(m_source, t.text(field("Source")));
    m_loadedRowId = t.currentRowId();
}

void RequirementsTab::TabSheet1Show()
{
    flags().profilingDisplay = false;
    {
        DetailsForm::Filling filling(m_loading);
        fillChoices(m_division, field("Divisions"));
        fillChoices(m_activity, field("Activities"));
    }
    reqs().first();
    loadEditors(true);
    setStatus(kBlank21);
    flags().requirementEdit = false;
}

void RequirementsTab::DBGrid2CellClick()
{
    if (!reqs().hasRecord())
        return;
    loadEditors(true);
    m_id->setFocus();
    setStatus(kBlank22);
}

void RequirementsTab::DBGrid2KeyUp(int key)
{
    if (key == Qt::Key_Delete)
        remove(false);
}

void RequirementsTab::ReqChange()
{
    if (m_loading == 0)
        flags().requirementEdit = true;
}

void RequirementsTab::ReqsTableAfterScroll()
{
    if (!isPageShown())
        return;
    loadEditors(false);
    setStatus(kBlank22);
    flags().requirementEdit = false;
}

void RequirementsTab::ReqsTableBeforeScroll()
{
    if (!flags().requirementEdit)
        return;
    // A walk over the table by another command moves many times while the
    // editors stay as they are: ask once, then the edits are settled. Edits
    // belong to the record they were loaded from; when that is no longer the
    // current one (a filter change took it away), they are dropped rather
    // than written into another record.
    const bool sameRecord = reqs().currentRowId() == m_loadedRowId;
    const bool save = sameRecord && dialogs().ask(QStringLiteral("Save changes?"));
    flags().requirementEdit = false;
    if (save)
        hSave1Click();
}

void RequirementsTab::hAdd1Click()
{
    Table& t = reqs();
    t.append();
    {
        DetailsForm::Filling filling(m_loading);
        m_id->setText(QStringLiteral("BRx.xx"));
        DetailsForm::showFirst(m_division);
        m_requirement->clear();
        m_source->clear();
    }
    flags().requirementEdit = false;
    t.setText(field("RSeq"), m_id->text());
    t.post();
    m_loadedRowId = t.currentRowId();
    setStatus(QStringLiteral("Record Added               "));
    m_id->setFocus();
    flags().saved = false;
}

void RequirementsTab::hDelete1Click()
{
    remove(true);
}

void RequirementsTab::remove(bool byLink)
{
    Table& t = reqs();
    if (!t.hasRecord())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    t.remove();
    setStatus(QStringLiteral("Deleted                "));
    if (byLink)
        flags().saved = false;
}

void RequirementsTab::hSave1Click()
{
    Table& t = reqs();
    if (!t.hasRecord())
        return;
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                 "));
    const QString oldId = t.text(field("RSeq"));
    const QString oldText = t.text(field("Requirement"));
    t.edit();
    t.setText(field("RSeq"), m_id->text());
    t.setText(field("Requirement"), m_requirement->text());
    t.setText(field("Division"), m_division->currentText());
    t.setText(field("Priority"), m_priority->currentText());
    t.setText(field("Activity"), m_activity->currentText());
    t.setText(field("Source"), Text::memo(m_source));
    t.post();
    m_loadedRowId = t.currentRowId();
    flags().requirementEdit = false;
    // The lines take the values as stored, so they match the record even
    // when a typed text was longer than its field.
    const QString newId = t.text(field("RSeq"));
    const QString newText = t.text(field("Requirement"));
    if (newId != oldId || newText != oldText)
        RequirementLines::rewriteDrivers(assessment().drivers(), oldId, newId, newText);
    flags().saved = false;
    setStatus(QStringLiteral("Save complete           "));
}
