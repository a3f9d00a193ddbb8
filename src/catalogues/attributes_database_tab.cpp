#include "catalogues/attributes_database_tab.h"

#include "catalogues/attribute_set_import.h"
#include "catalogues/catalogue_keys.h"
#include "catalogues/catalogue_tab_helpers.h"
#include "catalogues/import_guard.h"
#include "gui/data_grid.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "store/assessment.h"
#include "store/table_expressions.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace CatalogueTab;

AttributesDatabaseTab::AttributesDatabaseTab(TabHost& host)
    : TabPage(host, "TabSheet7", QStringLiteral("Attributes Database"))
{
    link(QStringLiteral("Add"), "hAdd6", QRect(220, 336, 30, 18), [this] { hAdd6Click(); });
    link(QStringLiteral("Delete"), "hDelete6", QRect(258, 336, 50, 18), [this] { hDelete6Click(); });

    auto* editor = new QGroupBox(QStringLiteral("Attribute "), this);
    editor->setObjectName(QStringLiteral("GroupBox18"));
    editor->setGeometry(8, 356, 300, 186);
    addLabel(QStringLiteral("Group "), QRect(8, 22, 60, 16), editor);
    m_group = control<QLineEdit>("eAttGroup2", {}, QRect(70, 18, 120, 22), editor);
    addLabel(QStringLiteral("Sequence"), QRect(196, 22, 52, 16), editor);
    m_sequence = control<QLineEdit>("eAttSeq2", {}, QRect(250, 18, 42, 22), editor);
    addLabel(QStringLiteral("Attribute "), QRect(8, 48, 60, 16), editor);
    m_name = control<QLineEdit>("eAttName2", {}, QRect(70, 44, 120, 22), editor);
    addLabel(QStringLiteral("Tier"), QRect(196, 48, 30, 16), editor);
    m_tier = control<QLineEdit>("eTier", {}, QRect(226, 44, 66, 22), editor);
    addLabel(QStringLiteral("Description "), QRect(8, 72, 80, 16), editor);
    m_description = control<QPlainTextEdit>("mAttDesc2", {}, QRect(8, 90, 284, 88), editor);
    auto* save = new LinkLabel(QStringLiteral("Save"), "hSave6", editor);
    save->setGeometry(256, 0, 40, 16);
    connect(save, &LinkLabel::clicked, this, [this] { run([this] { hSave6Click(); }); });

    m_tree = control<QTreeWidget>(
        "tvAttribute", QStringLiteral("Th is a tree view of the controls"), QRect(614, 8, 298, 440), this);
    m_tree->setHeaderHidden(true);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { run([this] { tvAttributeDblClick(); }); });

    auto* import = new QGroupBox(QStringLiteral("Import "), this);
    import->setObjectName(QStringLiteral("GroupBox7"));
    import->setGeometry(614, 454, 298, 88);
    auto* button = control<QPushButton>("bImport1", {}, QRect(90, 32, 120, 28), import);
    button->setText(QStringLiteral("Attribute Set"));
    connect(button, &QPushButton::clicked, this, [this] { run([this] { bImport1Click(); }); });
}

void AttributesDatabaseTab::storeOpened()
{
    Assessment& a = assessment();
    m_attributes = new DataGrid(a.attribute(),
        { { QStringLiteral("Group"), QStringLiteral("Group") },
            { QStringLiteral("Attribute"), QStringLiteral("Attribute") },
            { QStringLiteral("Tier"), QStringLiteral("Tier") } },
        false, "DBGrid6", this);
    m_attributes->setGeometry(8, 8, 300, 324);
    m_busToTech = new DataGrid(a.businessToTechnical(),
        { { QStringLiteral("BusAtt"), QStringLiteral("Business Attribute") },
            { QStringLiteral("TechAtt"), QStringLiteral("Technical Attribute") } },
        true, "DBGrid7", this);
    m_busToTech->setGeometry(316, 8, 290, 264);
    m_techToSec = new DataGrid(a.technicalToSecurity(),
        { { QStringLiteral("TechAtt"), QStringLiteral("Technical Attribute") },
            { QStringLiteral("SecAtt"), QStringLiteral("Security Attribute") } },
        true, "DBGrid8", this);
    m_techToSec->setGeometry(316, 278, 290, 264);
    m_attributes->setColumnWidth(1, 110);
    for (DataGrid* grid : { m_attributes, m_busToTech, m_techToSec }) {
        releaseOnTableEnd(grid);
        grid->setColumnWidth(0, grid == m_attributes ? 100 : 130);
        grid->show();
        connect(grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    }
    connect(m_attributes, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid6CellClick(); }); });
    connect(m_attributes, &DataGrid::keyReleased, this, [this](int key) { run([this, key] { DBGrid6KeyUp(key); }); });
    connect(m_busToTech, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid7CellClick(); }); });
}

void AttributesDatabaseTab::TabSheet7Show()
{
    MakeAttributeTree();
    DBGrid6CellClick();
    setStatus(kBlank21);
}

void AttributesDatabaseTab::MakeAttributeTree()
{
    m_tree->clear();
    m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList { QStringLiteral("Attributes") }));
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    Table& t = assessment().attribute();
    const DisplaySuspended suspended { &t };
    t.setFiltered(false);
    t.first();
    const int groupField = t.fieldIndex(QStringLiteral("Group"));
    const int nameField = t.fieldIndex(QStringLiteral("Attribute"));
    QString previousGroup;
    QTreeWidgetItem* groupNode = nullptr;
    for (int row = 0; row < t.recordCount(); ++row) {
        const QString group = t.textAt(row, groupField);
        if (group != previousGroup) {
            previousGroup = group;
            groupNode = new QTreeWidgetItem(root, QStringList { group });
        }
        const QStringList label { t.textAt(row, nameField) };
        // Records before the first group node stand beside the root.
        if (groupNode)
            new QTreeWidgetItem(groupNode, label);
        else
            m_tree->addTopLevelItem(new QTreeWidgetItem(label));
    }
    root->setExpanded(true);
}

