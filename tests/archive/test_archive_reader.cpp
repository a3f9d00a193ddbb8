// The archive reader: tolerance, encodings and the failure cases.
#include "archive_fixture.h"

#include "store/quarrix_error.h"

namespace {

const QStringList kRequirement
    = { "<RequirementRecord>", "BR1", "First", "North", "High", "Sales", "Plan", "</RequirementRecord>" };

QStringList records(const QStringList& snapshot)
{
    QStringList out;
    for (const QString& line : snapshot)
        if (!line.startsWith(QLatin1String("System.")))
            out << line;
    return out;
}

}

// Each file is loaded into a store that already holds an assessment; the
// expected System values and the exact list of records follow.
TEST_F(ArchiveTest, ReaderIsTolerantOfOrderRepeatsAndStrayLines)
{
    const struct {
        const char* name;
        QStringList lines;
        QStringList system; // System values that must hold afterwards
        QStringList records; // every record afterwards, in table order
    } cases[] = {
        { "title only", { "<Analysis>", "<Title>", "Harbour", "</Title>", "</Analysis>" },
            { "System.Assessment=Harbour", "System.AssID=", "System.Description=", "System.Notepad=" }, {} },
        { "misspelt last line ends the file; what follows is not read",
            QStringList { "<Analysis>" } + kRequirement + QStringList { "</Analyis>" } + kRequirement
                + QStringList { "</Analysis>" },
            {}, { "Requirements|BR1|First|North|High|Sales|Plan" } },
        { "stray lines between and around blocks",
            QStringList { "<Analysis>", "junk", "<title>" } + kRequirement
                + QStringList { "stray text", "", " <DriverRecord>" }
                + QStringList { "<DriverRecord>", "BD1", "Drive", "North", "Sales", "Ops", "</DriverRecord>",
                    "</Analysis>" },
            {}, { "Requirements|BR1|First|North|High|Sales|Plan", "Drivers|BD1|Drive|North|Sales|Ops|" } },
        { "four single lines instead of five shift the values",
            { "<Analysis>", "<RequirementRecord>", "BR1", "First", "North", "High", "Plan", "More",
                "</RequirementRecord>", "</Analysis>" },
            {}, { "Requirements|BR1|First|North|High|Plan|More" } },
        { "any order; a repeated project block overwrites, a repeated record adds",
            { "<Analysis>", "<DriverAttributeRecord>", "BD1", "Att", "3", "</DriverAttributeRecord>", "<Title>", "Old",
                "</Title>", "<BTAttRecord>", "k", "Bus", "Tech", "</BTAttRecord>", "<Title>", "New", "</Title>",
                "<DriverAttributeRecord>", "BD1", "Att", "3", "</DriverAttributeRecord>", "</Analysis>" },
            { "System.Assessment=New" }, { "BTAtt|k|Bus|Tech", "DrAtt|BD1|Att|3", "DrAtt|BD1|Att|3" } },
        { "the closing line of single values is skipped unchecked",
            { "<Analysis>", "<ID>", "Q1", "<Title>", "<Enterprise>", "Acme", "anything", "<SQL>", "h", "1", "u", "p",
                "d", "", "</Analysis>" },
            { "System.AssID=Q1", "System.Assessment=", "System.Enterprise=Acme", "System.SQL-IP=h",
                "System.SQL-Database=d" },
            {} },
        { "a file without an SQL block keeps the server settings",
            { "<Analysis>", "<Notes>", "n", "", "</Notes>", "</Analysis>" },
            { "System.Notepad=n\r\n", "System.SQL-IP=keep-ip", "System.SQL-User=keep-user" }, {} },
        { "multi-line values: empty, one empty line, a final line end, and a CR cuts its line",
            { "<Analysis>", "<Description>", "</Description>", "<Groups>", "", "</Groups>", "<Divisions>", "A", "B", "",
                "</Divisions>", "<Activities>", "Sales\rignored", "</Activities>", "</Analysis>" },
            { "System.Description=", "System.Groups=", "System.Divisions=A\r\nB\r\n", "System.Activities=Sales" }, {} },
        { "a value longer than its field is cut to the field's width, counted in characters",
            { "<Analysis>", "<RequirementRecord>", "BR1-far-too-long", "First", "North", "High", "Sales", "Plan",
                "</RequirementRecord>", "<RequirementRecord>", "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",
                "Second", "South", "Low", "Sales", "Plan", "</RequirementRecord>", "</Analysis>" },
            {},
            { "Requirements|BR1-far-|First|North|High|Sales|Plan",
                "Requirements|\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9|Second|South|Low|Sales|Plan" } },
        { "multi-line values whose lines end in a bare LF or in text after a CR are joined by CR LF",
            { "<Analysis>", "<Divisions>", "A\nB", "C\rjunk", "D", "</Divisions>", "<Groups>", "G\rjunk", "",
                "</Groups>", "</Analysis>" },
            { "System.Divisions=A\r\nB\r\nC\r\nD", "System.Groups=G\r\n" }, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        a.clearDatabase();
        Table& sys = a.system();
        sys.edit();
        sys.setText("AssID", "old id");
        sys.setText("SQL-IP", "keep-ip");
        sys.setText("SQL-User", "keep-user");
        sys.post();
        addRow(a.requirements(), { { "RSeq", "OLD" } });

        ASSERT_TRUE(loadLines(c.lines).isArchive);
        const QStringList after = snapshot();
        for (const QString& s : c.system)
            EXPECT_TRUE(after.contains(s)) << s.toStdString();
        EXPECT_EQ(records(after), c.records);
    }
}

TEST_F(ArchiveTest, LoadReplacesTheAssessmentButKeepsSettingsAndTrace)
{
    Table& sys = a.system();
    sys.edit();
    sys.setBoolean("AutoControl", true);
    sys.setText("AutoControlFile", "controls.xlsx");
    sys.setText("Notepad", "old notes");
    sys.post();
    addRow(a.applications(), { { "Application", "Ledger" } });
    addRow(a.controlDriverTrace(), { { "IDDR", "01.01.01BD1" }, { "id", "01.01.01" }, { "cseq", "BD1" } });
    addRow(a.controls(), { { "Id", "09.09.09" } });

    loadLines({ "<Analysis>", "<ControlRecord>", "01.01.01", "A.1", "S", "SS", "sub", "[end]", "T", "ctl",
        "</ControlRecord>", "</Analysis>" });
    EXPECT_EQ(records(snapshot()), QStringList { "Controls|01.01.01|A.1|S|SS|sub|T|ctl" });
    EXPECT_EQ(a.applications().recordCount(), 0);
    EXPECT_EQ(a.controlDriverTrace().recordCount(), 1);
    EXPECT_TRUE(sys.boolean("AutoControl"));
    EXPECT_EQ(field(sys, "AutoControlFile"), "controls.xlsx");
    EXPECT_EQ(field(sys, "Notepad"), "");
}

TEST_F(ArchiveTest, LegacyCodePageFileAndMarkedUtf8FileReadTheirLetters)
{
    // Written by the older program: Windows-1252, no mark.
    const QByteArray legacy
        = "<Analysis>\r\n<Title>\r\nSoci\xE9t\xE9 G\xE9n\xE9rale Z\xFCrich \x80 \x93quoted\x94\r\n</Title>\r\n"
          "<Divisions>\r\nNord-\xC9st\r\nS\xFC\x64\r\n\r\n</Divisions>\r\n</Analysis>\r\n";
    writeBytes(file("legacy.txt"), legacy);
    ASSERT_TRUE(load(file("legacy.txt")).isArchive);
    EXPECT_EQ(field(a.system(), "Assessment"),
        QStringLiteral("Soci\u00E9t\u00E9 G\u00E9n\u00E9rale Z\u00FCrich \u20AC \u201Cquoted\u201D"));
    EXPECT_EQ(field(a.system(), "Divisions"), QStringLiteral("Nord-\u00C9st\r\nS\u00FCd\r\n"));
    // Saved again, the letters are written in the code page as before.
    const QByteArray again = ArchiveWriter::encode(ArchiveWriter::text(a));
    EXPECT_TRUE(again.startsWith("<Analysis>\r\n"));
    EXPECT_TRUE(again.contains("<Title>\r\nSoci\xE9t\xE9 G\xE9n\xE9rale Z\xFCrich \x80 \x93quoted\x94\r\n</Title>"));
    EXPECT_TRUE(again.contains("<Divisions>\r\nNord-\xC9st\r\nS\xFC\x64\r\n\r\n</Divisions>"));

    const QByteArray marked = "\xEF\xBB\xBF<Analysis>\r\n<Title>\r\n"
        + QStringLiteral("\u0394\u03AE\u03BC\u03B7\u03C4\u03C1\u03B1 \u6771\u4EAC").toUtf8()
        + "\r\n</Title>\r\n</Analysis>\r\n";
    writeBytes(file("utf8.txt"), marked);
    ASSERT_TRUE(load(file("utf8.txt")).isArchive);
    EXPECT_EQ(
        field(a.system(), "Assessment"), QStringLiteral("\u0394\u03AE\u03BC\u03B7\u03C4\u03C1\u03B1 \u6771\u4EAC"));
}

TEST_F(ArchiveTest, UnmarkedUtf8IsReadAsUtf8)
{
    const QByteArray unmarked
        = "<Analysis>\r\n<Title>\r\n" + QStringLiteral("caf\u00E9 \u20AC").toUtf8() + "\r\n</Title>\r\n</Analysis>\r\n";
    for (const Loading way : kLoadings) {
        SCOPED_TRACE(name(way));
        loading = way;
        writeBytes(file("unmarked.txt"), unmarked);
        ASSERT_TRUE(load(file("unmarked.txt")).isArchive);
        EXPECT_EQ(field(a.system(), "Assessment"), QStringLiteral("caf\u00E9 \u20AC"));
    }
}

// A byte that is not valid in the encoding the file is read in refuses the
// load at its line and column (counted in characters), and the store keeps
// what it had.
TEST_F(ArchiveTest, BytesNotValidInTheFilesEncodingAreRefusedWithLineAndColumn)
{
    addRow(a.requirements(), { { "RSeq", "KEEP" } });
    const struct {
        const char* name;
        QByteArray bytes;
        const char* said;
    } cases[] = {
        { "a broken sequence behind the mark",
            "\xEF\xBB\xBF<Analysis>\r\n<Title>\r\n\xC3\xA9t\xE9\r\n</Title>\r\n</Analysis>\r\n",
            "line 3, column 3: the byte 0xE9" },
        { "an overlong form behind the mark",
            "\xEF\xBB\xBF<Analysis>\r\n<Notes>\r\nab\xC0\xAF\r\n</Notes>\r\n</Analysis>\r\n",
            "line 3, column 3: the byte 0xC0" },
        { "a truncated sequence at the end", "\xEF\xBB\xBF<Analysis>\r\n</Analysis>\r\n\xE2\x82", "line 3, column 1" },
        { "a byte the code page leaves undefined",
            "<Analysis>\r\n<Title>\r\nZ\xFCrich\x81\r\n</Title>\r\n</Analysis>\r\n",
            "line 3, column 7: the byte 0x81 is not valid in Windows-1252" },
    };
    const QStringList before = snapshot();
    for (const auto& c : cases)
        for (const Loading way : kLoadings) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(name(way));
            loading = way;
            writeBytes(file("bad.txt"), c.bytes);
            try {
                load(file("bad.txt"));
                ADD_FAILURE() << "loaded";
            } catch (const QuarrixError& e) {
                EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.said))) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(file("bad.txt"))) << e.message().toStdString();
            }
            EXPECT_EQ(snapshot(), before);
        }
}

