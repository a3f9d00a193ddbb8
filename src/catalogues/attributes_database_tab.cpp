#include "catalogues/attributes_database_tab.h"

#include "catalogues/attribute_links.h"
#include "catalogues/attribute_set_import.h"
#include "catalogues/catalogue_commands.h"
#include "catalogues/catalogue_tab_helpers.h"
#include "catalogues/catalogue_tree.h"
#include "catalogues/catalogue_tree_view.h"
#include "catalogues/starter_set_offer.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"
#include "store/table_expressions.h"

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

AttributesDatabaseTab::AttributesDatabaseTab(TabHost& host)
    : TabPage(host, "TabSheet7", QStringLiteral("Attributes Database"))
{
    using namespace FormLayout;
    m_group = named<QLineEdit>("eAttGroup2");
    m_sequence = named<QLineEdit>("eAttSeq2");
    m_sequence->setFixedWidth(42);
    m_name = named<QLineEdit>("eAttName2");
    m_tier = named<QLineEdit>("eTier");
    m_tier->setFixedWidth(80);
    m_description = named<QPlainTextEdit>("mAttDesc2");
    m_description->setMinimumHeight(60);
    FieldLimits::limit(m_group, "Attribute", "Group");
    FieldLimits::limit(m_sequence, "Attribute", "Grx");
    FieldLimits::limit(m_name, "Attribute", "Attribute");
    FieldLimits::limit(m_tier, "Attribute", "Tier");

    QGroupBox* details = group(QStringLiteral("Attribute "), "GroupBox18");
    auto* form = new QGridLayout(details);
    addField(form, 0, 0, QStringLiteral("Group "), m_group);
    addField(form, 0, 2, QStringLiteral("Sequence"), m_sequence);
    form->addWidget(
        link(QStringLiteral("Save"), "hSave6", [this] { saveAttribute(); }), 0, 4, Qt::AlignRight | Qt::AlignTop);
    addField(form, 1, 0, QStringLiteral("Attribute "), m_name);
    addField(form, 1, 2, QStringLiteral("Tier"), m_tier, 2);
    form->addWidget(new QLabel(QStringLiteral("Description ")), 2, 0, 1, 5);
    form->addWidget(m_description, 3, 0, 1, 5);
    form->setColumnStretch(1, 1);
    form->setRowStretch(3, 1);

    auto* commands = new QHBoxLayout;
    commands->setSpacing(12);
    commands->addStretch(1);
    commands->addWidget(link(QStringLiteral("Add"), "hAdd6", [this] { addAttribute(); }));
    commands->addWidget(link(QStringLiteral("Delete"), "hDelete6", [this] { deleteAttribute(true); }));

    m_starterOffer = new StarterSetOffer(host, StarterSetOffer::Set::Attributes);
    m_starterOffer->setWordWrap(true);
    connect(m_starterOffer, &StarterSetOffer::loaded, this, [this] { this->host().showAssessmentAfresh(); });

    m_tree = new CatalogueTreeView("tvAttribute", QStringLiteral("Th is a tree view of the controls"));
    connect(m_tree, &CatalogueTreeView::recordChosen, this,
        [this](qint64 rowId) { run([this, rowId] { attributes().moveToRowId(rowId); }); });
    QGroupBox* import = group(QStringLiteral("Import "), "GroupBox7");
    auto* button = named<QPushButton>("bImport1");
    button->setText(QStringLiteral("Attribute Set"));
    connect(button, &QPushButton::clicked, this, [this] { run([this] { importAttributeSet(); }); });
    auto* importLayout = new QHBoxLayout(import);
    importLayout->setContentsMargins(12, 18, 12, 18);
    importLayout->addWidget(button, 0, Qt::AlignCenter);

    // Three columns: the attributes over their editors, the two mapping
    // grids (both added once the store is open), the tree over the import.
    m_left = new QVBoxLayout;
    m_left->addLayout(commands);
    m_left->addWidget(details, 1);
    m_mappings = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    right->addWidget(m_tree, 1);
    right->addWidget(import);
    auto* columns = new QHBoxLayout;
    columns->addLayout(m_left, 1);
    columns->addLayout(m_mappings, 1);
    columns->addLayout(right, 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addWidget(m_starterOffer);
    page->addLayout(columns, 1);
}

void AttributesDatabaseTab::storeOpened()
{
    Assessment& a = assessment();
    Table& table = a.attribute();
    m_grid = makeGrid(table,
        { { field("Group"), QStringLiteral("Group") }, { field("Attribute"), QStringLiteral("Attribute") },
            { field("Tier"), QStringLiteral("Tier") } },
        false, "DBGrid6");
    m_busToTech = makeGrid(a.businessToTechnical(),
        { { field("BusAtt"), QStringLiteral("Business Attribute") },
            { field("TechAtt"), QStringLiteral("Technical Attribute") } },
        true, "DBGrid7");
    m_techToSec = makeGrid(a.technicalToSecurity(),
        { { field("TechAtt"), QStringLiteral("Technical Attribute") },
            { field("SecAtt"), QStringLiteral("Security Attribute") } },
        true, "DBGrid8");
    m_grid->setColumnWidth(0, 100);
    m_grid->setColumnWidth(1, 110);
    for (DataGrid* grid : { m_grid, m_busToTech, m_techToSec }) {
        grid->setMinimumHeight(100);
        releaseOnTableEnd(grid);
    }
    for (DataGrid* grid : { m_busToTech, m_techToSec })
        grid->setColumnWidth(0, 130);
    m_left->insertWidget(0, m_grid, 1);
    m_mappings->addWidget(m_busToTech, 1);
    m_mappings->addWidget(m_techToSec, 1);
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            run([this] { deleteAttribute(false); });
    });
    // A click on the attribute shown shows it again, unless it is being edited.
    connect(m_grid, &DataGrid::cellClicked, this, [this] {
        if (!m_editor->isEdited())
            run([this] { m_editor->showCurrent(); });
    });
    connect(m_busToTech, &DataGrid::cellClicked, this, [this] { run([this] { followTechnicalAttribute(); }); });

    m_editor = new RecordEditor(
        *this, table, { [this] { showAttribute(); }, [this](qint64 rowId) { writeAttribute(rowId); } });
    for (QLineEdit* e : { m_group, m_sequence, m_name, m_tier })
        m_editor->watch(e);
    m_editor->watch(m_description);

    // The tree follows the rows while the tab is shown: a key change, Add,
    // Delete, an import or an archive load puts it in key order at once. Rows
    // read afresh may hold another record under the row id shown, so the
    // editors show it again unless edited.
    connect(&table, &Table::rowsReset, this, [this] {
        if (!isPageShown())
            return;
        rebuildAttributeTree();
        if (!m_editor->isEdited())
            m_editor->showCurrent();
    });
    connect(&table, &Table::rowChanged, this, [this] {
        if (isPageShown())
            rebuildAttributeTree();
    });
    connect(&table, &Table::currentChanged, this, [this] { m_tree->selectRecord(attributes().currentRowId()); });
    m_starterOffer->follow(table);
}

