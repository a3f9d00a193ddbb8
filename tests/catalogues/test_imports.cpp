#include "catalogues/attribute_set_import.h"
#include "catalogues/catalogue_keys.h"
#include "catalogues/control_set_import.h"
#include "sheet_files.h"
#include "store/quarrix_error.h"
#include "support/table_dump.h"
#include "support/temp_store.h"

#include <QFile>
#include <QProcess>

namespace {

const auto dump = dumpTable;

class Imports : public StoreFixture {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A taxonomy already in the store, to see what an import replaces and keeps.
    void seedCatalogues()
    {
        addRow(a.attribute(),
            { { "Attribute", "Old" }, { "Group", "Former" }, { "Grx", "1" }, { "GrAtt", "01Old" },
                { "Tier", "Business" } });
        addRow(a.businessToTechnical(), { { "BTAtt", "kept" }, { "BusAtt", "Old" }, { "TechAtt", "OldTech" } });
        addRow(a.technicalToSecurity(), { { "TSAtt", "kept" }, { "TechAtt", "OldTech" }, { "SecAtt", "OldSec" } });
        addRow(a.driverProfiles(), { { "CSeq", "BD1.01" }, { "Attribute", "Old" }, { "Priority", "1" } });
        addRow(a.controls(), { { "Id", "01.01.01" }, { "XId", "01.01.01" }, { "control_title", "Old control" } });
    }
};

struct Row {
    const char* field;
    const char* value;
};

} // namespace

TEST(CatalogueKeys, SortAndPairKeys)
{
    const std::vector<std::tuple<const char*, const char*, const char*>> sortKeys
        = { { "3", "Available", "03Available" }, { "7", "Usable", "07Usable" }, { "112", "Usable", "12Usable" },
              { "0", "X", "00X" }, { "99", "X", "99X" }, { "100", "X", "00X" }, { " 5", "X", "05X" } };
    for (const auto& [number, name, key] : sortKeys)
        EXPECT_EQ(CatalogueKeys::attributeSortKey(QString::fromLatin1(number), QString::fromLatin1(name)),
            QString::fromLatin1(key));
    for (const char* bad : { "", "3a", "1.5", "x" }) {
        try {
            CatalogueKeys::attributeSortKey(QString::fromLatin1(bad), QStringLiteral("X"));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const QuarrixError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(bad)));
        }
    }
    EXPECT_EQ(CatalogueKeys::pairKey(QStringLiteral("Available"), QStringLiteral("Accessible")),
        QStringLiteral("Available       Accessible      "));
    EXPECT_EQ(CatalogueKeys::pairKey(QStringLiteral("ABCDEFGHIJKLMNOPQRST"), QStringLiteral("B")),
        QStringLiteral("ABCDEFGHIJKLMNOPB               "));
    EXPECT_EQ(CatalogueKeys::asciiUpper(QStringLiteral("bustoTech é")), QStringLiteral("BUSTOTECH é"));
}

// Kind words in any case, headings and notes skipped, empty first cells
// skipped, END in any case ends the set, links replacing those there.
TEST_F(Imports, AttributeSetRowsMakeRecordsAndLinks)
{
    seedCatalogues();
    writeSheet(file("set.xlsx"),
        { { "Group", "Seq", "Attribute", "Tier", "Description" },
            { "Availability", 3.0, "Available", "Business", "Can be used when needed" },
            { "Access", 12.0, "Accessible", "technical", "lower-case kind" }, {},
            { nullptr, 5.0, "Orphan", "Security", "no group: skipped" }, { "Note: links follow" },
            { "Available", nullptr, "Accessible", "BUSTOTECH" },
            { "ABCDEFGHIJKLMNOPQRST", nullptr, "Guarded", "TechToSec" },
            { "Protection", "7", "Guarded", "SECURITY", "text group number" }, { "end" },
            { "Late", 1.0, "AfterEnd", "Business" } },
        true);
    const AttributeImportCounts n = importAttributeSet(a, file("set.xlsx"));
    EXPECT_EQ(n.attributes, 3);
    EXPECT_EQ(n.busToTech, 1);
    EXPECT_EQ(n.techToSec, 1);

    Table& att = a.attribute();
    EXPECT_EQ(dump(att),
        QStringList({ "03Available|Available|Availability|3|Can be used when needed||||Business|",
            "07Guarded|Guarded|Protection|7|text group number||||SECURITY|",
            "12Accessible|Accessible|Access|12|lower-case kind||||technical|" }));
    EXPECT_EQ(att.currentRow(), 0);
    EXPECT_EQ(dump(a.businessToTechnical()), QStringList({ "Available       Accessible      |Available|Accessible" }));
    EXPECT_EQ(
        dump(a.technicalToSecurity()), QStringList({ "ABCDEFGHIJKLMNOPGuarded         |ABCDEFGHIJKLMNOP|Guarded" }));
    EXPECT_EQ(a.driverProfiles().recordCount(), 1); // profiling rows keep naming attributes
}

