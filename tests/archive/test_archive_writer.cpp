// The archive writer: layout, values, encoding and the proposed file name.
#include "archive_fixture.h"

#include "analysis/security_risk_store.h"
#include "archive/code_page_1252.h"
#include "store/line_list.h"
#include "store/report_details.h"

namespace {

QStringList projectBlock(const QString& id, const QString& title, const QStringList& description,
    const QString& enterprise, const QStringList& divisions, const QStringList& activities, const QStringList& groups,
    const QStringList& notes, const QStringList& sql)
{
    return QStringList { "<ID>", id, "</ID>", "<Title>", title, "</Title>", "<Description>" } + description
        + QStringList { "</Description>", "<Enterprise>", enterprise, "</Enterprise>", "<Divisions>" } + divisions
        + QStringList { "</Divisions>", "<Activities>" } + activities + QStringList { "</Activities>", "<Groups>" }
    + groups + QStringList { "</Groups>", "<Notes>" } + notes + QStringList { "</Notes>", "<SQL>" } + sql
        + QStringList { "</SQL>" };
}

}

TEST_F(ArchiveTest, EmptyStoreIsThirtyThreeLinesOfTagsAndEmptyValues)
{
    const QStringList expected = QStringList { "<Analysis>" }
        + projectBlock("", "", { "" }, "", { "" }, { "" }, { "" }, { "" }, { "", "", "", "", "" })
        + QStringList { "</Analysis>" };
    ASSERT_EQ(expected.size(), 33);
    EXPECT_EQ(savedLines(), expected);
    // Plain text in the code page: no byte-order mark.
    EXPECT_EQ(ArchiveWriter::encode(ArchiveWriter::text(a)).left(12), QByteArray("<Analysis>\r\n"));
}

