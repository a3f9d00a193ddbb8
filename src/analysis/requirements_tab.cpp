#include "analysis/requirements_tab.h"

#include "analysis/profile_division_filter.h"
#include "analysis/requirement_commands.h"
#include "gui/choice_box.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

RequirementsTab::RequirementsTab(TabHost& host)
    : TabPage(host, "TabSheet1", QStringLiteral("Requirements"))
{
    using namespace FormLayout;
    m_id = named<QLineEdit>("eID1", QStringLiteral("Ths is the unique business requirement identifier"));
    m_id->setFixedWidth(120);
    m_priority
        = choiceBox("cbPriority", QStringLiteral("This represents the relative importance of this requirement "));
    m_priority->addItems({ QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") });
    m_priority->setEditText(QStringLiteral("Low"));
    m_priority->setFixedWidth(110);
    m_division = choiceBox("cbDivision1",
        QStringLiteral("Select the Division  (or Enterprise for the whole organisation) to which the business "
                       "requirement applies"));
    m_division->setMinimumWidth(280);
    m_activity = choiceBox(
        "cbActivity1", QStringLiteral("Requirements can be grouped into activity types for reporting purposes"));
    m_activity->setMinimumWidth(270);
    m_requirement
        = named<QLineEdit>("eRequirement", QStringLiteral("Describe the business requirement in one sentence"));
    m_source = named<QPlainTextEdit>("mSource",
        QStringLiteral("Record the original source of the requirement - eg business plan, annual report, etc"));
    m_source->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_source->setMinimumHeight(60);

    FieldLimits::limit(m_id, "Requirements", "RSeq");
    FieldLimits::limit(m_requirement, "Requirements", "Requirement");
    FieldLimits::limit(m_priority, "Requirements", "Priority");
    FieldLimits::limit(m_division, "Requirements", "Division");
    FieldLimits::limit(m_activity, "Requirements", "Activity");

    QGroupBox* details = group(QStringLiteral(" Full Details "), "GroupBox4");
    auto* form = new QGridLayout(details);
    addField(form, 0, 0, QStringLiteral("Identifier "), m_id);
    addField(form, 0, 2, QStringLiteral("Ranking "), m_priority);
    form->addWidget(
        link(QStringLiteral("Save"), "hSave1", [this] { saveRequirement(); }), 0, 4, Qt::AlignRight | Qt::AlignTop);
    addField(form, 1, 0, QStringLiteral("Division "), m_division);
    addField(form, 1, 2, QStringLiteral("Activity"), m_activity);
    addField(form, 2, 0, QStringLiteral("Requirement "), m_requirement, 4);
    addField(form, 3, 0, QStringLiteral("References "), m_source, 4, Qt::AlignTop);
    form->setColumnStretch(4, 1);
    form->setRowStretch(3, 1);

    m_page = gridOverDetails(this, details, link(QStringLiteral("Add"), "hAdd1", [this] { addRequirement(); }),
        link(QStringLiteral("Delete"), "hDelete1", [this] { deleteRequirement(true); }));
}

void RequirementsTab::storeOpened()
{
    Table& table = reqs();
    m_grid = makeGrid(table,
        { { field("RSeq"), QStringLiteral("Id") }, { field("Requirement"), QStringLiteral("Requirement") },
            { field("Division"), QStringLiteral("Division") } },
        true, "DBGrid2");
    m_grid->setColumnWidth(0, 70);
    m_grid->setColumnWidth(1, 560);
    FormLayout::placeGrid(m_page, m_grid);
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { showClickedRequirement(); }); });
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            run([this] { deleteRequirement(false); });
    });

    m_editor = new RecordEditor(*this, table,
        { [this] { showRequirement(); }, [this](qint64 rowId) { writeRequirement(rowId); }, [this] { blankStatus(22); },
            [this] { return appendPlaceholder(); } });
    m_editor->watch(m_id);
    m_editor->watch(m_requirement);
    for (QComboBox* box : { m_priority, m_division, m_activity })
        m_editor->watch(box);
    m_editor->watch(m_source);
}

Table& RequirementsTab::reqs() const
{
    return assessment().requirements();
}

bool RequirementsTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool RequirementsTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

void RequirementsTab::fillChoices(QComboBox* box, const QString& listField)
{
    QStringList choices { QStringLiteral("Enterprise") };
    choices += LineList::split(assessment().system().text(listField));
    ChoiceBox::setItems(box, choices);
}

void RequirementsTab::showRequirement()
{
    const Table& t = reqs();
    m_id->setText(t.text(field("RSeq")));
    m_requirement->setText(t.text(field("Requirement")));
    const QString priority = t.text(field("Priority"));
    ChoiceBox::showValue(m_priority, priority.isEmpty() ? QStringLiteral("Low") : priority, false);
    ChoiceBox::showValue(m_division, t.text(field("Division")), false);
    ChoiceBox::showValue(m_activity, t.text(field("Activity")), true);
    Text::setMemo(m_source, t.text(field("Source")));
}

void RequirementsTab::showDivisionDefault()
{
    const RecordEditor::Filling filling(*m_editor);
    ChoiceBox::showValue(m_division, reqs().text(field("Division")), true);
}

void RequirementsTab::tabShown()
{
    {
        const RecordEditor::Filling filling(*m_editor);
        fillChoices(m_division, field("Divisions"));
        fillChoices(m_activity, field("Activities"));
    }
    reqs().first();
    m_editor->showCurrent();
    showDivisionDefault();
    blankStatus();
}

void RequirementsTab::followDivisionFilter(const QString& division)
{
    run([this, division] {
        applyDivisionFilter(reqs(), division);
        // The first requirement of the division is shown whatever page is shown.
        m_editor->showCurrent();
    });
}

// A click on the record already shown keeps what the analyst typed; a click
// on another record has moved the table, which showed it.
void RequirementsTab::showClickedRequirement()
{
    if (!reqs().hasRecord())
        return;
    if (!m_editor->isEdited())
        showDivisionDefault();
    m_id->setFocus();
    blankStatus(22);
}

qint64 RequirementsTab::appendPlaceholder()
{
    Table& t = reqs();
    t.append(); // the edits of the requirement left are offered first
    t.setText(field("RSeq"), QStringLiteral("BRx.xx"));
    if (const QString division = filteredDivision(); !division.isEmpty())
        t.setText(field("Division"), division);
    t.post();
    return t.currentRowId();
}

void RequirementsTab::addRequirement()
{
    appendPlaceholder();
    m_editor->showCurrent();
    showDivisionDefault();
    setStatus(QStringLiteral("Record Added               "));
    m_id->setFocus();
    markWorkUnarchived();
}

void RequirementsTab::deleteRequirement(bool byLink)
{
    Table& t = reqs();
    if (!t.hasRecord() || !m_editor->offerEdits())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    t.remove();
    setStatus(QStringLiteral("Deleted                "));
    if (byLink)
        markWorkUnarchived();
}

void RequirementsTab::saveRequirement()
{
    if (!reqs().hasRecord())
        return;
    m_editor->save();
}

RequirementValues RequirementsTab::editedValues() const
{
    return { m_id->text(), m_requirement->text(), m_division->currentText(), m_priority->currentText(),
        m_activity->currentText(), Text::memo(m_source) };
}

// Saves the editors into the requirement they were filled from, with the
// drivers' lines, as one command.
void RequirementsTab::writeRequirement(qint64 rowId)
{
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                 "));
    ::saveRequirement(assessment(), rowId, editedValues());
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}
