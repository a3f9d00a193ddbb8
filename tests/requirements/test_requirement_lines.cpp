#include "analysis/requirement_lines.h"
#include "store/line_list.h"
#include "store/table_expressions.h"
#include "support/temp_store.h"

#include <QSignalSpy>

namespace {

struct ReplaceCase {
    const char* name;
    QStringList lines;
    QString oldId;
    QStringList expected;
};

TEST(RequirementLineMatch, ReplacesOnlyTheFirstLineWhoseIdentifierIsExactlyTheOldOne)
{
    const QString newLine = QStringLiteral("BR9.9:New text");
    const ReplaceCase cases[] = {
        { "exact identifier", { "BR1.01: Keep it up", "BR2.01: Other" }, "BR1.01", { newLine, "BR2.01: Other" } },
        { "longer identifier with the same start is not taken", { "BR1.10: Ten", "BR1.1: One" }, "BR1.1",
            { "BR1.10: Ten", newLine } },
        { "no line of that identifier", { "BR1.10: Ten" }, "BR1.1", { "BR1.10: Ten" } },
        { "empty old identifier matches nothing", { "BR1.1: One", ": no id" }, "", { "BR1.1: One", ": no id" } },
        { "only the first of two equal lines", { "BR3: A", "BR3: A" }, "BR3", { newLine, "BR3: A" } },
        { "identifiers compare case-sensitively", { "br1.1: lower" }, "BR1.1", { "br1.1: lower" } },
        { "a line without colon is its own identifier", { "BR4", "BR4x: y" }, "BR4", { newLine, "BR4x: y" } },
        { "blank before the colon is part of the identifier", { "BR5 : spaced" }, "BR5", { "BR5 : spaced" } },
    };
    for (const ReplaceCase& c : cases) {
        QStringList lines = c.lines;
        const bool replaced = RequirementLines::replaceFirst(lines, c.oldId, newLine);
        EXPECT_EQ(lines, c.expected) << c.name;
        EXPECT_EQ(replaced, lines != c.lines) << c.name;
    }
}

class RequirementLinesStore : public StoreFixture {
protected:
    QString driverLines(const QString& cseq)
    {
        Table& d = a.drivers();
        d.setFiltered(false);
        EXPECT_TRUE(d.locate(QStringLiteral("CSeq"), { cseq }));
        return d.text(QStringLiteral("Requirement"));
    }
};

TEST_F(RequirementLinesStore, RewriteReachesFilteredOutDriversAndPutsTheFilterBack)
{
    Table& d = a.drivers();
    addRow(d,
        { { "CSeq", "BD1" }, { "Division", "North" },
            { "Requirement", LineList::build({ "BR1.1: Keep running", "BR1.10: Ten", "BR1.1: Keep running" }) } });
    addRow(d,
        { { "CSeq", "BD2" }, { "Division", "South" }, { "Requirement", LineList::build({ "BR1.1: Keep running" }) } });
    // Lone LF line ends and no final break: left byte for byte when not matched.
    const QString untouched = QStringLiteral("BR1.10: Ten\nBR2: Two");
    addRow(d, { { "CSeq", "BD3" }, { "Division", "North" }, { "Requirement", untouched } });

    const QString filter = TableExpressions::equals(QStringLiteral("Division"), QStringLiteral("North"));
    d.setFilter(filter);
    d.setFiltered(true);
    d.last();

    QSignalSpy moves(&d, &Table::afterMove);
    EXPECT_EQ(RequirementLines::rewriteDrivers(
                  d, QStringLiteral("BR1.1"), QStringLiteral("BR1.2"), QStringLiteral("Keep going")),
        2);
    // The walk moves the cursor, so the drivers' hooks run.
    EXPECT_GE(moves.count(), 1);

    EXPECT_EQ(d.filter(), filter);
    EXPECT_TRUE(d.filtered());
    EXPECT_EQ(d.recordCount(), 2);
    EXPECT_EQ(d.currentRow(), 0);

    EXPECT_EQ(driverLines(QStringLiteral("BD1")),
        QStringLiteral("BR1.2:Keep going\r\nBR1.10: Ten\r\nBR1.1: Keep running\r\n"));
    EXPECT_EQ(driverLines(QStringLiteral("BD2")), QStringLiteral("BR1.2:Keep going\r\n"));
    EXPECT_EQ(driverLines(QStringLiteral("BD3")), untouched);
}

TEST_F(RequirementLinesStore, RewriteWithAnEmptyOldIdentifierChangesNoDriver)
{
    const QString lines = LineList::build({ "BR1: One", ": orphan" });
    addRow(a.drivers(), { { "CSeq", "BD1" }, { "Requirement", lines } });
    EXPECT_EQ(RequirementLines::rewriteDrivers(a.drivers(), QString(), QStringLiteral("BR7"), QStringLiteral("x")), 0);
    EXPECT_EQ(driverLines(QStringLiteral("BD1")), lines);
}

TEST_F(RequirementLinesStore, ProfileRowsFollowARenamedDriver)
{
    struct Case {
        const char* name;
        QString oldId, newId;
        int moved;
        QStringList expected; // CSeq of the rows afterwards
    };
    const Case cases[] = {
        { "renamed", "BD1.01", "BD1.02", 2, { "BD1.02", "BD2", "BD1.02", "BDx.xx" } },
        { "same identifier", "BD1.01", "BD1.01", 0, { "BD1.01", "BD2", "BD1.01", "BDx.xx" } },
        // A profile made while the driver was new goes with its first identifier.
        { "from the placeholder", "BDx.xx", "BD3", 1, { "BD1.01", "BD2", "BD1.01", "BD3" } },
        { "identifiers compare case-sensitively", "bd1.01", "BD9", 0, { "BD1.01", "BD2", "BD1.01", "BDx.xx" } },
    };
    for (const Case& c : cases) {
        Table& p = a.driverProfiles();
        p.setFiltered(false);
        a.emptyTable(p);
        for (const char* id : { "BD1.01", "BD2", "BD1.01", "BDx.xx" })
            addRow(p, { { "CSeq", QString::fromLatin1(id) }, { "Attribute", "Agile" }, { "Priority", "1" } });
        // A filter that hides the rows being moved must not stop the move.
        const QString filter = TableExpressions::equals(QStringLiteral("CSeq"), QStringLiteral("BD2"));
        p.setFilter(filter);
        p.setFiltered(true);

        const int moved = DriverProfile::moveRows(p, c.oldId, c.newId);

        EXPECT_EQ(p.filter(), filter) << c.name;
        EXPECT_TRUE(p.filtered()) << c.name;
        EXPECT_EQ(p.recordCount(), 1) << c.name;
        p.setFiltered(false);
        QStringList ids;
        for (int row = 0; row < p.recordCount(); ++row)
            ids << p.textAt(row, p.fieldIndex(QStringLiteral("CSeq")));
        ids.sort();
        QStringList expected = c.expected;
        expected.sort();
        EXPECT_EQ(ids, expected) << c.name;
        EXPECT_EQ(moved, c.moved) << c.name;
    }
}

}
