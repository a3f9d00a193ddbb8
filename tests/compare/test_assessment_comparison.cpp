// Comparing two assessments: each kind of change alone on a pair of small
// stores, the JSON's shape, archives against stores, the division, and the
// word-level difference of a changed text.
#include "compare_pair.h"

#include "analysis/driver_commands.h"
#include "analysis/profile_store.h"
#include "archive/archive_writer.h"
#include "compare/assessment_comparison.h"
#include "compare/change_output.h"
#include "compare/word_difference.h"
#include "store/quarrix_error.h"
#include "support/file_bytes.h"
#include "support/qt_printers.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using namespace ComparePair;

class ComparisonTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // The base as the earlier store, the base changed as the later one.
    ChangeReport comparePair(const ComparePair::Change& change, const QString& division = QStringLiteral("All"))
    {
        const QString earlier = dir.filePath(QStringLiteral("earlier-%1.mdb").arg(++pairs));
        const QString later = dir.filePath(QStringLiteral("later-%1.mdb").arg(pairs));
        ComparePair::writeStore(earlier, nullptr);
        ComparePair::writeStore(later, change);
        return AssessmentComparison::compareFiles(earlier, later, division);
    }

    QTemporaryDir dir;
    int pairs = 0;
};

TEST_F(ComparisonTest, EachKindOfChangeAlone)
{
    struct Case {
        const char* name;
        ComparePair::Change change;
        QStringList expected;
    };
    const Case cases[] = {
        { "nothing changed", [](Assessment&) {}, {} },
        { "system identity and lists",
            [](Assessment& a) {
                Table& sys = a.system();
                sys.first();
                sys.edit();
                sys.setText(QStringLiteral("Enterprise"), QStringLiteral("Acme"));
                sys.setText(QStringLiteral("Divisions"), QStringLiteral("North\r\nSouth\r\nWest\r\n"));
                sys.setText(QStringLiteral("Activities"), QStringLiteral("Audit\r\n"));
                sys.post();
            },
            { "system + West", "system - Service", "system ~ System: Enterprise" } },
        { "requirement added",
            [](Assessment& a) {
                TraceAssessment::add(a.requirements(),
                    { { "RSeq", "BR1.04" }, { "Requirement", "Keep records seven years" }, { "Division", "North" } });
            },
            { "requirements + BR1.04", "gaps + requirements_without_driver BR1.04" } },
        { "requirement reworded and reprioritised",
            [](Assessment& a) {
                set(a.requirements(), "RSeq", QStringLiteral("BR1.02"), "Requirement",
                    QStringLiteral("Answer every customer fast"));
                set(a.requirements(), "RSeq", QStringLiteral("BR1.02"), "Priority", QStringLiteral("High"));
            },
            { "requirements ~ BR1.02: Requirement, Priority" } },
        // The old identifier's gap and chains read under the new one: nothing else moves.
        { "requirement renamed, named by no driver", [](Assessment& a) { renameRequirement(a, "BR1.03", "BR1.09"); },
            { "requirements ~ BR1.09 < BR1.03" } },
        { "requirement renamed with its driver lines", [](Assessment& a) { renameRequirement(a, "BR1.01", "BR1.10"); },
            { "requirements ~ BR1.10 < BR1.01" } },
        { "driver reworded",
            [](Assessment& a) {
                set(a.drivers(), "CSeq", QStringLiteral("BD1.02"), "Driver", QStringLiteral("Quick, friendly service"));
                set(a.drivers(), "CSeq", QStringLiteral("BD1.02"), "Activity", QStringLiteral("Audit"));
            },
            { "drivers ~ BD1.02: Driver, Activity" } },
        { "driver deleted with its profile",
            [](Assessment& a) { deleteDriver(a, at(a.drivers(), "CSeq", QStringLiteral("BD1.02")).currentRowId()); },
            { "drivers - BD1.02", "profiles - BD1.02 / Lonely / 2", "profiles - BD1.02 / Responsive / 2",
                "trace - BR1.02 / BD1.02 / Availability / 01.02.01",
                "trace - BR1.02 / BD1.02 / Availability / 02.01.01", "trace - BR1.02 / BD1.02 / Resilience / ",
                "gaps - profiled_without_security Lonely" } },
        // The same attributes in use at other priorities: the trace stays.
        { "profile priority changed",
            [](Assessment& a) {
                ProfileStore::save(a, QStringLiteral("BD1.01"), { { QStringLiteral("Responsive"), 1 } });
            },
            { "profiles ~ BD1.01 / Responsive / 1 / 3" } },
        { "profile row removed takes an attribute out of use",
            [](Assessment& a) {
                ProfileStore::save(a, QStringLiteral("BD1.01"), { { QStringLiteral("Accurate"), 0 } });
            },
            { "profiles - BD1.01 / Accurate / 1", "attributes_in_use - Integrity",
                "trace - BR1.01 / BD1.01 / Integrity / 01.01.01", "trace - BR1.01 / BD1.01 / Integrity / 01.02.01",
                "trace - BR1.01 / BD1.01 / Traceability / 01.02.01",
                "trace - BR1.01 / BD1.01 / Traceability / 09.09.09", "trace - BR1.02 / BD1.01 / Integrity / 01.01.01",
                "trace - BR1.02 / BD1.01 / Integrity / 01.02.01", "trace - BR1.02 / BD1.01 / Traceability / 01.02.01",
                "trace - BR1.02 / BD1.01 / Traceability / 09.09.09" } },
        { "control moved between attributes", moveControl,
            { "controls + Resilience / 02.01.01", "controls - Availability / 02.01.01",
                "trace + BR1.01 / BD1.01 / Resilience / 02.01.01", "trace + BR1.02 / BD1.01 / Resilience / 02.01.01",
                "trace + BR1.02 / BD1.02 / Resilience / 02.01.01", "trace - BR1.01 / BD1.01 / Availability / 02.01.01",
                "trace - BR1.01 / BD1.01 / Resilience / ", "trace - BR1.02 / BD1.01 / Availability / 02.01.01",
                "trace - BR1.02 / BD1.01 / Resilience / ", "trace - BR1.02 / BD1.02 / Availability / 02.01.01",
                "trace - BR1.02 / BD1.02 / Resilience / ", "trace - BR2.01 / BD2.01 / Availability / 02.01.01",
                "trace - Say \"hi\", twice / BD2.01 / Availability / 02.01.01",
                "gaps - security_without_controls Resilience" } },
        { "application changed and added",
            [](Assessment& a) {
                const qint64 ledger = at(a.applications(), "Application", QStringLiteral("Ledger")).currentRowId();
                saveApplication(a, ledger,
                    { QStringLiteral("Ledger"), QStringLiteral("Finance"), QStringLiteral("Bob"),
                        QStringLiteral("General ledger"), QStringLiteral("North") });
                saveApplicationAttributes(a, ledger, { QStringLiteral("Availability"), QStringLiteral("Resilience") });
                addApplication(a, { QStringLiteral("Portal"), {}, {}, {}, QStringLiteral("South") });
            },
            { "applications + Portal", "applications ~ Ledger: Owner, Attributes" } },
        { "risk rescored", rescoreRisk, { "risks ~ Ledger / Availability: Likelihood, Impact, Score" } },
        { "catalogue retitle",
            [](Assessment& a) {
                set(a.controls(), "Id", QStringLiteral("01.02.01"), "control_title", QStringLiteral("Audit log"));
            },
            { "catalogue ~ 01.02.01: control_title" } },
        { "catalogue grows", addControl,
            { "catalogue + 04.01.01", "catalogue # controls 4 -> 5", "catalogue # objectives 4 -> 5",
                "catalogue # sections 0 -> 1" } },
        { "control renumbered",
            [](Assessment& a) {
                set(a.controls(), "Id", QStringLiteral("03.01.01"), "Id", QStringLiteral("03.02.01"));
            },
            { "catalogue ~ 03.02.01 < 03.01.01" } },
        { "taxonomy description and a mapping link",
            [](Assessment& a) {
                set(a.attribute(), "Attribute", QStringLiteral("Resilience"), "Description",
                    QStringLiteral("Recovers within an hour"));
                Table& links = a.technicalToSecurity();
                ASSERT_TRUE(links.locate(QStringLiteral("TechAtt;SecAtt"), { "Scaled", "Resilience" }));
                links.remove();
            },
            { "attributes_in_use - Resilience", "trace - BR1.01 / BD1.01 / Resilience / ",
                "trace - BR1.02 / BD1.01 / Resilience / ", "trace - BR1.02 / BD1.02 / Resilience / ",
                "taxonomy - Scaled / Resilience", "taxonomy ~ Resilience: Description",
                "taxonomy # technical_to_security 6 -> 5", "gaps - security_without_controls Resilience" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChangeReport report = comparePair(c.change);
        EXPECT_EQ(ComparePair::lines(report), c.expected);
        EXPECT_EQ(report.empty(), c.expected.isEmpty());
    }
}

TEST_F(ComparisonTest, NothingChangedSaysSo)
{
    const ChangeReport report = comparePair(nullptr);
    EXPECT_TRUE(report.empty());
    EXPECT_TRUE(ChangeOutput::text(report).endsWith("\nNo changes: both hold the same assessment.\n"));
    const QJsonObject json = QJsonDocument::fromJson(ChangeOutput::json(report)).object();
    EXPECT_EQ(json.value("requirements").toObject(),
        (QJsonObject { { "added", QJsonArray() }, { "removed", QJsonArray() }, { "changed", QJsonArray() } }));
    EXPECT_EQ(json.value("gaps").toObject(), (QJsonObject { { "new", QJsonArray() }, { "closed", QJsonArray() } }));
}

TEST_F(ComparisonTest, JsonNamesRecordsByTheirKeysInTheOrderGiven)
{
    const QByteArray text = ChangeOutput::json(comparePair(quarterOfChanges));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(text, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();

    // The kinds in their order, each with its lists in order.
    const char* const keys[] = { "system", "requirements", "drivers", "profiles", "attributes_in_use", "controls",
        "trace", "applications", "risks", "catalogue", "taxonomy", "gaps" };
    qsizetype from = 0;
    for (const char* key : keys) {
        const qsizetype found = text.indexOf(QByteArray("\n  \"") + key + "\": {", from);
        ASSERT_GT(found, from) << key;
        from = found;
        if (qstrcmp(key, "gaps") == 0)
            continue;
        const QByteArray kind = text.mid(found, text.indexOf("\n  }", found) - found);
        EXPECT_LT(kind.indexOf("\"added\""), kind.indexOf("\"removed\"")) << key;
        EXPECT_LT(kind.indexOf("\"removed\""), kind.indexOf("\"changed\"")) << key;
    }
    EXPECT_EQ(json.keys().size(), 12);

    const QJsonArray requirements = json["requirements"]["changed"].toArray();
    ASSERT_EQ(requirements.size(), 2);
    EXPECT_EQ(requirements[0].toObject(),
        (QJsonObject { { "key", "BR1.09" }, { "old_key", "BR1.03" }, { "fields", QJsonArray() } }));
    EXPECT_EQ(requirements[1].toObject(),
        (QJsonObject { { "key", "BR2.01" },
            { "fields",
                QJsonArray { QJsonObject { { "field", "Requirement" }, { "old", "Ship on time" },
                    { "new", "Ship every order on time" } } } } }));
    EXPECT_EQ(json["profiles"]["changed"].toArray(),
        (QJsonArray { QJsonObject {
            { "driver", "BD1.01" }, { "attribute", "Responsive" }, { "priority", 1 }, { "old_priority", 3 } } }));
    EXPECT_TRUE(text.contains("{\n        \"driver\": \"BD1.01\",\n        \"attribute\": \"Responsive\",\n"
                              "        \"priority\": 1,\n        \"old_priority\": 3\n"))
        << text.toStdString();
    EXPECT_EQ(json["controls"]["added"].toArray(),
        (QJsonArray { QJsonObject { { "security_attribute", "Resilience" }, { "control", "02.01.01" } } }));
    EXPECT_EQ(json["trace"]["added"][0].toObject(),
        (QJsonObject { { "requirement", "BR1.01" }, { "driver", "BD1.01" }, { "security_attribute", "Resilience" },
            { "control", "02.01.01" } }));
    EXPECT_TRUE(text.contains("\"requirement\": \"BR1.01\",\n        \"driver\": \"BD1.01\",\n"
                              "        \"security_attribute\": \"Resilience\",\n        \"control\": \"02.01.01\""));
    EXPECT_EQ(json["risks"]["changed"][0].toObject(),
        (QJsonObject { { "application", "Ledger" }, { "attribute", "Availability" },
            { "fields",
                QJsonArray { QJsonObject { { "field", "Likelihood" }, { "old", "Low" }, { "new", "High" } },
                    QJsonObject { { "field", "Impact" }, { "old", "Medium" }, { "new", "High" } },
                    QJsonObject { { "field", "Score" }, { "old", 2 }, { "new", 9 } } } } }));
    EXPECT_EQ(json["catalogue"]["added"].toArray(), QJsonArray { "04.01.01" });
    EXPECT_EQ(json["catalogue"]["counts"]["controls"].toObject(), (QJsonObject { { "old", 4 }, { "new", 5 } }));
    EXPECT_EQ(json["gaps"].toObject(),
        (QJsonObject { { "new", QJsonArray() },
            { "closed",
                QJsonArray { QJsonObject { { "gap", "security_without_controls" }, { "name", "Resilience" } } } } }));
}

QByteArray fileHash(const QString& path)
{
    return QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha256);
}

TEST_F(ComparisonTest, ArchivesAndStoresGiveTheSameResultAndStayAsTheyWere)
{
    const QString earlier = dir.filePath(QStringLiteral("earlier.mdb"));
    const QString later = dir.filePath(QStringLiteral("later.mdb"));
    ComparePair::writeStore(earlier, nullptr);
    ComparePair::writeStore(later, quarterOfChanges);
    const QString earlierArchive = dir.filePath(QStringLiteral("earlier.txt"));
    const QString laterArchive = dir.filePath(QStringLiteral("later.txt"));
    for (const auto& [store, archive] : { std::pair { earlier, earlierArchive }, { later, laterArchive } }) {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(store, false, &error)) << error.toStdString();
        ArchiveWriter::save(a, archive);
    }
    QHash<QString, QByteArray> hashes;
    for (const QString& file : { earlier, later, earlierArchive, laterArchive })
        hashes.insert(file, fileHash(file));

    for (const QString& division : { QStringLiteral("All"), QStringLiteral("North") }) {
        SCOPED_TRACE(division.toStdString());
        const ChangeReport fromStores = AssessmentComparison::compareFiles(earlier, later, division);
        EXPECT_FALSE(fromStores.before.archive);
        const QByteArray json = ChangeOutput::json(fromStores);
        const ChangeReport fromArchives = AssessmentComparison::compareFiles(earlierArchive, laterArchive, division);
        EXPECT_TRUE(fromArchives.before.archive);
        EXPECT_EQ(ChangeOutput::json(fromArchives), json);
        EXPECT_EQ(ChangeOutput::json(AssessmentComparison::compareFiles(earlierArchive, later, division)), json);
        // Comparing an assessment with its own archive finds nothing.
        EXPECT_TRUE(AssessmentComparison::compareFiles(laterArchive, later, division).empty());
    }
    for (auto it = hashes.cbegin(); it != hashes.cend(); ++it)
        EXPECT_EQ(fileHash(it.key()), it.value()) << it.key().toStdString();
}

TEST_F(ComparisonTest, ADivisionComparesItsOwnRecords)
{
    const ChangeReport north = comparePair(
        [](Assessment& a) {
            set(a.requirements(), "RSeq", QStringLiteral("BR1.02"), "Priority", QStringLiteral("High"));
            set(a.requirements(), "RSeq", QStringLiteral("BR2.01"), "Priority", QStringLiteral("High"));
            rescoreRisk(a); // Ledger is North's
        },
        QStringLiteral("North"));
    EXPECT_EQ(ComparePair::lines(north),
        (QStringList {
            "requirements ~ BR1.02: Priority", "risks ~ Ledger / Availability: Likelihood, Impact, Score" }));
    EXPECT_EQ(north.division, "North");
    const ChangeReport south = comparePair(rescoreRisk, QStringLiteral("South"));
    EXPECT_TRUE(south.empty());
}

TEST_F(ComparisonTest, AFileThatIsNeitherArchiveNorStoreIsNamed)
{
    const QString store = dir.filePath(QStringLiteral("store.mdb"));
    ComparePair::writeStore(store, nullptr);
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    writeBytes(notes, "shopping list\r\n");
    for (const QString& path : { notes, dir.filePath(QStringLiteral("missing.txt")) }) {
        try {
            AssessmentComparison::compareFiles(path, store, QStringLiteral("All"));
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        }
    }
}

TEST(WordDifference, KeepsRemovesAndAddsWholeWords)
{
    struct Case {
        const char* before;
        const char* after;
        const char* marked;
    };
    const Case cases[] = {
        { "Ship on time", "Ship every order on time", "Ship {+every order+} on time" },
        { "the quick brown fox", "the slow brown fox", "the [-quick-]{+slow+} brown fox" },
        { "Keep accounts exact", "Keep accounts", "Keep accounts [-exact-]" },
        { "one two", "three four", "[-one-]{+three+} [-two-]{+four+}" },
        { "Line one\nline two", "Line one\nline 2", "Line one\nline [-two-]{+2+}" },
        { "same", "same", "same" },
        // Punctuation at a word's ends stands apart; within a word it stays.
        { "approved by two people.", "approved by two people above 10,000 EUR.",
            "approved by two people {+above 10,000 EUR+}." },
        { "A single centre: a fire", "A second centre opened in June: a fire",
            "A [-single-]{+second+} centre {+opened in June+}: a fire" },
        { "(draft) Quarter-end 10,000", "(final) Year-end 12,000",
            "([-draft-]{+final+}) [-Quarter-end-]{+Year-end+} [-10,000-]{+12,000+}" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(WordDifference::marked(WordDifference::between(c.before, c.after)), QString::fromUtf8(c.marked))
            << c.before << " -> " << c.after;
    // The pieces rebuild both texts.
    const auto pieces = WordDifference::between("a b c d", "a x c y d");
    QString before, after;
    for (const WordPiece& p : pieces) {
        if (p.kind != WordPiece::Added)
            before += p.text;
        if (p.kind != WordPiece::Removed)
            after += p.text;
    }
    EXPECT_EQ(before, "a b c d");
    EXPECT_EQ(after, "a x c y d");
}

}