TEST_F(ArchiveTest, WritesEveryBlockInOrderWithValuesExactlyAsStored)
{
    Table& sys = a.system();
    sys.edit();
    sys.setText("AssID", "Q1");
    sys.setText("Assessment", "Harbour review");
    sys.setText("Description", "First line\r\nSecond line");
    sys.setText("Enterprise", "Harbour Ltd");
    sys.setText("Divisions", LineList::build({ "North", "South" }));
    sys.setText("Activities", "");
    sys.setText("Groups", LineList::build({ "Ops" }));
    sys.setText("Notepad", "<Notes>\r\n[end]");
    sys.setText("SQL-IP", "10.0.0.1");
    sys.setText("SQL-Port", "1433");
    sys.setText("SQL-User", "sa");
    sys.setText("SQL-Password", "pw");
    sys.setText("SQL-Database", "central");
    sys.setBoolean("AutoControl", true);
    sys.post();
    addRow(a.requirements(),
        { { "RSeq", "BR2" }, { "Requirement", "Second" }, { "Division", "North" }, { "Priority", "Low" },
            { "Activity", "Sales" }, { "Source", "Business plan\r\nAnnual report" } });
    addRow(a.requirements(),
        { { "RSeq", "BR1" }, { "Requirement", "First" }, { "Division", "South" }, { "Priority", "High" },
            { "Activity", "Delivery" } });
    addRow(a.drivers(),
        { { "CSeq", "BD1" }, { "Driver", "Keep running" }, { "Division", "North" }, { "Activity", "Sales" },
            { "Group", "Ops" }, { "Requirement", LineList::build({ "BR1: First", "BR2: Second" }) } });
    addRow(a.attribute(),
        { { "GrAtt", "01Available" }, { "Attribute", "Available" }, { "Group", "Ops" }, { "Tier", "Business" },
            { "Grx", "1" }, { "SecControls", LineList::build({ "01.01.01: Backups" }) } });
    addRow(a.attribute(),
        { { "GrAtt", "21Access" }, { "Attribute", "Access" }, { "Group", "Sec" }, { "Tier", "Security" },
            { "Grx", "21" }, { "Description", "Who gets in" }, { "Profile", "Audits" },
            { "SecObjectives", "01.01: Backup" }, { "InUse", "True" } });
    addRow(a.businessToTechnical(),
        { { "BTAtt", "Available       Resilient       " }, { "BusAtt", "Available" }, { "TechAtt", "Resilient" } });
    addRow(a.technicalToSecurity(),
        { { "TSAtt", "Resilient       Access          " }, { "TechAtt", "Resilient" }, { "SecAtt", "Access" } });
    addRow(a.driverProfiles(),
        { { "CSeq", "BD1" }, { "Attribute", "Available" }, { "Priority", "2" }, { "Measure", "not archived" } });
    addRow(a.driverProfiles(), { { "CSeq", "BD1" }, { "Attribute", "Access" } });
    addRow(a.controls(),
        { { "Id", "01.01.01" }, { "XId", "A.1" }, { "section_title", "Backup" }, { "subsection_title", "Copies" },
            { "subsection", "Keep copies\r\n" }, { "control_title", "Backups" }, { "control", "Nightly" } });
    // Applications in stored order, each followed by its risk entries; the
    // name repeats, and an entry whose application is gone is not written.
    addRow(a.applications(),
        { { "Application", "Ledger" }, { "Domain", "Finance" }, { "Owner", "Ann" }, { "Division", "North" },
            { "Description", "Books\r\nof account" }, { "SecAtt", LineList::build({ "Access", "Audit" }) } });
    RiskStore::write(a, a.applications().currentRowId(), "Ledger", "Access", { "Fraud", "High", "Medium" });
    addRow(a.applications(), { { "Application", "Ledger" } });
    addRow(a.appControl(), { { "AppId", "999" }, { "Attribute", "Lost" } });
    // The report details close the archive; the disclaimer as given, emptied.
    ReportDetailsStore::write(a.store(), { "Jo Analyst", "", "1 Quay St", "Line one\r\nLine two", "" });

    // Tabs' views: the attribute list shows only those in use, the
    // requirements are sorted by division. Every record is still written,
    // in the table's order, and the views stay as they were.
    a.attribute().setFilter("InUse=TRUE");
    a.attribute().setFiltered(true);
    a.requirements().setSort("Division,RSeq");
    ASSERT_EQ(a.attribute().recordCount(), 1);

    const QStringList expected = QStringList { "<Analysis>" }
        + projectBlock("Q1", "Harbour review", { "First line", "Second line" }, "Harbour Ltd", { "North", "South", "" },
            { "" }, { "Ops", "" }, { "<Notes>", "[end]" }, { "10.0.0.1", "1433", "sa", "pw", "central" })
        + QStringList { "<RequirementRecord>", "BR2", "Second", "North", "Low", "Sales", "Business plan",
              "Annual report", "</RequirementRecord>", "<RequirementRecord>", "BR1", "First", "South", "High",
              "Delivery", "", "</RequirementRecord>", "<DriverRecord>", "BD1", "Keep running", "North", "Sales", "Ops",
              "BR1: First", "BR2: Second", "", "</DriverRecord>", "<AttributeRecord>", "01Available", "Available",
              "Ops", "Business", "1", "", "[end]", "", "[end]", "", "[end]", "01.01.01: Backups", "",
              "</AttributeRecord>", "<AttributeRecord>", "21Access", "Access", "Sec", "Security", "21", "Who gets in",
              "[end]", "Audits", "[end]", "01.01: Backup", "[end]", "", "</AttributeRecord>", "<BTAttRecord>",
              "Available       Resilient       ", "Available", "Resilient", "</BTAttRecord>", "<TSAttRecord>",
              "Resilient       Access          ", "Resilient", "Access", "</TSAttRecord>", "<DriverAttributeRecord>",
              "BD1", "Available", "2", "</DriverAttributeRecord>", "<DriverAttributeRecord>", "BD1", "Access", "",
              "</DriverAttributeRecord>", "<ControlRecord>", "01.01.01", "A.1", "Backup", "Copies", "Keep copies", "",
              "[end]", "Backups", "Nightly", "</ControlRecord>", "<ApplicationRecord>", "Ledger", "Finance", "Ann",
              "North", "Books", "of account", "[end]", "Access", "Audit", "", "</ApplicationRecord>",
              "<ApplicationRiskRecord>", "Access", "High", "Medium", "Fraud", "</ApplicationRiskRecord>",
              "<ApplicationRecord>", "Ledger", "", "", "", "", "[end]", "", "</ApplicationRecord>", "<ReportRecord>",
              "Jo Analyst", "", "1 Quay St", "Line one", "Line two", "[end]", "", "</ReportRecord>", "</Analysis>" };
    EXPECT_EQ(savedLines(), expected);
    EXPECT_TRUE(a.attribute().filtered());
    EXPECT_EQ(a.attribute().recordCount(), 1);
}