// Files far larger than the stretch read at a time: records cut by a
// stretch's end, a value longer than a stretch, a stray line longer than one
// outside any block, and a sequence cut between two stretches.
TEST_F(ArchiveTest, LargeFilesReadTheSameAcrossStretches)
{
    const QString longValue = QString(3 * 1024 * 1024, QLatin1Char('v')) + QStringLiteral("\u00E9");
    QStringList lines { "<Analysis>", QString(2 * 1024 * 1024 + 7, QLatin1Char('x')) };
    for (int i = 0; i < 40000; ++i)
        lines << kRequirement.mid(0, 6) << QStringLiteral("\u20AC plan %1").arg(i) << kRequirement.last();
    lines << "<Notes>" << longValue << "</Notes>"
          << "</Analysis>";
    const QByteArray bytes = (lines.join("\r\n") + "\r\n").toUtf8(); // unmarked UTF-8
    for (const Loading way : kLoadings) {
        SCOPED_TRACE(name(way));
        loading = way;
        writeBytes(file("large.txt"), bytes);
        ASSERT_TRUE(load(file("large.txt")).isArchive);
        EXPECT_EQ(a.requirements().recordCount(), 40000);
        Table& reqs = a.requirements();
        reqs.refresh();
        reqs.last();
        EXPECT_TRUE(reqs.text("Source").startsWith(QStringLiteral("\u20AC plan ")))
            << reqs.text("Source").toStdString();
        EXPECT_EQ(field(a.system(), "Notepad"), longValue);
    }
}

