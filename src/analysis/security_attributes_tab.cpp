#include "analysis/security_attributes_tab.h"

#include "analysis/in_use_derivation.h"
#include "analysis/security_attribute_store.h"
#include "gui/choice_box.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "gui/sorted_list.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

const QString kRecordAdded = QStringLiteral("Record added             ");
const QString kDeleted = QStringLiteral("Deleted                ");

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

QListWidgetItem* selectedItem(const QListWidget* list)
{
    const auto chosen = list->selectedItems();
    return chosen.isEmpty() ? nullptr : chosen.first();
}

}

SecurityAttributesTab::SecurityAttributesTab(TabHost& host)
    : TabPage(host, "TabSheet4", QStringLiteral("Security Attributes"))
{
    using namespace FormLayout;
    m_group = named<QLineEdit>("eAttGroup", QStringLiteral("Attribute Group (taken fro the business driver)"));
    m_group->setReadOnly(true);
    m_name = named<QLineEdit>("eAttName", QStringLiteral("Attribute name"));
    m_name->setReadOnly(true);
    FieldLimits::limit(m_group, "Attribute", "Group");
    FieldLimits::limit(m_name, "Attribute", "Attribute");
    m_description = named<QPlainTextEdit>(
        "mAttDescription", QStringLiteral("This is the customised description of the attribute"));
    m_profile = named<QPlainTextEdit>(
        "mAttProfile", QStringLiteral("This is the way in which the attribute is measured, and the success criteria"));
    m_objectives = named<QListWidget>("lbSecObj",
        QStringLiteral("The control objectives required to counter  risks to the attribute are shown here"));
    m_controls = named<QListWidget>("lbSecCon",
        QStringLiteral("This is the list of controls required to protect the attribute from all identified risks"));
    m_objectiveChoice = choiceBox("cbSecObj",
        QStringLiteral("Select an objective to add to the list of objectives (and its associated controls will add to "
                       "the controls list)"));
    m_controlChoice = choiceBox("cbSecCon", QStringLiteral("Select a control to add to the list of controls"));
    for (QWidget* w : std::initializer_list<QWidget*> {
             m_description, m_profile, m_objectives, m_controls, m_objectiveChoice, m_controlChoice })
        w->setMinimumWidth(200);

    auto* title = new QLabel(QStringLiteral("IN USE SECURITY ATTRIBUTES"));
    title->setObjectName(QStringLiteral("Label33"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* heading = new QHBoxLayout;
    heading->addWidget(title);
    heading->addStretch(1);
    heading->addWidget(link(QStringLiteral("Trace"), "hTrace", [this] { Q_EMIT traceRequested(); }));
    m_gridColumn = new QVBoxLayout;
    m_gridColumn->addLayout(heading);

    QGroupBox* details = group(QStringLiteral("Attribute Details"), "GroupBox11");
    auto* detailsForm = new QGridLayout(details);
    auto* names = new QHBoxLayout;
    names->addWidget(new QLabel(QStringLiteral("Attribute ")));
    names->addWidget(m_group, 1);
    names->addWidget(m_name, 1);
    names->addSpacing(12);
    names->addWidget(link(QStringLiteral("Save "), "hSave5", [this] { saveAttribute(); }), 0, Qt::AlignTop);
    detailsForm->addLayout(names, 0, 0, 1, 2);
    detailsForm->addWidget(new QLabel(QStringLiteral("Description ")), 1, 0);
    detailsForm->addWidget(new QLabel(QStringLiteral("Profile ")), 1, 1);
    detailsForm->addWidget(m_description, 2, 0);
    detailsForm->addWidget(m_profile, 2, 1);
    detailsForm->setRowStretch(2, 1);

    // Each Add link sits under its list, its choice beside it.
    QGroupBox* lists = group(QStringLiteral("Security Control Objectives and Controls"), "GroupBox12");
    auto* listsForm = new QGridLayout(lists);
    listsForm->addWidget(new QLabel(QStringLiteral("Objectives ")), 0, 0, 1, 2);
    listsForm->addWidget(new QLabel(QStringLiteral("Controls ")), 0, 2, 1, 2);
    listsForm->addWidget(m_objectives, 1, 0, 1, 2);
    listsForm->addWidget(m_controls, 1, 2, 1, 2);
    listsForm->addWidget(link(QStringLiteral("Add "), "hAdd5", [this] { addObjective(); }), 2, 0);
    listsForm->addWidget(m_objectiveChoice, 2, 1);
    listsForm->addWidget(link(QStringLiteral("Add "), "hAdd4", [this] { addControl(); }), 2, 2);
    listsForm->addWidget(m_controlChoice, 2, 3);
    listsForm->setRowStretch(1, 1);
    listsForm->setColumnStretch(1, 1);
    listsForm->setColumnStretch(3, 1);

    auto* editors = new QVBoxLayout;
    editors->addWidget(details, 1);
    editors->addWidget(lists, 1);
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 8);
    page->addLayout(m_gridColumn, 1);
    page->addLayout(editors, 2);

    m_objectives->installEventFilter(this);
    m_controls->installEventFilter(this);
}

void SecurityAttributesTab::storeOpened()
{
    Table& attribute = assessment().attribute();
    m_grid = makeGrid(attribute, { { field("Attribute"), field("Attribute") }, { field("Group"), field("Group") } },
        false, "DBGrid5");
    m_grid->setColumnWidth(0, 130);
    m_grid->setMinimumWidth(240);
    m_gridColumn->addWidget(m_grid, 1);

    // Other tabs walk Attribute too (the derivation, the catalogue tab); the
    // editors follow only while this tab shows and are shown afresh by its
    // show step.
    m_editor = new RecordEditor(*this, attribute,
        { [this] { showAttribute(); }, [this](qint64 rowId) { writeAttribute(rowId); } },
        RecordEditor::Follow::WhileShown);
    m_editor->watch(m_description);
    m_editor->watch(m_profile);
}

bool SecurityAttributesTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool SecurityAttributesTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

bool SecurityAttributesTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_objectives)
            run([this, key] { objectiveListKey(key); });
        else if (watched == m_controls)
            run([this, key] { controlListKey(key); });
    }
    return TabPage::eventFilter(watched, event);
}