TEST_F(ArchiveTest, LineBreaksThatWouldShiftOrLoseValuesAreWrittenAsCrLf)
{
    // A single-line field holding a break would push the block's later values
    // down a line; a lone CR inside a memo would cut the rest of its line.
    addRow(a.controls(),
        { { "Id", "01.01.01" }, { "control_title", "Two\r\nlines" }, { "subsection", "a\rb\nc\r\nd" },
            { "control", "x\ry" } });
    const QStringList lines = savedLines();
    const int at = int(lines.indexOf("<ControlRecord>"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.mid(at, 12),
        (QStringList { "<ControlRecord>", "01.01.01", "", "", "", "a", "b", "c", "d", "[end]", "Two lines", "x" }));

    const QString path = file("breaks.txt");
    ArchiveWriter::save(a, path);
    ASSERT_TRUE(load(path).isArchive);
    a.controls().first();
    EXPECT_EQ(field(a.controls(), "control_title"), "Two lines");
    EXPECT_EQ(field(a.controls(), "subsection"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(field(a.controls(), "control"), "x\r\ny");
}

TEST(ArchiveEncoding, CodePage1252MapsEveryByteBothWays)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString decoded = CodePage1252::decode(all);
    // The five bytes the code page leaves undefined decode to the controls
    // of their number, which no encoder gives a byte: no file needs them.
    EXPECT_FALSE(CodePage1252::canEncode(decoded));
    QByteArray defined = all;
    for (const char undefined : { '\x9D', '\x90', '\x8F', '\x8D', '\x81' })
        defined.remove(defined.indexOf(undefined), 1);
    EXPECT_EQ(CodePage1252::firstUndefined(all), 0x81);
    EXPECT_EQ(CodePage1252::firstUndefined(defined), -1);
    EXPECT_TRUE(CodePage1252::canEncode(CodePage1252::decode(defined)));
    EXPECT_EQ(CodePage1252::encode(CodePage1252::decode(defined)), defined);
    // Straight to UTF-8, as the archive reader converts a whole file, with
    // ASCII before and after the first byte above 0x7F.
    EXPECT_EQ(CodePage1252::toUtf8(all), decoded.toUtf8());
    EXPECT_EQ(CodePage1252::toUtf8("plain"), QByteArray("plain"));
    // ASCII as the reader tells it, a high byte anywhere in a long text.
    for (int at : { 0, 7, 63, 64, 100, 199 }) {
        QByteArray text(200, 'a');
        EXPECT_TRUE(CodePage1252::isAscii(text));
        text[at] = char(0x80);
        EXPECT_FALSE(CodePage1252::isAscii(text)) << at;
    }

    const struct {
        unsigned char byte;
        char16_t character;
    } known[] = { { 0x41, u'A' }, { 0x80, u'\u20AC' }, { 0x8A, u'\u0160' }, { 0x92, u'\u2019' }, { 0x9F, u'\u0178' },
        { 0xA0, u'\u00A0' }, { 0xE9, u'\u00E9' }, { 0xFF, u'\u00FF' } };
    for (const auto& k : known) {
        EXPECT_EQ(decoded.at(k.byte).unicode(), k.character) << int(k.byte);
        EXPECT_EQ(CodePage1252::encode(QString(QChar(k.character))), QByteArray(1, char(k.byte))) << int(k.byte);
    }
    // Characters the code page has no byte for, including the C1 controls whose bytes mean other letters.
    for (const QString& s : { QStringLiteral("\u0080"), QStringLiteral("\u0081"), QStringLiteral("\u0391"),
             QStringLiteral("\u4E2D"), QStringLiteral("\U0001F600") })
        EXPECT_FALSE(CodePage1252::canEncode(s)) << s.toStdString();
}

TEST(ArchiveEncoding, CodePageWhenEveryCharacterFitsElseUtf8WithMark)
{
    const struct {
        QString text;
        bool utf8;
    } cases[] = {
        { QStringLiteral("Soci\u00E9t\u00E9 \u20AC \u0178 \u2019\r\n"), false },
        { QStringLiteral("plain\r\n"), false },
        { QStringLiteral("Z\u00FCrich \u0394\u03B5\u03BB\u03C4\u03B1\r\n"), true },
        { QStringLiteral("\u6771\u4EAC\r\n"), true },
        { QStringLiteral("smile \U0001F600\r\n"), true },
    };
    for (const auto& c : cases) {
        ArchiveWriter::Encoding used {};
        const QByteArray bytes = ArchiveWriter::encode(c.text, &used);
        EXPECT_EQ(used == ArchiveWriter::Encoding::Utf8, c.utf8) << c.text.toStdString();
        EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), c.utf8) << c.text.toStdString();
        if (!c.utf8) {
            EXPECT_EQ(bytes.size(), c.text.size());
        }
        EXPECT_EQ(ArchiveReader::decode(bytes), c.text);
    }
}

