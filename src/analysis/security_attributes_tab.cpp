#include "analysis/security_attributes_tab.h"

#include "analysis/applications_tab.h"
#include "analysis/in_use_derivation.h"
#include "analysis/security_attribute_store.h"
#include "gui/data_grid.h"
#include "gui/memo_text.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

const QString kRecordAdded = QStringLiteral("Record added             ");
const QString kDeleted = QStringLiteral("Deleted                ");

// The lists keep their items in alphabetical order, ignoring case; an item
// equal to others goes after them.
void addSorted(QListWidget* list, const QString& text)
{
    int at = list->count();
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) > 0) {
            at = i;
            break;
        }
    list->insertItem(at, text);
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QListWidgetItem* selected(const QListWidget* list)
{
    const auto chosen = list->selectedItems();
    return chosen.isEmpty() ? nullptr : chosen.first();
}

void addCaption(const QString& text, const QRect& g, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(g);
}

template <class W> W* control(const char* name, const QString& hint, const QRect& g, QWidget* parent)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setToolTip(hint);
    w->setGeometry(g);
    return w;
}

}

SecurityAttributesTab::SecurityAttributesTab(TabHost& host)
    : TabPage(host, "TabSheet4", QStringLiteral("Security Attributes"))
{
    auto* title = new QLabel(QStringLiteral("IN USE SECURITY ATTRIBUTES"), this);
    title->setObjectName(QStringLiteral("Label33"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setGeometry(8, 4, 250, 16);
    link(QStringLiteral("Trace"), "hTrace", QRect(270, 4, 42, 16), [this] { Q_EMIT traceRequested(); });

    auto* details = new QGroupBox(QStringLiteral("Attribute Details"), this);
    details->setObjectName(QStringLiteral("GroupBox11"));
    details->setGeometry(320, 4, 592, 250);
    addCaption(QStringLiteral("Attribute "), QRect(10, 24, 60, 16), details);
    m_group = control<QLineEdit>("eAttGroup", QStringLiteral("Attribute Group (taken fro the business driver)"),
        QRect(70, 20, 200, 22), details);
    m_group->setReadOnly(true);
    m_name = control<QLineEdit>("eAttName", QStringLiteral("Attribute name"), QRect(280, 20, 200, 22), details);
    m_name->setReadOnly(true);
    addCaption(QStringLiteral("Description "), QRect(10, 48, 120, 16), details);
    m_description = control<QPlainTextEdit>("mAttDescription",
        QStringLiteral("This is the customised description of the attribute"), QRect(10, 66, 280, 174), details);
    addCaption(QStringLiteral("Profile "), QRect(300, 48, 120, 16), details);
    m_profile = control<QPlainTextEdit>("mAttProfile",
        QStringLiteral("This is the way in which the attribute is measured, and the success criteria"),
        QRect(300, 66, 282, 174), details);
    link(QStringLiteral("Save "), "hSave5", QRect(870, 24, 40, 18), [this] { hSave5Click(); });

    auto* lists = new QGroupBox(QStringLiteral("Security Control Objectives and Controls"), this);
    lists->setObjectName(QStringLiteral("GroupBox12"));
    lists->setGeometry(320, 260, 592, 262);
    addCaption(QStringLiteral("Objectives "), QRect(10, 20, 120, 16), lists);
    m_objectives = control<QListWidget>("lbSecObj",
        QStringLiteral("The control objectives required to counter  risks to the attribute are shown here"),
        QRect(10, 36, 280, 180), lists);
    addCaption(QStringLiteral("Controls "), QRect(300, 20, 120, 16), lists);
    m_controls = control<QListWidget>("lbSecCon",
        QStringLiteral("This is the list of controls required to protect the attribute from all identified risks"),
        QRect(300, 36, 282, 180), lists);
    m_objectiveBox = control<QComboBox>("cbSecObj",
        QStringLiteral("Select an objective to add to the list of objectives (and its associated controls will add to "
                       "the controls list)"),
        QRect(44, 224, 246, 22), lists);
    m_controlBox = control<QComboBox>(
        "cbSecCon", QStringLiteral("Select a control to add to the list of controls"), QRect(334, 224, 248, 22), lists);
    for (QComboBox* box : { m_objectiveBox, m_controlBox }) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    // The Add links sit in the lower group, under their lists.
    link(QStringLiteral("Add "), "hAdd5", QRect(330, 486, 32, 18), [this] { hAdd5Click(); });
    link(QStringLiteral("Add "), "hAdd4", QRect(620, 486, 32, 18), [this] { hAdd4Click(); });

    connect(m_description, &QPlainTextEdit::textChanged, this, [this] { AttChange(); });
    connect(m_profile, &QPlainTextEdit::textChanged, this, [this] { AttChange(); });
    m_objectives->installEventFilter(this);
    m_controls->installEventFilter(this);
}

void SecurityAttributesTab::storeOpened()
{
    Table& attribute = assessment().attribute();
    m_grid = new DataGrid(attribute,
        { { QStringLiteral("Attribute"), QStringLiteral("Attribute") },
            { QStringLiteral("Group"), QStringLiteral("Group") } },
        false, "DBGrid5", this);
    m_grid->setGeometry(8, 22, 304, 500);
    m_grid->setColumnWidth(0, 130);
    m_grid->show();
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid5CellClick(); }); });
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    attribute.addMoveGuard(this, [this] {
        AttributeTableBeforeScroll();
        return MoveDecision::GoOn;
    });
    connect(&attribute, &Table::afterMove, this, [this] { AttributeTableAfterScroll(); });
}

