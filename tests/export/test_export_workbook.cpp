#include "export_fixture.h"
#include "workbook_dump.h"

#include "analysis/profile_division_filter.h"
#include "office/spreadsheet_reader.h"
#include "reports/export_workbook.h"
#include "store/quarrix_error.h"
#include "support/temp_store.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using Rows = QList<QStringList>;

QList<QStringList> only(const Rows& rows, std::initializer_list<int> keep)
{
    Rows out { rows.first() };
    for (int i : keep)
        out << rows.at(i);
    return out;
}

class ExportTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        ExportFixture::fill(a);
        target = dir.filePath(QStringLiteral("out.xlsx"));
    }

    DumpedWorkbook exportWith(const ReportSelection& s)
    {
        ExportWorkbook::write(a, s, target);
        return readWithOpenpyxl(target);
    }

    QString target;
};

struct SheetCase {
    const char* name;
    ReportSelection selection;
    QString division; // division filter, "All" for none
    QStringList names;
    QList<Rows> rows;
};

TEST_F(ExportTest, SheetsHoldThePassingRecordsInTableOrderAsText)
{
    using namespace ExportFixture;
    const QStringList defaults { "Sheet1", "Sheet2", "Sheet3", "Sheet4" };
    ReportSelection standard;
    ReportSelection everything;
    everything.controls = true;
    ReportSelection controlsOnly;
    controlsOnly.requirements = controlsOnly.drivers = controlsOnly.attributes = false;
    controlsOnly.controls = true;
    ReportSelection none = controlsOnly;
    none.controls = false;
    ReportSelection build = everything;
    build.activity = QStringLiteral("Build");
    ReportSelection wrongCase = everything;
    wrongCase.activity = QStringLiteral("build");
    wrongCase.group = QStringLiteral("core");
    ReportSelection edge = everything;
    edge.group = QStringLiteral("Edge");

    const SheetCase cases[] = {
        { "tab defaults", standard, "All", { "Requirements", "Drivers", "Attributes", "Sheet4" },
            { requirementRows(), driverRows(), attributeRows(), {} } },
        { "all four", everything, "All", { "Requirements", "Drivers", "Attributes", "Controls" },
            { requirementRows(), driverRows(), attributeRows(), controlRows() } },
        { "controls only", controlsOnly, "All", { "Sheet1", "Sheet2", "Sheet3", "Controls" },
            { {}, {}, {}, controlRows() } },
        { "nothing ticked", none, "All", defaults, { {}, {}, {}, {} } },
        { "activity Build", build, "All", { "Requirements", "Drivers", "Attributes", "Controls" },
            { only(requirementRows(), { 1, 3 }), only(driverRows(), { 1 }), attributeRows(), controlRows() } },
        { "other letter case", wrongCase, "All", { "Requirements", "Drivers", "Attributes", "Controls" },
            { only(requirementRows(), {}), only(driverRows(), {}), only(attributeRows(), {}), controlRows() } },
        { "group Edge", edge, "All", { "Requirements", "Drivers", "Attributes", "Controls" },
            { requirementRows(), driverRows(), only(attributeRows(), { 2 }), controlRows() } },
        { "division South", everything, "South", { "Requirements", "Drivers", "Attributes", "Controls" },
            { only(requirementRows(), { 2 }), only(driverRows(), { 2 }), attributeRows(), controlRows() } },
    };
    for (const SheetCase& c : cases) {
        SCOPED_TRACE(c.name);
        applyDivisionFilter(a.requirements(), c.division);
        applyDivisionFilter(a.drivers(), c.division);
        const DumpedWorkbook book = exportWith(c.selection);
        EXPECT_EQ(book.names(), c.names);
        EXPECT_EQ(book.active, c.names.first());
        for (int i = 0; i < 4 && i < book.sheets.size(); ++i)
            EXPECT_EQ(book.sheets[i].rows, c.rows[i]) << "worksheet " << i + 1;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());
    }
}

TEST_F(ExportTest, LeavesEachWalkedTableOnItsFirstRecord)
{
    a.requirements().last();
    a.drivers().last();
    a.attribute().last();
    ReportSelection s;
    s.controls = true;
    a.controls().last();
    ExportWorkbook::write(a, s, target);
    for (Table* t : { &a.requirements(), &a.drivers(), &a.attribute(), &a.controls() })
        EXPECT_EQ(t->currentRow(), 0) << t->name().toStdString();
    // A record left in edit mode is posted before the walk reads it.
    a.requirements().edit();
    a.requirements().setText(QStringLiteral("Requirement"), QStringLiteral("Edited"));
    ExportWorkbook::write(a, s, target);
    EXPECT_EQ(readWithOpenpyxl(target).sheets.value(0).rows.value(1).value(2), QStringLiteral("Edited"));
}