void SecurityAttributesTab::tabShown()
{
    WaitCursor wait(dialogs());
    showAttributesInUse(assessment(), host().divisionFilterText());
    fillCatalogue();
    m_editor->showCurrent();
}

void SecurityAttributesTab::tabHidden()
{
    Q_EMIT attributesInUseLeft();
}

void SecurityAttributesTab::fillCatalogue()
{
    Table& controls = assessment().controls();
    // One move first: edits pending on the catalogue tab are offered for saving.
    controls.first();
    const SecurityAttributeStore::CatalogueLines lines = SecurityAttributeStore::catalogueLines(controls);
    ChoiceBox::setItems(m_objectiveChoice, lines.objectives);
    ChoiceBox::setItems(m_controlChoice, lines.controls);
}

void SecurityAttributesTab::followDivisionFilter(const QString& division)
{
    if (isPageShown())
        run([this, division] { deriveAttributesInUse(assessment(), division); });
}

// With no attribute in use every editor is emptied.
void SecurityAttributesTab::showAttribute()
{
    const Table& t = assessment().attribute();
    m_group->setText(t.text(field("Group")));
    m_name->setText(t.text(field("Attribute")));
    Text::setMemo(m_description, t.text(field("Description")));
    Text::setMemo(m_profile, t.text(field("Profile")));
    SortedList::setItems(m_objectives, LineList::split(t.text(field("SecObjectives"))));
    SortedList::setItems(m_controls, LineList::split(t.text(field("SecControls"))));
    blankStatus(22);
}

void SecurityAttributesTab::writeAttribute(qint64 rowId)
{
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                  "));
    const SecurityAttributeEdits edits { m_group->text(), m_name->text(), Text::memo(m_description),
        Text::memo(m_profile), SortedList::items(m_objectives), SortedList::items(m_controls) };
    SecurityAttributeStore::write(assessment(), rowId, edits);
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}

void SecurityAttributesTab::saveAttribute()
{
    if (assessment().attribute().hasRecord())
        m_editor->save();
}

void SecurityAttributesTab::insertObjective()
{
    const QString objective = m_objectiveChoice->currentText();
    SortedList::insert(m_objectives, objective);
    QStringList catalogue;
    for (int i = 0; i < m_controlChoice->count(); ++i)
        catalogue << m_controlChoice->itemText(i);
    for (const QString& line : SecurityAttributeStore::sameObjective(catalogue, objective))
        SortedList::insert(m_controls, line);
    m_editor->markEdited();
    setStatus(kRecordAdded);
}

void SecurityAttributesTab::insertControl()
{
    SortedList::insert(m_controls, m_controlChoice->currentText());
    m_editor->markEdited();
    setStatus(kRecordAdded);
}

void SecurityAttributesTab::addObjective()
{
    if (assessment().attribute().hasRecord())
        insertObjective();
}

void SecurityAttributesTab::addControl()
{
    if (assessment().attribute().hasRecord())
        insertControl();
}

// Delete takes the selected objective away with every control of it (typed
// ones included); Insert adds the objective chosen, as its Add link does.
void SecurityAttributesTab::objectiveListKey(int key)
{
    if (key == Qt::Key_Delete) {
        QListWidgetItem* objective = selectedItem(m_objectives);
        if (!objective)
            return; // nothing chosen, nothing to delete
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        const QString prefix = objective->text().left(5);
        for (int i = m_controls->count() - 1; i >= 0; --i)
            if (m_controls->item(i)->text().left(5) == prefix)
                delete m_controls->takeItem(i);
        delete m_objectives->takeItem(m_objectives->row(objective));
        m_editor->markEdited();
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        addObjective();
    }
}

// Neither key acts in an empty list.
void SecurityAttributesTab::controlListKey(int key)
{
    if (m_controls->count() == 0)
        return;
    if (key == Qt::Key_Delete) {
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        if (QListWidgetItem* line = selectedItem(m_controls))
            delete m_controls->takeItem(m_controls->row(line));
        m_editor->markEdited();
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        insertControl();
    }
}