// A set without END ends at the last used row; a set of links only empties Attribute.
TEST_F(Imports, AttributeSetWithoutEndStopsAtLastRow)
{
    seedCatalogues();
    writeSheet(file("links.xlsx"), { { "A", nullptr, "B", "bustotech" }, {}, {}, { "C", nullptr, "D", "BUSTOTECH" } });
    const AttributeImportCounts n = importAttributeSet(a, file("links.xlsx"));
    EXPECT_EQ(n.attributes, 0);
    EXPECT_EQ(n.busToTech, 2);
    EXPECT_EQ(a.attribute().recordCount(), 0);
    EXPECT_EQ(a.businessToTechnical().recordCount(), 2);
}

// Importing a corrected set: the links are the new set's, never doubled; an
// attribute of the same name keeps what the assessment gave it; what an
// attribute no longer in the set carried is named before, by name and count.
TEST_F(Imports, ReimportReplacesLinksAndKeepsTheAnalystsWork)
{
    const SheetRows first = { { "Biz", 1.0, "Quick", "Business" }, { "Sec", 5.0, "Ready", "Security", "Set text" },
        { "Sec", 5.0, "Gone", "Security" }, { "Sec", 5.0, "Idle", "Security" },
        { "Quick", nullptr, "Fast", "BUSTOTECH" }, { "Fast", nullptr, "Ready", "TECHTOSEC" },
        { "Fast", nullptr, "Gone", "TECHTOSEC" }, { "END" } };
    writeSheet(file("first.xlsx"), first);
    importAttributeSet(a, file("first.xlsx"));
    // The analyst's work on Ready and Gone, and a profile row naming Gone.
    a.store().exec("UPDATE Attribute SET SecObjectives='01.01: Plan\r\n', SecControls='01.01.01: A\r\n01.01.02: "
                   "B\r\n', Profile='Measured' WHERE Attribute IN ('Ready', 'Gone')");
    addRow(a.driverProfiles(), { { "CSeq", "BD1" }, { "Attribute", "Gone" }, { "Priority", "2" } });
    a.attribute().refresh();

    // The corrected set drops Gone and Idle (which carries nothing) and a link.
    SheetRows corrected = first;
    corrected.erase(corrected.begin() + 2, corrected.begin() + 4);
    corrected.erase(corrected.end() - 2);
    writeSheet(file("corrected.xlsx"), corrected);
    const AttributeSet set = readAttributeSet(file("corrected.xlsx"));
    const std::vector<DroppedAttribute> dropped = droppedAttributes(a, set);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropQuestion(dropped),
        "1 attribute that the assessment uses is not in the new set: Gone (1 objective, 2 controls, profile text, 1 "
        "driver profile row).\n\nTheir objectives, controls and profile text are lost; driver profile rows stay but "
        "name no attribute. Import anyway?");

    const AttributeImportCounts n = importAttributeSet(a, set);
    EXPECT_EQ(n.carried, 1);
    EXPECT_EQ(n.dropped, 1);
    EXPECT_EQ(n.summary(),
        "Attribute set imported: 2 attributes, 1 BTAtt link and 1 TSAtt link; 1 attribute kept objectives, controls "
        "or profile text; 1 attribute dropped");
    EXPECT_EQ(dump(a.businessToTechnical()), QStringList({ "Quick           Fast            |Quick|Fast" }));
    EXPECT_EQ(dump(a.technicalToSecurity()), QStringList({ "Fast            Ready           |Fast|Ready" }));
    EXPECT_EQ(dump(a.attribute()),
        QStringList({ "01Quick|Quick|Biz|1|||||Business|",
            "05Ready|Ready|Sec|5|Set text||01.01: Plan\r\n|01.01.01: A\r\n01.01.02: B\r\n|Security|Measured" }));
    EXPECT_EQ(a.driverProfiles().recordCount(), 1); // still naming Gone

    // The same set again changes nothing: nothing doubles, nothing is lost.
    EXPECT_TRUE(droppedAttributes(a, set).empty());
    const QStringList before = dump(a.attribute()) + dump(a.businessToTechnical()) + dump(a.technicalToSecurity());
    importAttributeSet(a, set);
    EXPECT_EQ(dump(a.attribute()) + dump(a.businessToTechnical()) + dump(a.technicalToSecurity()), before);
}

