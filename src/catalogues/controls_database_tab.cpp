#include "catalogues/controls_database_tab.h"

#include "catalogues/catalogue_commands.h"
#include "catalogues/catalogue_tab_helpers.h"
#include "catalogues/catalogue_tree.h"
#include "catalogues/catalogue_tree_view.h"
#include "catalogues/control_set_import.h"
#include "catalogues/starter_set_offer.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace CatalogueTab;

namespace {

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

}

ControlsDatabaseTab::ControlsDatabaseTab(TabHost& host)
    : TabPage(host, "TabSheet5", QStringLiteral("Controls Database "))
{
    using namespace FormLayout;
    m_id = named<QLineEdit>("eId", QStringLiteral("This is the unique structured control  identifier"));
    m_xid = named<QLineEdit>("eXId", QStringLiteral("This is the controls library reference Id for the control"));
    for (QLineEdit* e : { m_id, m_xid })
        e->setFixedWidth(90);
    m_section = named<QLineEdit>("eSection",
        QStringLiteral(
            "This is the top level setion to which he control  (as part of the control objective) belongs "));
    m_subsectionTitle
        = named<QLineEdit>("eSubSection", QStringLiteral("This is the control objective to which the control belongs"));
    m_subsection = named<QPlainTextEdit>(
        "mSubSection", QStringLiteral("The description of the ontrol objective in terms relevant to the enterprise"));
    m_controlTitle = named<QLineEdit>("eControl", QStringLiteral("The short control description"));
    m_control = named<QPlainTextEdit>(
        "mControl", QStringLiteral("The long control description, in terms relevant to the enterprise"));
    for (QPlainTextEdit* memo : { m_subsection, m_control })
        memo->setMinimumHeight(44);
    FieldLimits::limit(m_id, "Controls", "Id");
    FieldLimits::limit(m_xid, "Controls", "XId");
    FieldLimits::limit(m_section, "Controls", "section_title");
    FieldLimits::limit(m_subsectionTitle, "Controls", "subsection_title");
    FieldLimits::limit(m_controlTitle, "Controls", "control_title");

    QGroupBox* details = group(QStringLiteral("Control"), "GroupBox9");
    auto* form = new QGridLayout(details);
    addField(form, 0, 0, QStringLiteral("Id "), m_id);
    form->addWidget(m_xid, 0, 2);
    form->addWidget(
        link(QStringLiteral("Save"), "hSave4", [this] { saveControl(); }), 0, 3, Qt::AlignRight | Qt::AlignTop);
    addField(form, 1, 0, QStringLiteral("Section "), m_section, 3);
    addField(form, 2, 0, QStringLiteral("Objective"), m_subsectionTitle, 3);
    form->addWidget(m_subsection, 3, 1, 1, 3);
    addField(form, 4, 0, QStringLiteral("Control"), m_controlTitle, 3);
    form->addWidget(m_control, 5, 1, 1, 3);
    form->setColumnStretch(3, 1);
    form->setRowStretch(3, 1);
    form->setRowStretch(5, 1);

    auto* commands = new QHBoxLayout;
    commands->setSpacing(12);
    commands->addStretch(1);
    commands->addWidget(link(QStringLiteral("Add"), "hAdd3", [this] { addControl(); }));
    commands->addWidget(link(QStringLiteral("Delete"), "hDelete3", [this] { deleteControl(true); }));

    m_starterOffer = new StarterSetOffer(host, StarterSetOffer::Set::Controls);
    connect(m_starterOffer, &StarterSetOffer::loaded, this, [this] { this->host().showAssessmentAfresh(); });

    // The grid (added once the store is open) over the editors at the left.
    m_left = new QVBoxLayout;
    m_left->addWidget(m_starterOffer);
    m_left->addLayout(commands);
    m_left->addWidget(details, 1);

    m_tree = new CatalogueTreeView("tvControl", QStringLiteral("Th is a tree view of the controls"));
    connect(m_tree, &CatalogueTreeView::recordChosen, this,
        [this](qint64 rowId) { run([this, rowId] { controls().moveToRowId(rowId); }); });
    QGroupBox* import = group(QStringLiteral("Import "), "GroupBox10");
    auto* button = named<QPushButton>("bImport2");
    button->setText(QStringLiteral("Control Set"));
    connect(button, &QPushButton::clicked, this, [this] { run([this] { importControlSet(); }); });
    auto* importLayout = new QHBoxLayout(import);
    importLayout->setContentsMargins(12, 18, 12, 18);
    importLayout->addWidget(button, 0, Qt::AlignCenter);
    auto* right = new QVBoxLayout;
    right->addWidget(m_tree, 1);
    right->addWidget(import);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addLayout(m_left, 2);
    page->addLayout(right, 1);
}