TEST_F(ExportTest, OverlongValuesAreCutToTheCellLimitAndCounted)
{
    const QString longText = QString(40000, QLatin1Char('x'));
    ExportFixture::add(a.requirements(), { { "RSeq", QStringLiteral("BR9.01") }, { "Source", longText } });
    ExportFixture::add(a.drivers(), { { "CSeq", QStringLiteral("BD9") }, { "Requirement", longText } });
    const ExportWorkbook::Result result = ExportWorkbook::write(a, ReportSelection(), target);
    EXPECT_EQ(result.cutCells, 2);
    const DumpedWorkbook book = readWithOpenpyxl(target);
    ASSERT_EQ(book.sheets.size(), 4);
    EXPECT_EQ(book.sheets[0].rows.last().value(4), QString(ExportWorkbook::cellLimit, QLatin1Char('x')));
    EXPECT_EQ(book.sheets[1].rows.last().value(5), QString(ExportWorkbook::cellLimit, QLatin1Char('x')));
}

// What a reader of the workbook sees beyond the values: the header row bold,
// frozen and with filter buttons, fitted widths and wrapped multi-line cells.
TEST_F(ExportTest, SheetsAreLaidOutForReading)
{
    ExportFixture::add(
        a.requirements(), { { "RSeq", QStringLiteral("BR9.01") }, { "Requirement", QString(200, QLatin1Char('w')) } });
    ExportWorkbook::write(a, ReportSelection(), target);
    static const char* script = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
wrapped = [c.coordinate for row in ws.iter_rows(min_row=2) for c in row if c.alignment.wrap_text]
out = {"bold": all(c.font.b for c in ws[1] if c.value), "freeze": ws.freeze_panes, "filter": ws.auto_filter.ref,
       "widths": [ws.column_dimensions[l].width for l in "ABCDE"], "wrapped": wrapped,
       "height": ws.row_dimensions[2].height}
sys.stdout.write(json.dumps(out))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QString::fromLatin1(script), target });
    ASSERT_TRUE(python.waitForFinished(60000) && python.exitCode() == 0) << python.readAllStandardError().toStdString();
    const QJsonObject layout = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    EXPECT_TRUE(layout.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(layout.value(QStringLiteral("freeze")).toString(), QStringLiteral("A2"));
    const int rows = readWithOpenpyxl(target).sheets.value(0).rows.size();
    EXPECT_EQ(layout.value(QStringLiteral("filter")).toString(), QStringLiteral("A1:E%1").arg(rows));
    // "ID" and the identifiers are narrow; the requirement column is fitted up to its cap.
    const QJsonArray widths = layout.value(QStringLiteral("widths")).toArray();
    EXPECT_LT(widths.at(0).toDouble(), 12.0);
    EXPECT_GT(widths.at(2).toDouble(), 40.0);
    EXPECT_LE(widths.at(2).toDouble(), 62.0);
    // The first requirement (BR1.01) holds a two-line reference: its row is wrapped and taller.
    EXPECT_TRUE(layout.value(QStringLiteral("wrapped")).toArray().contains(QStringLiteral("E2")));
    EXPECT_GE(layout.value(QStringLiteral("height")).toDouble(), 30.0);
}

// Row heights count characters as a spreadsheet does (a character beyond 16
// bits is two), after line breaks are joined, and stop at eight lines.
TEST_F(ExportTest, TallRowsCountCharactersAndLinesAsTheSpreadsheetDoes)
{
    const QString lock = QString::fromUtf8("\xF0\x9F\x94\x92");
    struct Case {
        const char* id;
        QString requirement;
        QString written;
        double height; // 0: the default height
    } cases[] = {
        { "BR9.01", lock.repeated(30), lock.repeated(30), 0 },
        { "BR9.02", lock.repeated(31), lock.repeated(31), 30 },
        { "BR9.03", QStringLiteral("a\r\nb\rc"), QStringLiteral("a\nb\nc"), 45 },
        { "BR9.04", QStringLiteral("x\n").repeated(9) + QLatin1Char('x'),
            QStringLiteral("x\n").repeated(9) + QLatin1Char('x'), 120 },
        { "BR9.05", QString::fromUtf8("Zürich, Genève"), QString::fromUtf8("Zürich, Genève"), 0 },
    };
    for (const Case& c : cases)
        ExportFixture::add(
            a.requirements(), { { "RSeq", QString::fromLatin1(c.id) }, { "Requirement", c.requirement } });
    ExportWorkbook::write(a, ReportSelection(), target);
    static const char* script = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
rows = {r[0].value: [r[2].value, ws.row_dimensions[r[0].row].height or 0] for r in ws.iter_rows(min_row=2)}
sys.stdout.write(json.dumps({"rows": rows, "width": ws.column_dimensions["C"].width}))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QString::fromLatin1(script), target });
    ASSERT_TRUE(python.waitForFinished(60000) && python.exitCode() == 0) << python.readAllStandardError().toStdString();
    const QJsonObject out = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    const QJsonObject rows = out.value(QStringLiteral("rows")).toObject();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const QJsonArray row = rows.value(QString::fromLatin1(c.id)).toArray();
        EXPECT_EQ(row.at(0).toString(), c.written);
        EXPECT_EQ(row.at(1).toDouble(), c.height);
    }
    // The column is fitted to its longest line up to the cap of 60 characters.
    EXPECT_GT(out.value(QStringLiteral("width")).toDouble(), 60.0);
    EXPECT_LE(out.value(QStringLiteral("width")).toDouble(), 62.0);
}