bool SecurityAttributesTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_objectives)
            run([this, key] { lbSecObjKeyUp(key); });
        else if (watched == m_controls)
            run([this, key] { lbSecConKeyUp(key); });
    }
    return TabPage::eventFilter(watched, event);
}

void SecurityAttributesTab::tabShown()
{
    WaitCursor wait(dialogs());
    deriveAttributesInUse(assessment(), host().divisionFilterText());
    assessment().attribute().setSort(QStringLiteral("Attribute ASC"));
    fillCatalogue();
    DBGrid5CellClick();
    m_edited = false;
}

void SecurityAttributesTab::fillCatalogue()
{
    Table& controls = assessment().controls();
    // One move first: edits pending on the catalogue tab are offered for saving.
    controls.first();
    const SecurityAttributeStore::CatalogueLines lines = SecurityAttributeStore::catalogueLines(controls);
    m_objectiveBox->clear();
    m_controlBox->clear();
    m_objectiveBox->addItems(lines.objectives);
    m_controlBox->addItems(lines.controls);
    for (QComboBox* box : { m_objectiveBox, m_controlBox })
        if (box->currentText().isEmpty() && box->count() > 0)
            box->setCurrentIndex(0);
}

void SecurityAttributesTab::tabHidden()
{
    // The Applications tab's show step, which runs first, has just set up the
    // same in-use view; undoing it would let that tab find attributes not in use.
    if (qobject_cast<const ApplicationsTab*>(host().pageShown()))
        return;
    Table& attribute = assessment().attribute();
    attribute.setSort(QStringLiteral("GrAtt ASC"));
    attribute.setFiltered(false);
    attribute.first();
}

void SecurityAttributesTab::DBGrid5CellClick()
{
    Table& t = assessment().attribute();
    m_loading = true;
    m_loadedRow = t.hasRecord() ? t.rowIdAt(t.currentRow()) : 0;
    m_group->setText(t.text(QStringLiteral("Group")));
    m_name->setText(t.text(QStringLiteral("Attribute")));
    Text::setMemo(m_description, t.text(QStringLiteral("Description")));
    Text::setMemo(m_profile, t.text(QStringLiteral("Profile")));
    m_objectives->clear();
    m_objectives->addItems(LineList::split(t.text(QStringLiteral("SecObjectives"))));
    m_controls->clear();
    m_controls->addItems(LineList::split(t.text(QStringLiteral("SecControls"))));
    m_loading = false;
    setStatus(QString(22, QLatin1Char(' ')));
}

