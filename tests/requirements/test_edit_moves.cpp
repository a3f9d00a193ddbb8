// Edits pending on the Requirements and Drivers tabs, and every way the
// current record can move: the edits are offered once and land in the record
// they were made on, or nowhere.
#include "support/edit_moves.h"

#include <QLineEdit>

namespace {

const RecordMove kEveryMove[] = { RecordMove::GridClick, RecordMove::ArrowKey, RecordMove::DivisionFilter,
    RecordMove::TabSwitchLeft, RecordMove::TabSwitchRight, RecordMove::Add, RecordMove::Delete, RecordMove::Clear,
    RecordMove::Load, RecordMove::ReportRun };

class RegisterEditMoves : public EditMovesFixture {
protected:
    // Three records in each table, the second of another division than the
    // other two, every field filled as the editors show it; then a fresh window.
    void fill()
    {
        Assessment& a = window->assessment();
        a.clearDatabase();
        setSystem("Divisions", { "North", "South" });
        for (auto [id, text, division] :
            { std::tuple { "1", "One", "North" }, { "2", "Two", "South" }, { "3", "Three", "North" } }) {
            addRow(a.requirements(),
                { { "RSeq", QStringLiteral("BR") + id }, { "Requirement", text }, { "Division", division },
                    { "Priority", "High" }, { "Activity", "Enterprise" } });
            addRow(a.drivers(),
                { { "CSeq", QStringLiteral("BD") + id }, { "Driver", text }, { "Division", division },
                    { "Activity", "Enterprise" }, { "Group", "[1] Management" } });
        }
        a.setWorkArchived(true);
        startWindow();
    }
};

TEST_F(RegisterEditMoves, EveryMoveOffersTheEditsOnceAndYesSavesOnlyTheEditedRecord)
{
    const struct {
        EditingTab tab;
        const char* table;
        const char* idEditor;
        const char* idField;
        const char* textEditor; // the edit made
        const char* textField;
    } tabs[] = {
        { { "TabSheet1", "DBGrid2", "TabSheet9", "TabSheet2", "North", "hAdd1", "hDelete1" }, "Requirements", "eID1",
            "RSeq", "eRequirement", "Requirement" },
        { { "TabSheet2", "DBGrid1", "TabSheet1", "AttributeTab", "North", "hAdd2", "hDelete2" }, "Drivers", "eId2",
            "CSeq", "eDriver", "Driver" },
    };
    for (const auto& t : tabs) {
        for (const RecordMove move : kEveryMove) {
            for (const bool yes : { true, false }) {
                SCOPED_TRACE(std::string(t.tab.tab) + ", " + moveName(move) + (yes ? ", Yes" : ", No"));
                fill();
                Table& table = *window->assessment().byName(QString::fromLatin1(t.table));
                showTab(t.tab.tab);
                clickRow(t.tab.grid, 1);
                const qint64 edited = table.currentRowId();
                typeInto(t.textEditor, QStringLiteral("Edited"));
                const StoredRows before = storedRows(t.table);
                scriptAnswers(yes);

                makeMove(move, t.tab);

                expectOfferedOnce();
                expectOnlyEditedRecordChanged(
                    storedRows(t.table), before, edited, table.fieldIndex(QString::fromLatin1(t.textField)), yes, move);
                // The editors show the current record.
                const bool any = table.hasRecord();
                EXPECT_EQ(find<QLineEdit>(t.idEditor)->text(), any ? table.text(t.idField) : QString());
                EXPECT_EQ(find<QLineEdit>(t.textEditor)->text(), any ? table.text(t.textField) : QString());
            }
        }
    }
}

}