// A host name of 253 characters or an IPv6 address goes through the SQL
// block and comes back whole.
TEST_F(ArchiveTest, TheServerAddressTravelsWhole)
{
    const QString host = QStringList(3, QString(63, QLatin1Char('h'))).join('.') + '.' + QString(61, QLatin1Char('z'));
    for (const QString& address : { host, QStringLiteral("[2001:db8:85a3::8a2e:370:7334]") }) {
        Table& sys = a.system();
        sys.edit();
        sys.setText("SQL-IP", address);
        sys.post();
        ArchiveWriter::save(a, file("server.txt"));
        sys.edit();
        sys.setText("SQL-IP", "other");
        sys.post();
        ASSERT_TRUE(load(file("server.txt")).isArchive);
        EXPECT_EQ(field(a.system(), "SQL-IP"), address);
    }
}

TEST_F(ArchiveTest, FileThatIsNotAnArchiveIsRecognisedAndChangesNothing)
{
    addRow(a.requirements(), { { "RSeq", "KEEP" } });
    const QByteArray files[] = { "", "\r\n<Analysis>\r\n", "<analysis>\r\n</analysis>\r\n",
        "<Analysis> \r\n</Analysis>\r\n", "Title,Value\r\nA,B\r\n", "\xEF\xBB\xBF\xEF\xBB\xBF<Analysis>\r\n" };
    for (const Loading way : kLoadings)
        for (const QByteArray& bytes : files) {
            loading = way;
            writeBytes(file("other.txt"), bytes);
            const ArchiveReader::Result r = load(file("other.txt"));
            EXPECT_FALSE(r.isArchive) << bytes.toStdString() << ", " << name(way);
            EXPECT_TRUE(r.blocks.empty());
        }
    EXPECT_EQ(records(snapshot()), QStringList { "Requirements|KEEP|||||" });
}