// The first empty Id ends a control set; XId falls back to the Id; rows come
// back in Id order; a heading row is taken as a control. Identifiers are cut
// to 8 characters counted as code points, not bytes, and the cut ones named.
TEST_F(Imports, ControlSetRows)
{
    seedCatalogues();
    writeSheet(file("controls.xlsx"),
        { { "id", "Xid", "section_title", "subsection_title", "subsection", "control_title", "control" },
            { "05.01.02", nullptr, "Policies", "Direction", "Objective text", "Policy set", "Long text" },
            { "01.02.03", "A.5.1.2", "Org", "Roles", "", "Duties", "Separate them" }, { "02.00.01", "ABCDEFG\xC3\xA9" },
            { "02.00.02", "ABCDEFGe\xCC\x81" }, { nullptr, "ignored" }, { "09.09.09", nullptr, "After the gap" } });
    QString note;
    EXPECT_EQ(importControlSet(a, file("controls.xlsx"), &note), 5);
    EXPECT_EQ(dump(a.controls()),
        QStringList(
            { "01.02.03|A.5.1.2|Org|Roles||Duties|Separate them|", QString::fromUtf8("02.00.01|ABCDEFG\xC3\xA9||||||"),
                "02.00.02|ABCDEFG||||||", "05.01.02|05.01.02|Policies|Direction|Objective text|Policy set|Long text|",
                "id|Xid|section_title|subsection_title|subsection|control_title|control|" }));
    EXPECT_EQ(a.controls().currentRow(), 0);
    EXPECT_EQ(note, QString::fromUtf8("1 identifier longer than 8 characters was cut: ABCDEFGe\xCC\x81"));
}

// The rows go into the store many to a statement: a failure in the middle of
// a large set (here a trigger that refuses one row) leaves Controls as it was.
TEST_F(Imports, ControlSetFailingWhileWrittenChangesNothing)
{
    seedCatalogues();
    std::vector<QByteArray> ids;
    SheetRows rows;
    for (int i = 1; i <= 300; ++i)
        ids.push_back(QByteArray::number(i == 150 ? 0 : i));
    for (const QByteArray& id : ids)
        rows.push_back({ id.constData(), nullptr, "Section", "Objective", "", "Control", "Text" });
    writeSheet(file("large.xlsx"), rows);
    a.store().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Controls WHEN NEW.Id = '0' "
                                  "BEGIN SELECT RAISE(ABORT, 'row refused'); END"));
    const QStringList before = dump(a.controls());
    try {
        importControlSet(a, file("large.xlsx"));
        ADD_FAILURE() << "no error";
    } catch (const QuarrixError& e) {
        EXPECT_TRUE(e.message().contains(file("large.xlsx"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QLatin1String("row refused"))) << e.message().toStdString();
    }
    EXPECT_EQ(dump(a.controls()), before);
    a.store().exec(QStringLiteral("DROP TRIGGER refuse"));
    EXPECT_EQ(importControlSet(a, file("large.xlsx")), 300);
}