Table& AttributesDatabaseTab::attributes() const
{
    return assessment().attribute();
}

bool AttributesDatabaseTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool AttributesDatabaseTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

void AttributesDatabaseTab::tabShown()
{
    showTaxonomy();
    blankStatus();
}

// Every attribute is listed in key order, whatever filter or order the tab
// shown before left on the table.
void AttributesDatabaseTab::showTaxonomy()
{
    Table& t = attributes();
    t.setSort(QStringLiteral("GrAtt ASC"));
    t.setFiltered(false);
    t.first();
    rebuildAttributeTree();
    m_editor->showCurrent();
}

void AttributesDatabaseTab::rebuildAttributeTree()
{
    m_tree->showTree(CatalogueTrees::attributes(attributes()));
    m_tree->selectRecord(attributes().currentRowId());
}

void AttributesDatabaseTab::showAttribute()
{
    const Table& t = attributes();
    const bool any = t.hasRecord();
    auto value = [&](const char* name) { return any ? t.text(field(name)) : QString(); };
    m_group->setText(value("Group"));
    m_name->setText(value("Attribute"));
    m_sequence->setText(value("Grx"));
    m_tier->setText(value("Tier"));
    Text::setMemo(m_description, value("Description"));
    filterMappings(value("Tier"), value("Attribute"));
}