// A multi-line value with a line equal to the line that ends it would come
// back split: found by record and field; the same line elsewhere is harmless.
TEST_F(ArchiveTest, ValuesTheFormatCannotKeepAreNamedByRecordAndField)
{
    addRow(a.requirements(), { { "RSeq", "BR1" }, { "Source", "Plan\r\n[end]\r\nmore" } }); // last field: harmless
    addRow(a.requirements(), { { "RSeq", "BR2" }, { "Source", "Plan\n</RequirementRecord>\nmore" } });
    addRow(a.attribute(),
        { { "GrAtt", "21Access" }, { "Attribute", "Access" }, { "Description", "a\r[end]" },
            { "SecControls", "[end] x" } });
    addRow(a.controls(), { { "Id", "01.01.01" }, { "control", "</ControlRecord>" } });
    Table& sys = a.system();
    sys.edit();
    sys.setText("Notepad", "<Notes>\r\n</Notes>");
    sys.post();
    ReportDetailsStore::write(a.store(), { {}, {}, {}, "Fine\r\n[end]", "Also fine" });
    const QStringList unkept = ArchiveWriter::unkeptValues(a);
    EXPECT_EQ(unkept,
        (QStringList { "The project's <Notes>, field Notepad: a line \"</Notes>\" cannot be kept by the archive format",
            "Requirements record \"BR2\", field Source: a line \"</RequirementRecord>\" cannot be kept by the archive "
            "format",
            "Attribute record \"21Access\", field Description: a line \"[end]\" cannot be kept by the archive format",
            "Controls record \"01.01.01\", field control: a line \"</ControlRecord>\" cannot be kept by the archive "
            "format",
            "The report details' <ReportRecord>, field Commentary: a line \"[end]\" cannot be kept by the archive "
            "format" }));
    EXPECT_TRUE(ArchiveWriter::unkeptQuestion(unkept).endsWith("Save anyway?"));
}

// Text the code page can hold is written in it, unless the bytes would read
// as UTF-8 or need a byte the code page leaves undefined; then it goes in
// UTF-8 behind the mark, and every text reads back as it was.
TEST(ArchiveEncoding, WrittenTextReadsBackUnchanged)
{
    for (const QString& text :
        { QStringLiteral("caf\u00C3\u00A9\r\n"), QStringLiteral("ctl \u0081\r\n"), QStringLiteral("caf\u00E9\r\n") }) {
        ArchiveWriter::Encoding used {};
        const QByteArray bytes = ArchiveWriter::encode(text, &used);
        EXPECT_EQ(ArchiveReader::decode(bytes), text) << text.toStdString();
        EXPECT_EQ(used == ArchiveWriter::Encoding::Utf8, text != QStringLiteral("caf\u00E9\r\n"));
    }
}

TEST(ArchiveFileName, ProposedNameIsTheAssessmentNameMadeSafe)
{
    const struct {
        QString name, proposed;
    } cases[] = {
        { "", "Assessment.txt" },
        { "   ", "Assessment.txt" },
        { ".hidden", "_.hidden.txt" },
        { "Harbour review", "Harbour review.txt" },
        { "A/B", "A_B.txt" },
        { "..\\..\\etc", "_.._.._etc.txt" },
        { "Q3: what? \"now\" <a|b>*", "Q3_ what_ _now_ _a_b__.txt" },
        { "Tab\there", "Tab_here.txt" },
        { QStringLiteral("Z\u00FCrich \u6771\u4EAC"), QStringLiteral("Z\u00FCrich \u6771\u4EAC.txt") },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArchiveWriter::proposedFileName(c.name), c.proposed) << c.name.toStdString();
}