TEST_F(ArchiveTest, FileEndingEarlyOrWithAnOrphanRiskEntryChangesNothingAndSaysWhere)
{
    const QStringList application
        = { "<ApplicationRecord>", "Ledger", "", "", "", "", "[end]", "", "</ApplicationRecord>" };
    const QStringList risk
        = { "<ApplicationRiskRecord>", "Access", "Low", "High", "Fraud", "</ApplicationRiskRecord>" };
    const struct {
        const char* name;
        QStringList lines;
        QStringList said; // parts of the message besides the file name
    } cases[] = {
        { "no last line", QStringList { "<Analysis>" } + kRequirement, { "after line 9", "</Analysis>" } },
        { "a value that never ends",
            QStringList { "<Analysis>" } + kRequirement
                + QStringList { "<RequirementRecord>", "BR2", "Second", "South", "Low", "Ops", "one", "two" },
            { "after line 17", "<RequirementRecord> block that begins at line 10" } },
        { "inside the single values", { "<Analysis>", "<DriverAttributeRecord>", "BD1" },
            { "after line 3", "<DriverAttributeRecord> block that begins at line 2" } },
        { "before the closing line", { "<Analysis>", "<TSAttRecord>", "k", "T", "S" },
            { "after line 5", "<TSAttRecord>" } },
        { "an attribute missing its last [end]",
            { "<Analysis>", "<AttributeRecord>", "01A", "A", "G", "Business", "1", "d", "[end]", "p",
                "</AttributeRecord>" },
            { "after line 11", "<AttributeRecord>" } },
        { "a risk entry before any application",
            QStringList { "<Analysis>" } + risk + application + QStringList { "</Analysis>" },
            { "line 2", "<ApplicationRiskRecord> block follows no <ApplicationRecord>" } },
        { "a risk entry cut short after its application", QStringList { "<Analysis>" } + application + risk.mid(0, 5),
            { "after line 15", "<ApplicationRiskRecord> block that begins at line 11" } },
    };
    addRow(a.requirements(), { { "RSeq", "KEEP" } });
    Table& sys = a.system();
    sys.edit();
    sys.setText("Assessment", "Kept");
    sys.post();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefusedBothWays(c.lines, c.said + QStringList { inputFile() });
    }
}

