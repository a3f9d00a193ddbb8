// Edits pending on the Attributes Database and Controls Database tabs, and
// every way the current record can move: the edits are offered once and land
// in the record they were made on, or nowhere; the editors and the tree show
// the current record; records stay in key order.
#include "support/edit_moves.h"

#include <QLineEdit>
#include <QTreeWidget>

namespace {

// The moves of the register tabs, and two of the catalogue tabs' own.
enum class CatalogueMove { Common, TreeClick, Import };

struct Move {
    CatalogueMove kind;
    RecordMove common;
    std::string name() const
    {
        return kind == CatalogueMove::TreeClick ? "tree click"
            : kind == CatalogueMove::Import     ? "import"
                                                : moveName(common);
    }
};

const Move kEveryMove[] = { { CatalogueMove::Common, RecordMove::GridClick },
    { CatalogueMove::Common, RecordMove::ArrowKey }, { CatalogueMove::Common, RecordMove::DivisionFilter },
    { CatalogueMove::Common, RecordMove::TabSwitchLeft }, { CatalogueMove::Common, RecordMove::TabSwitchRight },
    { CatalogueMove::Common, RecordMove::Add }, { CatalogueMove::Common, RecordMove::Delete },
    { CatalogueMove::Common, RecordMove::Clear }, { CatalogueMove::Common, RecordMove::Load },
    { CatalogueMove::Common, RecordMove::ReportRun }, { CatalogueMove::TreeClick, {} }, { CatalogueMove::Import, {} } };

struct CatalogueTab {
    EditingTab tab;
    const char* table;
    const char* tree;
    const char* importButton;
    const char* keyEditor; // shows the key field
    const char* keyField;
    const char* textEditor; // the edit made
    const char* textField;
};

// Attributes: left of the tab are Security Attributes, whose show step sorts
// the attributes by name, and Applications, which does the same.
const CatalogueTab kTabs[] = {
    { { "TabSheet7", "DBGrid6", "TabSheet4", "TabSheet10", "North", "hAdd6", "hDelete6" }, "Attribute", "tvAttribute",
        "bImport1", "eAttName2", "Attribute", "eAttGroup2", "Group" },
    { { "TabSheet5", "DBGrid4", "TabSheet7", "TabSheet3", "North", "hAdd3", "hDelete3" }, "Controls", "tvControl",
        "bImport2", "eId", "Id", "eControl", "control_title" },
};

QTreeWidgetItem* nodeOf(QTreeWidget* tree, qint64 rowId)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toLongLong() == rowId)
            return *it;
    return nullptr;
}

class CatalogueMoves : public EditMovesFixture {
protected:
    // Three attributes whose name order differs from their key order, three
    // controls; then a fresh window.
    void fill()
    {
        Assessment& a = window->assessment();
        a.clearDatabase();
        for (auto [group, seq, name, key] : { std::tuple { "Gamma", "1", "Zeta", "01Zeta" },
                 { "Beta", "2", "Alpha", "02Alpha" }, { "Alpha", "3", "Mid", "03Mid" } })
            addRow(a.attribute(),
                { { "Group", group }, { "Grx", seq }, { "Attribute", name }, { "GrAtt", key },
                    { "Tier", "Security" } });
        for (auto [id, title] : { std::pair { "01.01.01", "One" }, { "01.02.01", "Two" }, { "02.01.01", "Three" } })
            addRow(a.controls(),
                { { "Id", id }, { "XId", id }, { "section_title", "S" }, { "subsection_title", "O" },
                    { "control_title", title } });
        a.setWorkArchived(true);
        startWindow();
    }

    void makeCatalogueMove(const Move& move, const CatalogueTab& t, Table& table)
    {
        if (move.kind == CatalogueMove::TreeClick) {
            auto* tree = find<QTreeWidget>(t.tree);
            QTreeWidgetItem* first = nodeOf(tree, table.rowIdAt(0));
            ASSERT_TRUE(first);
            Q_EMIT tree->itemClicked(first, 0);
        } else if (move.kind == CatalogueMove::Import) {
            click(t.importButton); // the replace question then comes as the second, answered No
        } else {
            makeMove(move.common, t.tab);
        }
    }

    QStringList column(Table& t, const char* field)
    {
        QStringList out;
        for (int row = 0; row < t.recordCount(); ++row)
            out << t.textAt(row, t.fieldIndex(QString::fromLatin1(field)));
        return out;
    }
};