// A failed import, or one that finds no rows, changes nothing; its message names the file and the
// sheet, or the row and the cell.
TEST_F(Imports, FailedImportsLeaveEveryTableAsBefore)
{
    seedCatalogues();
    writeSheet(file("badgroup.xlsx"),
        { { "G", 1.0, "First", "Business" }, { "G", nullptr, "Link", "BUSTOTECH" }, { "G", 2.0, "Second", "Business" },
            { "G", "two", "Third", "Business" }, { "END" } });
    // Sheets whose first column is empty: neither import finds a row to take.
    writeSheet(file("nofirstcolumn.xlsx"),
        { { nullptr, "B1 only", "Name", "Business" }, { nullptr, 2.0, "Other", "BUSTOTECH" } });
    QFile text(file("notes.xlsx"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain text");
    text.close();

    const QStringList before
        = dump(a.attribute()) + dump(a.businessToTechnical()) + dump(a.technicalToSecurity()) + dump(a.controls());
    const std::vector<std::tuple<bool, QString, QStringList>> cases
        = { { true, file("badgroup.xlsx"), { "row 4", "cell B4", "'two' is not a valid integer value" } },
              { true, file("missing.xlsx"), { "does not exist" } }, { true, file("notes.xlsx"), { "not a workbook" } },
              { true, file("nofirstcolumn.xlsx"), { "sheet 'Set'", "no attribute or link rows" } },
              { false, file("nofirstcolumn.xlsx"), { "sheet 'Set'", "no controls" } },
              { false, file("missing.xlsx"), { "does not exist" } },
              { false, file("notes.xlsx"), { "not a workbook" } } };
    for (const auto& [attributes, path, parts] : cases) {
        SCOPED_TRACE(path.toStdString());
        try {
            if (attributes)
                importAttributeSet(a, path);
            else
                importControlSet(a, path);
            ADD_FAILURE() << "no error";
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            for (const QString& part : parts)
                EXPECT_TRUE(e.message().contains(part)) << e.message().toStdString();
        }
        EXPECT_EQ(
            dump(a.attribute()) + dump(a.businessToTechnical()) + dump(a.technicalToSecurity()) + dump(a.controls()),
            before);
        EXPECT_FALSE(a.attribute().notificationsSuspended());
        EXPECT_FALSE(a.controls().notificationsSuspended());
    }
    // The store file agrees with the tables: a fresh open sees the same rows.
    Assessment again;
    QString error;
    ASSERT_TRUE(again.open(path, false, &error)) << error.toStdString();
    EXPECT_EQ(dump(again.attribute()) + dump(again.businessToTechnical()) + dump(again.technicalToSecurity())
            + dump(again.controls()),
        before);
}

TEST_F(Imports, CommandLineImportsAndRefusesWithoutChange)
{
    writeSheet(file("controls.xlsx"),
        { { "01.01.01", nullptr, "S", "O", "", "C", "" }, { "01.01.02", nullptr, "S", "O", "", "D", "" } });
    writeSheet(
        file("attributes.xlsx"), { { "G", 1.0, "A", "Business" }, { "A", nullptr, "T", "BUSTOTECH" }, { "END" } });
    writeSheet(file("bad.xlsx"), { { "G", "x", "A", "Business" } });
    auto cli = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(QUARRIX_CLI), QStringList { QStringLiteral("--store"), path } + args);
        p.waitForFinished(60000);
        return std::make_tuple(
            p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()));
    };
    a.controls().close(); // the command line works on the same file

    auto [status, out, err] = cli({ QStringLiteral("import-controls"), file("controls.xlsx") });
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("Controls: 2\n"));
    std::tie(status, out, err) = cli({ QStringLiteral("import-attributes"), file("attributes.xlsx") });
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("Attribute: 1\nBTAtt: 1\nTSAtt: 0\nCarried: 0\n"));
    std::tie(status, out, err) = cli({ QStringLiteral("import-attributes"), file("bad.xlsx") });
    EXPECT_NE(status, 0);
    EXPECT_TRUE(err.contains(QStringLiteral("cell B1"))) << err.toStdString();

    a.controls().open();
    a.attribute().refresh();
    EXPECT_EQ(a.controls().recordCount(), 2);
    EXPECT_EQ(a.attribute().recordCount(), 1); // the failed import changed nothing
}