TEST_F(ArchiveTest, PriorityMustBeAWholeNumberUpTo65535)
{
    const struct {
        const char* line;
        const char* stored; // nullptr: the load is refused
    } cases[] = { { "", "" }, { "0", "0" }, { "3", "3" }, { "65535", "65535" }, { "007", "7" }, { " 2 ", "2" },
        { "65536", nullptr }, { "-1", nullptr }, { "1.5", nullptr }, { "x", nullptr }, { " ", nullptr },
        { "99999999999999999999", nullptr }, { "+1", nullptr } };
    for (const Loading way : kLoadings)
        for (const auto& c : cases) {
            SCOPED_TRACE(c.line);
            SCOPED_TRACE(name(way));
            loading = way;
            a.clearDatabase();
            addRow(a.requirements(), { { "RSeq", "KEEP" } });
            const QStringList lines = { "<Analysis>", "<DriverAttributeRecord>", "BD1", "Att", "1", "x",
                "<DriverAttributeRecord>", "BD2", "Att", QString::fromLatin1(c.line), "x", "</Analysis>" };
            if (c.stored) {
                loadLines(lines);
                EXPECT_EQ(records(snapshot()),
                    (QStringList { "DrAtt|BD1|Att|1", "DrAtt|BD2|Att|" + QString::fromLatin1(c.stored) }));
                continue;
            }
            try {
                loadLines(lines);
                ADD_FAILURE() << "accepted";
            } catch (const QuarrixError& e) {
                EXPECT_TRUE(e.message().contains("line 10")) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(inputFile())) << e.message().toStdString();
            }
            // Nothing of the file was written.
            EXPECT_EQ(records(snapshot()), QStringList { "Requirements|KEEP|||||" });
        }
}

TEST_F(ArchiveTest, UnreadableFileRaisesAnErrorNamingIt)
{
    for (const QString& path : { file("missing.txt"), dir.path() }) {
        try {
            ArchiveReader::read(path);
            ADD_FAILURE() << "read " << path.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        }
    }
}

// The load replaces the assessment in one transaction: a write that fails
// after the store was cleared and half refilled undoes it all, and so does a
// file found bad only at its end, after thousands of its records were written
// (loaded at once, the writing runs ahead of the reading). Where the failure
// comes while the file is still being read, the reading stops.
TEST_F(ArchiveTest, LoadThatFailsPartWayLeavesTheAssessmentAsItWas)
{
    addRow(a.requirements(), { { "RSeq", "KEEP" } });
    addRow(a.applications(), { { "Application", "Ledger" } });
    Table& sys = a.system();
    sys.edit();
    sys.setText("Assessment", "Kept");
    sys.post();
    a.store().exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON Controls WHEN NEW.Id = 'boom' "
                   "BEGIN SELECT RAISE(ABORT, 'the disk gave up'); END");
    QStringList many;
    for (int i = 0; i < 5000; ++i)
        many << "<DriverAttributeRecord>" << QStringLiteral("BD%1").arg(i) << "Att"
             << "2"
             << "x";
    const QStringList boom
        = { "<ControlRecord>", "boom", "", "", "", "", "[end]", "", "", "</ControlRecord>", "</Analysis>" };
    const struct {
        const char* name;
        QStringList lines;
        const char* said;
    } cases[] = {
        { "a write refused", QStringList { "<Analysis>", "<Title>", "New", "</Title>" } + kRequirement + boom,
            "the disk gave up" },
        { "a write refused while the file is read",
            QStringList { "<Analysis>" } + boom.mid(0, 10) + many + kRequirement + QStringList { "</Analysis>" },
            "the disk gave up" },
        { "a bad priority at the end",
            QStringList { "<Analysis>" } + many
                + QStringList { "<DriverAttributeRecord>", "BD", "Att", "x", "x", "</Analysis>" },
            "line 25005" },
        { "no last line", QStringList { "<Analysis>" } + many, "after line 25001" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefusedBothWays(c.lines, { QString::fromLatin1(c.said) });
        EXPECT_EQ(a.requirements().recordCount(), 1);
    }
}