void AttributesDatabaseTab::DBGrid6CellClick()
{
    Assessment& a = assessment();
    Table& t = a.attribute();
    if (!t.hasRecord())
        return;
    m_group->setText(t.text(QStringLiteral("Group")));
    m_name->setText(t.text(QStringLiteral("Attribute")));
    m_sequence->setText(t.text(QStringLiteral("Grx")));
    m_tier->setText(t.text(QStringLiteral("Tier")));
    Text::setMemo(m_description, t.text(QStringLiteral("Description")));

    Table& bt = a.businessToTechnical();
    Table& ts = a.technicalToSecurity();
    bt.setFilter(TableExpressions::equals(QStringLiteral("BusAtt"), QStringLiteral("NONE")));
    ts.setFilter(TableExpressions::equals(QStringLiteral("TechAtt"), QStringLiteral("NONE")));
    if (m_tier->text() == QLatin1String("Technical"))
        ts.setFilter(TableExpressions::equals(QStringLiteral("TechAtt"), m_name->text()));
    if (m_tier->text() == QLatin1String("Business")) {
        bt.setFilter(TableExpressions::equals(QStringLiteral("BusAtt"), m_name->text()));
        bt.setFiltered(true);
        bt.first();
        ts.setFilter(TableExpressions::equals(QStringLiteral("TechAtt"), bt.text(QStringLiteral("TechAtt"))));
    } else {
        bt.setFiltered(true);
    }
    ts.setFiltered(true);
}

void AttributesDatabaseTab::DBGrid7CellClick()
{
    Assessment& a = assessment();
    a.technicalToSecurity().setFilter(
        TableExpressions::equals(QStringLiteral("TechAtt"), a.businessToTechnical().text(QStringLiteral("TechAtt"))));
    a.technicalToSecurity().setFiltered(true);
}

void AttributesDatabaseTab::tvAttributeDblClick()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (m_tree->topLevelItemCount() == 0 || !node || !node->isSelected() || level(node) != 2)
        return;
    Table& t = assessment().attribute();
    t.locate(QStringLiteral("Attribute"), { node->text(0) });
    m_group->setText(t.text(QStringLiteral("Group")));
    m_name->setText(t.text(QStringLiteral("Attribute")));
    m_sequence->setText(t.text(QStringLiteral("Grx")));
    Text::setMemo(m_description, t.text(QStringLiteral("Description")));
}

void AttributesDatabaseTab::hAdd6Click()
{
    Table& t = assessment().attribute();
    t.append();
    m_group->setText(QStringLiteral("Group Name"));
    m_sequence->setText(QStringLiteral("0"));
    m_name->setText(QStringLiteral("Attribute Name"));
    m_description->clear();
    t.setText(QStringLiteral("Attribute"), QStringLiteral("Attribute Name"));
    t.setText(QStringLiteral("Group"), QStringLiteral("Group Name"));
    t.setText(QStringLiteral("Grx"), QStringLiteral("0"));
    t.setText(QStringLiteral("GrAtt"), CatalogueKeys::attributeSortKey(m_sequence->text(), m_name->text()));
    t.post();
    markWorkUnarchived();
    setStatus(kRecordAdded);
    m_group->setFocus();
}

void AttributesDatabaseTab::hSave6Click()
{
    Table& t = assessment().attribute();
    if (!t.hasRecord())
        return;
    WaitCursor wait(dialogs());
    // The key is worked out first, so a Sequence that is not a whole number
    // stops the save before the record is touched.
    const QString key = CatalogueKeys::attributeSortKey(m_sequence->text(), m_name->text());
    const QString oldKey = t.text(QStringLiteral("GrAtt"));
    const QString tier = m_tier->text();
    const bool known
        = tier == QLatin1String("Business") || tier == QLatin1String("Technical") || tier == QLatin1String("Security");
    t.edit();
    t.setText(QStringLiteral("Attribute"), m_name->text());
    t.setText(QStringLiteral("Group"), m_group->text());
    t.setText(QStringLiteral("Tier"), known ? tier : QStringLiteral("Business"));
    t.setText(QStringLiteral("Grx"), m_sequence->text());
    t.setText(QStringLiteral("GrAtt"), key);
    t.setText(QStringLiteral("Description"), Text::memo(m_description));
    t.post();
    if (t.text(QStringLiteral("GrAtt")) != oldKey)
        MakeAttributeTree();
    markWorkUnarchived();
    setStatus(QStringLiteral("Save Complete               "));
}

void AttributesDatabaseTab::deleteCurrent(bool clearsSaved)
{
    if (!deleteConfirmed(assessment().attribute(), dialogs()))
        return;
    setStatus(kDeleted);
    if (clearsSaved)
        markWorkUnarchived();
}

void AttributesDatabaseTab::hDelete6Click()
{
    deleteCurrent(true);
}

void AttributesDatabaseTab::DBGrid6KeyUp(int key)
{
    if (key == Qt::Key_Delete)
        deleteCurrent(false);
}

void AttributesDatabaseTab::bImport1Click()
{
    // The import replaces records other tabs may be editing.
    if (!host().offerPendingEdits())
        return;
    const QString file
        = chooseImportFile(dialogs(), QStringLiteral("Are you sure you want to replace the current attributes?"));
    if (file.isEmpty())
        return;
    WaitCursor wait(dialogs());
    importAttributeSet(assessment(), file);
    TabSheet7Show();
}