TEST_F(CatalogueMoves, EveryMoveOffersTheEditsOnceAndYesSavesOnlyTheEditedRecord)
{
    for (const CatalogueTab& t : kTabs) {
        for (const Move& move : kEveryMove) {
            for (const bool yes : { true, false }) {
                SCOPED_TRACE(std::string(t.tab.tab) + ", " + move.name() + (yes ? ", Yes" : ", No"));
                fill();
                Table& table = *window->assessment().byName(QString::fromLatin1(t.table));
                showTab(t.tab.tab);
                clickRow(t.tab.grid, 1);
                const qint64 edited = table.currentRowId();
                typeInto(t.textEditor, QStringLiteral("Edited"));
                const StoredRows before = storedRows(t.table);
                scriptAnswers(yes);

                makeCatalogueMove(move, t, table);

                EXPECT_EQ(timesAsked("Save changes?"), 1);
                EXPECT_EQ(dialogs->questions.value(0), "Save changes?");
                EXPECT_EQ(dialogs->defaults.value(0), Dialogs::Default::Yes);
                EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
                StoredRows after = storedRows(t.table);
                StoredRows expected = before;
                // Security Attributes marks the attributes in use as it shows.
                const int inUse = table.fieldIndex(QStringLiteral("InUse"));
                for (StoredRows* rows : { &after, &expected })
                    for (auto& [rowId, values] : *rows)
                        values[inUse].clear();
                if (yes)
                    expected[edited][table.fieldIndex(QString::fromLatin1(t.textField))] = QStringLiteral("Edited");
                const int added = takeAddedRows(after, before);
                EXPECT_EQ(after, expected);
                EXPECT_EQ(added, move.kind == CatalogueMove::Common && move.common == RecordMove::Add ? 1 : 0);
                // The editors and the tree show the current record.
                const bool any = table.hasRecord();
                EXPECT_EQ(find<QLineEdit>(t.keyEditor)->text(), any ? table.text(t.keyField) : QString());
                EXPECT_EQ(find<QLineEdit>(t.textEditor)->text(), any ? table.text(t.textField) : QString());
                QTreeWidgetItem* selected = find<QTreeWidget>(t.tree)->currentItem();
                EXPECT_EQ(selected ? selected->data(0, Qt::UserRole).toLongLong() : 0, table.currentRowId());
            }
        }
    }
}

// Shown straight after Security Attributes (which sorts the attributes by
// name), the tree is in key order and one Save writes the attribute shown.
TEST_F(CatalogueMoves, AfterSecurityAttributesTheTreeIsInKeyOrderAndSaveWritesTheRecordShown)
{
    fill();
    Table& att = window->assessment().attribute();
    showTab("TabSheet4");
    showTab("TabSheet7");
    EXPECT_EQ(column(att, "Attribute"), QStringList({ "Zeta", "Alpha", "Mid" }));
    auto* tree = find<QTreeWidget>("tvAttribute");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->child(0)->text(0), QStringLiteral("Zeta"));
    EXPECT_EQ(find<QLineEdit>("eAttName2")->text(), att.text(QStringLiteral("Attribute")));
    const qint64 shown = att.currentRowId();
    typeInto("eAttGroup2", QStringLiteral("Changed"));
    click("hSave6");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    const StoredRows rows = storedRows("Attribute");
    for (const auto& [rowId, values] : rows)
        EXPECT_EQ(values[att.fieldIndex(QStringLiteral("Group"))] == QLatin1String("Changed"), rowId == shown);
}

// After a key-changing Save and after Add, grid and tree are in key order,
// without repeated group or section nodes, and the record saved or added
// stays current and shown; the next Save writes it again.
TEST_F(CatalogueMoves, KeyChangesAndAddKeepTheKeyOrder)
{
    struct Case {
        const char* tab;
        const char* table;
        const char* keyField;
        const char* edits[2][2]; // editor, text
        const char* save;
        const char* add;
        QStringList order; // of the key field, after the save and the add
        int topNodes; // children of the tree's root
    } cases[] = {
        { "TabSheet7", "Attribute", "GrAtt", { { "eAttSeq2", "4" }, { "eAttName2", "Alpha" } }, "hSave6", "hAdd6",
            { "00Attribute Name", "01Zeta", "03Mid", "04Alpha" }, 4 },
        { "TabSheet5", "Controls", "Id", { { "eId", "03.01.01" }, { "eXId", "03.01.01" } }, "hSave4", "hAdd3",
            { "01.01.01", "02.01.01", "03.01.01", "99.99.99" }, 4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        fill();
        Table& table = *window->assessment().byName(QString::fromLatin1(c.table));
        showTab(c.tab);
        clickRow(c.tab == std::string("TabSheet7") ? "DBGrid6" : "DBGrid4", 1);
        const qint64 saved = table.currentRowId();
        for (const auto& [editor, text] : c.edits)
            typeInto(editor, QString::fromLatin1(text));
        click(c.save);
        EXPECT_EQ(table.currentRowId(), saved);
        click(c.add);
        const qint64 added = table.currentRowId();
        EXPECT_EQ(column(table, c.keyField), c.order);
        auto* tree = find<QTreeWidget>(c.tab == std::string("TabSheet7") ? "tvAttribute" : "tvControl");
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), c.topNodes);
        EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toLongLong(), added);
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
        // A tree click back to the saved record and a Save write that record.
        Q_EMIT tree->itemClicked(nodeOf(tree, saved), 0);
        EXPECT_EQ(table.currentRowId(), saved);
        typeInto(c.edits[1][0], QStringLiteral("Again"));
        click(c.save);
        const StoredRows rows = storedRows(c.table);
        const int f = table.fieldIndex(QString::fromLatin1(c.tab == std::string("TabSheet7") ? "Attribute" : "XId"));
        for (const auto& [rowId, values] : rows)
            EXPECT_EQ(values[f] == QLatin1String("Again"), rowId == saved);
    }
}

}