void ControlsDatabaseTab::storeOpened()
{
    Table& table = controls();
    m_grid = makeGrid(table,
        { { field("Id"), QStringLiteral("Id") }, { field("XId"), QStringLiteral("Alt Id") },
            { field("section_title"), QStringLiteral("Section") },
            { field("subsection_title"), QStringLiteral("Subsection") },
            { field("control_title"), QStringLiteral("Control") } },
        true, "DBGrid4");
    for (int column : { 0, 1 })
        m_grid->setColumnWidth(column, 64);
    for (int column : { 2, 3 })
        m_grid->setColumnWidth(column, 140);
    m_grid->setMinimumHeight(100);
    m_left->insertWidget(1, m_grid, 1);
    releaseOnTableEnd(m_grid);
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            run([this] { deleteControl(false); });
    });

    m_editor
        = new RecordEditor(*this, table, { [this] { showControl(); }, [this](qint64 rowId) { writeControl(rowId); } });
    for (QLineEdit* e : { m_id, m_xid, m_section, m_subsectionTitle, m_controlTitle })
        m_editor->watch(e);
    for (QPlainTextEdit* memo : { m_subsection, m_control })
        m_editor->watch(memo);

    // The tree follows the rows while the tab is shown: a key change, Add,
    // Delete, an import or an archive load puts it in Id order at once.
    // Rows read afresh (an import, an archive load) may hold another record
    // under the row id shown, so the editors show it again unless edited.
    connect(&table, &Table::rowsReset, this, [this] {
        if (!isPageShown())
            return;
        rebuildControlTree();
        if (!m_editor->isEdited())
            m_editor->showCurrent();
    });
    connect(&table, &Table::rowChanged, this, [this] {
        if (isPageShown())
            rebuildControlTree();
    });
    connect(&table, &Table::currentChanged, this, [this] { m_tree->selectRecord(controls().currentRowId()); });
    m_starterOffer->follow(table);
}

Table& ControlsDatabaseTab::controls() const
{
    return assessment().controls();
}

bool ControlsDatabaseTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool ControlsDatabaseTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

void ControlsDatabaseTab::tabShown()
{
    m_treeError.clear();
    showCatalogue();
    blankStatus();
}

void ControlsDatabaseTab::showCatalogue()
{
    Table& t = controls();
    t.first();
    rebuildControlTree();
    m_editor->showCurrent();
}

void ControlsDatabaseTab::rebuildControlTree()
{
    const CatalogueTree tree = CatalogueTrees::controls(controls());
    m_tree->showTree(tree);
    m_tree->selectRecord(controls().currentRowId());
    // An Id that is not in the structured form stops the tree there; it is
    // told once, not again at each rebuild while it stays.
    if (!tree.error.isEmpty() && tree.error != m_treeError)
        dialogs().error(tree.error);
    m_treeError = tree.error;
}

void ControlsDatabaseTab::showControl()
{
    const Table& t = controls();
    const bool any = t.hasRecord();
    auto value = [&](const char* name) { return any ? t.text(field(name)) : QString(); };
    m_id->setText(value("Id"));
    m_xid->setText(value("XId"));
    m_section->setText(value("section_title"));
    m_subsectionTitle->setText(value("subsection_title"));
    Text::setMemo(m_subsection, value("subsection"));
    m_controlTitle->setText(value("control_title"));
    Text::setMemo(m_control, value("control"));
}

void ControlsDatabaseTab::addControl()
{
    ::addControl(assessment()); // the edits of the control left are offered first
    m_editor->showCurrent();
    setStatus(kRecordAdded);
    m_id->setFocus();
    markWorkUnarchived();
}

void ControlsDatabaseTab::deleteControl(bool byLink)
{
    Table& t = controls();
    if (!t.hasRecord() || !m_editor->offerEdits())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    t.remove();
    setStatus(kDeleted);
    if (byLink)
        markWorkUnarchived();
}

void ControlsDatabaseTab::saveControl()
{
    if (!controls().hasRecord())
        return;
    m_editor->save();
}

ControlSetRow ControlsDatabaseTab::editedValues() const
{
    return { m_id->text(), m_xid->text(), m_section->text(), m_subsectionTitle->text(), Text::memo(m_subsection),
        m_controlTitle->text(), Text::memo(m_control) };
}

// Saves the editors into the control they were filled from.
void ControlsDatabaseTab::writeControl(qint64 rowId)
{
    WaitCursor wait(dialogs());
    ::saveControl(assessment(), rowId, editedValues());
    markWorkUnarchived();
    setStatus(QStringLiteral("Save Complete             "));
}

void ControlsDatabaseTab::importControlSet()
{
    // The import replaces records any tab may be editing.
    if (!host().offerPendingEdits())
        return;
    const QString file
        = chooseImportFile(dialogs(), QStringLiteral("Are you sure you want to replace the current controls?"),
            kImportFilter + QStringLiteral(";;OSCAL catalogs (*.json)"));
    if (file.isEmpty())
        return;
    WaitCursor wait(dialogs());
    QString cutNote;
    ::importControlSet(assessment(), file, &cutNote);
    host().showAssessmentAfresh();
    if (!cutNote.isEmpty())
        setStatus(cutNote);
}