// A business attribute shows its technical attributes and the security
// attributes of the first of them; a technical attribute its security
// attributes; any other tier neither.
void AttributesDatabaseTab::filterMappings(const QString& tier, const QString& name)
{
    Assessment& a = assessment();
    Table& bt = a.businessToTechnical();
    Table& ts = a.technicalToSecurity();
    const QString none = QStringLiteral("NONE");
    QString technical = tier == QLatin1String("Technical") ? name : none;
    bt.setFilter(TableExpressions::equals(field("BusAtt"), tier == QLatin1String("Business") ? name : none));
    bt.setFiltered(true);
    if (tier == QLatin1String("Business")) {
        bt.first();
        technical = bt.hasRecord() ? bt.text(field("TechAtt")) : QString();
    }
    ts.setFilter(TableExpressions::equals(field("TechAtt"), technical));
    ts.setFiltered(true);
}

void AttributesDatabaseTab::followTechnicalAttribute()
{
    Assessment& a = assessment();
    a.technicalToSecurity().setFilter(
        TableExpressions::equals(field("TechAtt"), a.businessToTechnical().text(field("TechAtt"))));
    a.technicalToSecurity().setFiltered(true);
}

void AttributesDatabaseTab::addAttribute()
{
    ::addAttribute(assessment()); // the edits of the attribute left are offered first
    m_editor->showCurrent();
    setStatus(kRecordAdded);
    m_group->setFocus();
    markWorkUnarchived();
}

void AttributesDatabaseTab::deleteAttribute(bool byLink)
{
    Table& t = attributes();
    if (!t.hasRecord() || !m_editor->offerEdits())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    t.remove();
    setStatus(kDeleted);
    if (byLink)
        markWorkUnarchived();
}

void AttributesDatabaseTab::saveAttribute()
{
    if (!attributes().hasRecord())
        return;
    m_editor->save();
}

AttributeValues AttributesDatabaseTab::editedValues() const
{
    return { m_group->text(), m_sequence->text(), m_name->text(), m_tier->text(), Text::memo(m_description) };
}

// Saves the editors into the attribute they were filled from.
void AttributesDatabaseTab::writeAttribute(qint64 rowId)
{
    // A rename takes the attribute's links along; how many is said first,
    // and No keeps the edits unsaved.
    const AttributeLinks links = AttributeRename::linksToMove(assessment(), rowId, m_name->text());
    if (links.total() > 0 && !dialogs().ask(links.renameQuestion(), Dialogs::Default::Yes))
        throw MoveStopped();
    WaitCursor wait(dialogs());
    const AttributeValues values = editedValues();
    ::saveAttribute(assessment(), rowId, values);
    // The grids were filtered while the links still had the old name.
    if (links.total() > 0)
        filterMappings(values.tier, values.name);
    markWorkUnarchived();
    setStatus(QStringLiteral("Save Complete               "));
}

void AttributesDatabaseTab::importAttributeSet()
{
    // The import replaces records any tab may be editing.
    if (!host().offerPendingEdits())
        return;
    const QString file
        = chooseImportFile(dialogs(), QStringLiteral("Are you sure you want to replace the current attributes?"));
    if (file.isEmpty())
        return;
    AttributeSet set;
    {
        WaitCursor wait(dialogs());
        set = readAttributeSet(file);
    }
    // What the assessment gave attributes the new set lacks is named first.
    const std::vector<DroppedAttribute> dropped = droppedAttributes(assessment(), set);
    if (!dropped.empty() && !dialogs().ask(dropQuestion(dropped)))
        return;
    WaitCursor wait(dialogs());
    const AttributeImportCounts counts = ::importAttributeSet(assessment(), set);
    host().showAssessmentAfresh();
    setStatus(counts.summary());
}