TEST(ExportCellText, LineBreaksAndTheCellLimit)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x94\x92"); // one character, two UTF-16 units
    const QString fits = QString(ExportWorkbook::cellLimit, QLatin1Char('a'));
    struct Case {
        const char* name;
        QString in;
        QString out;
        bool cut;
    } cases[] = {
        { "CR LF and lone CR become line feeds", QStringLiteral("a\r\nb\rc\n"), QStringLiteral("a\nb\nc\n"), false },
        { "exactly at the limit", fits, fits, false },
        { "one over the limit", fits + QLatin1Char('b'), fits, true },
        { "a pair across the limit is dropped whole", fits.left(ExportWorkbook::cellLimit - 1) + emoji,
            fits.left(ExportWorkbook::cellLimit - 1), true },
        { "line breaks count once after joining",
            QString(ExportWorkbook::cellLimit, QLatin1Char('\n')).replace(QLatin1String("\n"), QLatin1String("\r\n")),
            QString(ExportWorkbook::cellLimit, QLatin1Char('\n')), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool cut = !c.cut;
        EXPECT_EQ(ExportWorkbook::cellText(c.in, &cut), c.out);
        EXPECT_EQ(cut, c.cut);
    }
}

TEST_F(ExportTest, ReplacesAnExistingFileAndKeepsItWhenWritingFails)
{
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    ExportWorkbook::write(a, ReportSelection(), target);
    EXPECT_EQ(readWithOpenpyxl(target).sheets.value(0).rows, ExportFixture::requirementRows());

    // A folder in the way: the rename fails, the folder and its contents stay,
    // and no temporary file is left beside it.
    const QString blocked = dir.filePath(QStringLiteral("blocked.xlsx"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("blocked.xlsx/inside")));
    EXPECT_THROW(ExportWorkbook::write(a, ReportSelection(), blocked), QuarrixError);
    EXPECT_TRUE(QDir(blocked + QStringLiteral("/inside")).exists());
    // A folder that does not exist: nothing can be written.
    EXPECT_THROW(
        ExportWorkbook::write(a, ReportSelection(), dir.filePath(QStringLiteral("missing/out.xlsx"))), QuarrixError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());
}

// The rows before the attributes are being written on the workbook's own
// thread when the reading fails: the error is the caller's, and the old file
// and nothing else stays.
TEST_F(ExportTest, AReadFailingWhileRowsAreWrittenKeepsTheOldFile)
{
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    ReportSelection everything;
    everything.attributes = everything.controls = true;
    try {
        ExportWorkbook::write(a, everything, target, [] { throw QuarrixError(QStringLiteral("derivation failed")); });
        FAIL() << "the failure was not reported";
    } catch (const QuarrixError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("derivation failed"));
    }
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(ExportTest, OurOwnReaderReadsTheFirstWorksheetBack)
{
    const auto rowsOf = [](const SheetCells& cells) {
        QList<QStringList> rows;
        for (int r = 1; r <= cells.lastRow(); ++r) {
            QStringList row;
            for (int c = 1; c <= 6; ++c)
                row << cells.cell(r, c);
            while (!row.isEmpty() && row.last().isEmpty())
                row.removeLast();
            rows << row;
        }
        return rows;
    };
    ExportWorkbook::write(a, ReportSelection(), target);
    SheetCells cells = SpreadsheetReader::readActiveSheet(target);
    EXPECT_EQ(cells.sheetName(), QStringLiteral("Requirements"));
    EXPECT_EQ(rowsOf(cells), ExportFixture::requirementRows());

    ExportFixture::add(
        a.requirements(), { { "RSeq", QStringLiteral("BR9.01") }, { "Source", QString(40000, QLatin1Char('y')) } });
    ReportSelection s;
    s.activity = QString();
    ExportWorkbook::write(a, s, target);
    cells = SpreadsheetReader::readActiveSheet(target);
    EXPECT_EQ(rowsOf(cells),
        (QList<QStringList> { ExportFixture::requirementRows().first(),
            { "BR9.01", "", "", "", QString(ExportWorkbook::cellLimit, QLatin1Char('y')) } }));

    ReportSelection controlsOnly;
    controlsOnly.requirements = controlsOnly.drivers = controlsOnly.attributes = false;
    controlsOnly.controls = true;
    ExportWorkbook::write(a, controlsOnly, target);
    cells = SpreadsheetReader::readActiveSheet(target);
    EXPECT_EQ(cells.sheetName(), QStringLiteral("Sheet1"));
    EXPECT_EQ(cells.lastRow(), 0);
}

}
