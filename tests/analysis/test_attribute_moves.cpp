// Edits pending on the Security Attributes and Applications tabs, and every
// way their current record can move: the edits are offered once and land in
// the record they were made on, or nowhere.
#include "support/edit_moves.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

class AttributeEditMoves : public EditMovesFixture {
protected:
    // A driver in each division, each profiled on a business attribute that
    // reaches security attributes (North: Access; South: Audit and Crypto),
    // and three applications; then a fresh window.
    void fill()
    {
        Assessment& a = window->assessment();
        a.clearDatabase();
        setSystem("Divisions", { "North", "South" });
        for (auto [id, division, business] : { std::tuple { "1", "North", "Agile" }, { "2", "South", "Brand" } }) {
            addRow(a.requirements(),
                { { "RSeq", QStringLiteral("BR") + id }, { "Requirement", "Need" }, { "Division", division } });
            addRow(a.drivers(), { { "CSeq", QStringLiteral("BD") + id }, { "Division", division } });
            addRow(a.driverProfiles(),
                { { "CSeq", QStringLiteral("BD") + id }, { "Attribute", business }, { "Priority", "1" } });
        }
        for (auto [grAtt, name, tier] :
            { std::tuple { "01Agile", "Agile", "Business" }, { "02Brand", "Brand", "Business" },
                { "10Net", "Net", "Technical" }, { "10App", "App", "Technical" }, { "20Access", "Access", "Security" },
                { "20Audit", "Audit", "Security" }, { "20Crypto", "Crypto", "Security" } })
            addRow(a.attribute(), { { "GrAtt", grAtt }, { "Attribute", name }, { "Group", "G" }, { "Tier", tier } });
        for (auto [bus, tech] : { std::pair { "Agile", "Net" }, { "Brand", "App" } })
            addRow(a.businessToTechnical(), { { "BusAtt", bus }, { "TechAtt", tech } });
        for (auto [tech, sec] : { std::pair { "Net", "Access" }, { "App", "Audit" }, { "App", "Crypto" } })
            addRow(a.technicalToSecurity(), { { "TechAtt", tech }, { "SecAtt", sec } });
        for (const char* name : { "Ledger", "Payroll", "Portal" })
            addRow(a.applications(), { { "Application", name }, { "Owner", "Finance" }, { "SecAtt", "Access\r\n" } });
        a.setWorkArchived(true);
        startWindow();
    }

    // The stored rows without the in-use marks, which the derivation rewrites
    // on every show and filter change.
    StoredRows storedValues(const char* table)
    {
        StoredRows rows = storedRows(table);
        const int inUse = window->assessment().attribute().fieldIndex(QStringLiteral("InUse"));
        if (QLatin1String(table) == QLatin1String("Attribute"))
            for (auto& [id, values] : rows)
                values[inUse].clear();
        return rows;
    }
};

TEST_F(AttributeEditMoves, EveryMoveOffersTheEditsOnceAndYesSavesOnlyTheEditedRecord)
{
    const RecordMove common[]
        = { RecordMove::GridClick, RecordMove::ArrowKey, RecordMove::DivisionFilter, RecordMove::TabSwitchLeft,
              RecordMove::TabSwitchRight, RecordMove::Clear, RecordMove::Load, RecordMove::ReportRun };
    const struct {
        EditingTab tab;
        const char* table;
        const char* nameEditor; // shows the record's name
        const char* nameField;
        const char* memo; // the edit made
        const char* memoField;
        bool addsAndDeletes;
    } tabs[] = {
        { { "TabSheet4", "DBGrid5", "AttributeTab", "TabSheet10", "North" }, "Attribute", "eAttName", "Attribute",
            "mAttDescription", "Description", false },
        { { "TabSheet10", "DBGrid9", "TabSheet4", "TabSheet6", "South", "hAdd7", "hDelete7" }, "Applications",
            "eApplication", "Application", "mAppDesc", "Description", true },
    };
    for (const auto& t : tabs) {
        std::vector<RecordMove> moves(std::begin(common), std::end(common));
        if (t.addsAndDeletes)
            moves.insert(moves.end(), { RecordMove::Add, RecordMove::Delete });
        for (const RecordMove move : moves) {
            for (const bool yes : { true, false }) {
                SCOPED_TRACE(std::string(t.tab.tab) + ", " + moveName(move) + (yes ? ", Yes" : ", No"));
                fill();
                Table& table = *window->assessment().byName(QString::fromLatin1(t.table));
                showTab(t.tab.tab);
                clickRow(t.tab.grid, 1);
                const qint64 edited = table.currentRowId();
                auto* memo = find<QPlainTextEdit>(t.memo);
                memo->setFocus();
                QTest::keyClicks(memo, QStringLiteral("Edited"));
                const StoredRows before = storedValues(t.table);
                scriptAnswers(yes);

                makeMove(move, t.tab);

                expectOfferedOnce();
                expectOnlyEditedRecordChanged(storedValues(t.table), before, edited,
                    table.fieldIndex(QString::fromLatin1(t.memoField)), yes, move);
                // The editors show the current record.
                if (window->pageShown() == find<QWidget>(t.tab.tab)) {
                    const bool any = table.hasRecord();
                    EXPECT_EQ(find<QLineEdit>(t.nameEditor)->text(), any ? table.text(t.nameField) : QString());
                    EXPECT_EQ(memo->toPlainText(), any ? table.text(t.memoField) : QString());
                }
            }
        }
    }
}

}