void SecurityAttributesTab::AttChange()
{
    if (!m_loading)
        m_edited = true;
}

void SecurityAttributesTab::AttributeTableAfterScroll()
{
    if (!isPageShown())
        return;
    run([this] {
        DBGrid5CellClick();
        m_edited = false;
    });
}

// Asked once however many moves follow (a walk over the table by another
// tab), and a Yes stores the editors into the attribute they were loaded
// from, whichever record the move starts from.
void SecurityAttributesTab::AttributeTableBeforeScroll()
{
    if (!m_edited)
        return;
    m_edited = false;
    if (dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes))
        run([this] { saveEditors(); });
}

bool SecurityAttributesTab::offerPendingEdits()
{
    AttributeTableBeforeScroll();
    return true;
}

void SecurityAttributesTab::followDivisionFilter(const QString& division)
{
    if (isPageShown())
        run([this, division] { deriveAttributesInUse(assessment(), division); });
}

void SecurityAttributesTab::saveEditors()
{
    if (m_loadedRow == 0)
        return;
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                  "));
    SecurityAttributeEdits edits { m_group->text(), m_name->text(), Text::memo(m_description), Text::memo(m_profile),
        items(m_objectives), items(m_controls) };
    SecurityAttributeStore::write(assessment(), m_loadedRow, edits);
    m_edited = false;
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}

void SecurityAttributesTab::hSave5Click()
{
    if (!assessment().attribute().hasRecord())
        return;
    saveEditors();
}

void SecurityAttributesTab::addObjective()
{
    const QString objective = m_objectiveBox->currentText();
    addSorted(m_objectives, objective);
    QStringList catalogue;
    for (int i = 0; i < m_controlBox->count(); ++i)
        catalogue << m_controlBox->itemText(i);
    for (const QString& line : SecurityAttributeStore::sameObjective(catalogue, objective))
        addSorted(m_controls, line);
    m_edited = true;
    setStatus(kRecordAdded);
}

void SecurityAttributesTab::hAdd5Click()
{
    if (!assessment().attribute().hasRecord())
        return;
    addObjective();
}

void SecurityAttributesTab::hAdd4Click()
{
    if (!assessment().attribute().hasRecord())
        return;
    addSorted(m_controls, m_controlBox->currentText());
    m_edited = true;
    setStatus(kRecordAdded);
}

void SecurityAttributesTab::lbSecObjKeyUp(int key)
{
    if (key == Qt::Key_Delete) {
        QListWidgetItem* objective = selected(m_objectives);
        if (!objective)
            return; // nothing chosen, nothing to delete
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        const QString prefix = objective->text().left(5);
        for (int i = m_controls->count() - 1; i >= 0; --i)
            if (m_controls->item(i)->text().left(5) == prefix)
                delete m_controls->takeItem(i);
        delete m_objectives->takeItem(m_objectives->row(objective));
        m_edited = true;
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        addObjective();
    }
}

void SecurityAttributesTab::lbSecConKeyUp(int key)
{
    if (m_controls->count() == 0)
        return;
    if (key == Qt::Key_Delete) {
        if (!dialogs().ask(QStringLiteral("Confirm Delete")))
            return;
        if (QListWidgetItem* line = selected(m_controls))
            delete m_controls->takeItem(m_controls->row(line));
        m_edited = true;
        setStatus(kDeleted);
    } else if (key == Qt::Key_Insert) {
        addSorted(m_controls, m_controlBox->currentText());
        m_edited = true;
        setStatus(kRecordAdded);
    }
}
