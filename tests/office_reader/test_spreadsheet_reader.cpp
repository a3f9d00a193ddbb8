#include "office/cell_dates.h"
#include "office/spreadsheet_reader.h"
#include "store/quarrix_error.h"
#include "xls_builder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

QString data(const char* name)
{
    return QStringLiteral(QUARRIX_TEST_DATA "/") + QString::fromLatin1(name);
}

// Writes a zip with the given parts (name, content).
void writeZip(const QString& path, const std::vector<std::pair<const char*, QByteArray>>& parts)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_TRUE(z);
    for (const auto& [name, content] : parts) {
        zip_source_t* src = zip_source_buffer(z, content.constData(), zip_uint64_t(content.size()), 0);
        ASSERT_GE(zip_file_add(z, name, src, ZIP_FL_OVERWRITE), 0);
    }
    ASSERT_EQ(zip_close(z), 0); // the buffers are read here, while parts is alive
}

const QByteArray kWorkbook = "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                             "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const QByteArray kRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" "
                         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                         "Target=\"worksheets/sheet1.xml\"/></Relationships>";

// A one-sheet workbook whose sheet part is the given XML.
QString workbookWithSheet(const QTemporaryDir& dir, const char* name, const QByteArray& sheetXml)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    writeZip(path,
        { { "xl/workbook.xml", kWorkbook }, { "xl/_rels/workbook.xml.rels", kRels },
            { "xl/worksheets/sheet1.xml", sheetXml } });
    return path;
}

QByteArray sheetXml(const QByteArray& rows)
{
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows
        + "</sheetData></worksheet>";
}

struct Expected {
    int row, column;
    const char* text;
};

} // namespace

// The same content written by LibreOffice as .xlsx and .xls: the second sheet is
// the active one; numbers, shared strings, formula results and Booleans.
TEST(SpreadsheetReader, ReadsTheActiveSheetOfLibreOfficeFiles)
{
    const std::vector<Expected> cells = { { 1, 1, "Name" }, { 1, 2, "3" }, { 1, 3, "1.5" }, { 1, 4, "6" },
        { 1, 5, "TRUE" }, { 2, 1, "Name" }, { 2, 2, "1000000" }, { 2, 3, "-0.1" }, { 2, 5, "Zürich – ünïcode" },
        { 3, 1, "" }, { 3, 3, "" }, { 3, 4, "D3 only" }, { 4, 1, "12" }, { 5, 1, "" }, { 1, 7, "" } };
    for (const char* file : { "reader_lo.xlsx", "reader_lo.xls" }) {
        SCOPED_TRACE(file);
        const SheetCells sheet = SpreadsheetReader::readActiveSheet(data(file));
        EXPECT_EQ(sheet.sheetName(), QStringLiteral("Data"));
        EXPECT_EQ(sheet.lastRow(), 4);
        for (const Expected& e : cells)
            EXPECT_EQ(sheet.cell(e.row, e.column), QString::fromUtf8(e.text)) << e.row << "," << e.column;
    }
    // A text formula's cached result: LibreOffice keeps it in the .xlsx but
    // stores 0 as the result in the .xls it writes, so only the .xlsx is checked.
    EXPECT_EQ(SpreadsheetReader::readActiveSheet(data("reader_lo.xlsx")).cell(1, 6), QStringLiteral("Namex"));
}

// The desktop program's layout: prefixed elements, sheets whose tab order and
// part names disagree, rich shared strings with phonetic runs, cells without
// references, inline strings and errors.
// Numbers formatted as dates and times read as ISO text, in both date
// systems and both formats; other numbers (a percentage, a plain number, a
// number format with grouping) keep their shortest text.
TEST(SpreadsheetReader, DateAndTimeCellsReadAsIsoText)
{
    const std::vector<Expected> libreOffice = { { 1, 1, "2024-03-15" }, { 1, 2, "13:30" }, { 1, 3, "2024-03-15 13:30" },
        { 1, 4, "1999-12-31" }, { 1, 5, "07:05" }, { 1, 6, "0.125" }, { 1, 7, "45306" }, { 2, 1, "1904-01-02" },
        { 2, 2, "23:59:59" }, { 2, 3, "2000-02-29 00:00" } };
    for (const char* file : { "dates_lo_1900.xlsx", "dates_lo_1900.xls", "dates_lo_1904.xlsx", "dates_lo_1904.xls" }) {
        SCOPED_TRACE(file);
        const SheetCells sheet = SpreadsheetReader::readActiveSheet(data(file));
        for (const Expected& e : libreOffice)
            EXPECT_EQ(sheet.cell(e.row, e.column), QString::fromUtf8(e.text)) << e.row << "," << e.column;
    }
    // Built-in formats 14, 20, 22 and 45, a custom one with quoted text, an
    // elapsed [h], a number format and General.
    const std::vector<Expected> openpyxl = { { 1, 1, "2024-03-15" }, { 1, 2, "13:30" }, { 1, 3, "2024-03-15 13:30" },
        { 1, 4, "00:05:30" }, { 1, 5, "2024-03-15 08:00:15" }, { 1, 6, "36:15" }, { 1, 7, "1234.5" }, { 1, 8, "0.3" } };
    for (const char* file : { "dates_openpyxl.xlsx", "dates_openpyxl_1904.xlsx" }) {
        SCOPED_TRACE(file);
        const SheetCells sheet = SpreadsheetReader::readActiveSheet(data(file));
        for (const Expected& e : openpyxl)
            EXPECT_EQ(sheet.cell(e.row, e.column), QString::fromUtf8(e.text)) << e.row << "," << e.column;
    }
}

TEST(SpreadsheetReader, DateFormatsAreToldByTheirLetters)
{
    using CellDates::Kind;
    const struct {
        const char* code;
        Kind kind;
    } cases[] = {
        { "yyyy-mm-dd", Kind::Date },
        { "h:mm AM/PM", Kind::Time },
        { "mm:ss.0", Kind::Time },
        { "[h]:mm:ss", Kind::Time },
        { "d/m/yy\\ h:mm", Kind::DateTime },
        { "[$-409]mmmm d, yyyy", Kind::Date },
        { "0.00\"days\"", Kind::Number },
        { "[Red]#,##0;[Blue]-#,##0", Kind::Number },
        { "General", Kind::Number },
        { "0.0E+00", Kind::Number },
        { "\"month\" 0", Kind::Number },
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellDates::custom(QString::fromUtf8(c.code)).kind, c.kind) << c.code;
    // The 1900 system's day 60 is the 29th of February 1900 it counts.
    const CellDates::Format date { Kind::Date, false };
    EXPECT_EQ(CellDates::text(59, date, false), "1900-02-28");
    EXPECT_EQ(CellDates::text(60, date, false), "1900-02-29");
    EXPECT_EQ(CellDates::text(61, date, false), "1900-03-01");
    EXPECT_EQ(CellDates::text(0, date, true), "1904-01-01");
    EXPECT_EQ(CellDates::text(1e12, date, false), ""); // past the year 9999: the number is kept
}

TEST(SpreadsheetReader, ReadsTheExcelLayout)
{
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(data("reader_excel_layout.xlsx"));
    EXPECT_EQ(sheet.sheetName(), QStringLiteral("Catalogue"));
    const std::vector<Expected> cells = { { 1, 1, "Alpha" }, { 1, 2, "7" }, { 1, 3, "0.30000000000000004" },
        { 1, 4, "21" }, { 1, 5, "TRUE" }, { 1, 6, "Alpha!" }, { 2, 1, "Rich text" }, { 2, 2, "inline" },
        { 2, 3, "0.0025" }, { 2, 4, "#N/A" }, { 3, 3, "4" } };
    for (const Expected& e : cells)
        EXPECT_EQ(sheet.cell(e.row, e.column), QString::fromUtf8(e.text)) << e.row << "," << e.column;
    EXPECT_EQ(sheet.lastRow(), 3);
}

// Characters XML cannot hold are written as _xHHHH_ in cell text (Excel writes
// a carriage return as _x000D_); _x005F_ escapes the underscore of a literal one.
TEST(SpreadsheetReader, UndoesTheTextEscapesOfCells)
{
    QTemporaryDir dir;
    const std::vector<std::pair<const char*, const char*>> cases
        = { { "a_x000D_\nb", "a\r\nb" }, { "_x005F_x0041_", "_x0041_" }, { "_x0041__x00e9_", "A\u00e9" },
              { "_x00G1_ _x41_ _x0041", "_x00G1_ _x41_ _x0041" } };
    QByteArray rows;
    int row = 0;
    for (const auto& [stored, text] : cases) {
        ++row;
        rows += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"inlineStr\"><is><t>%2</t></is></c>"
                               "<c r=\"B%1\" t=\"str\"><f>A%1</f><v>%2</v></c></row>")
                    .arg(row)
                    .arg(QString::fromLatin1(stored))
                    .toUtf8();
    }
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(workbookWithSheet(dir, "escapes.xlsx", sheetXml(rows)));
    row = 0;
    for (const auto& [stored, text] : cases) {
        ++row;
        EXPECT_EQ(sheet.cell(row, 1), QString::fromUtf8(text)) << stored;
        EXPECT_EQ(sheet.cell(row, 2), QString::fromUtf8(text)) << stored;
    }
}

TEST(SpreadsheetReader, KeepsOnlyTheColumnsAsked)
{
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(data("reader_lo.xlsx"), 2);
    EXPECT_EQ(sheet.cell(1, 2), QStringLiteral("3"));
    EXPECT_EQ(sheet.cell(1, 3), QString());
}

TEST(SpreadsheetReader, NumberTextIsShortestDecimal)
{
    const std::vector<std::pair<double, const char*>> cases
        = { { 3.0, "3" }, { 1.5, "1.5" }, { -0.1, "-0.1" }, { 1e6, "1000000" }, { 1e-7, "0.0000001" },
              { 0.1 + 0.2, "0.30000000000000004" }, { -0.0, "0" }, { 123456789012.0, "123456789012" } };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(SpreadsheetReader::numberText(value), QString::fromLatin1(text)) << text;
}

// Unreadable files: each error names the file and the reason.
TEST(SpreadsheetReader, RefusesFilesThatAreNotReadableWorkbooks)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.xlsx"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("just some text\n");
    }
    const QString truncated = dir.filePath(QStringLiteral("truncated.xlsx"));
    {
        QFile in(data("reader_lo.xlsx"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFile out(truncated);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.readAll().left(1500));
    }
    const QString noWorkbook = dir.filePath(QStringLiteral("other.zip"));
    writeZip(noWorkbook, { { "readme.txt", "hello" } });
    const QString badShared
        = workbookWithSheet(dir, "shared.xlsx", sheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"));
    const QString badXml = workbookWithSheet(dir, "badxml.xlsx", sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</c></row>"));

    const std::vector<std::pair<QString, const char*>> cases
        = { { dir.filePath(QStringLiteral("missing.xlsx")), "does not exist" }, { text, "not a workbook" },
              { truncated, "not a workbook" }, { noWorkbook, "no workbook part" },
              { data("reader_encrypted.xlsx"), "encrypted" }, { badShared, "shared string 5" },
              { badXml, "XML is damaged" } };
    for (const auto& [path, reason] : cases) {
        try {
            SpreadsheetReader::readActiveSheet(path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(reason))) << e.message().toStdString();
        }
    }
}

// Hostile files are refused with an error before they cost unbounded memory.
TEST(SpreadsheetReader, RefusesHostileFiles)
{
    QTemporaryDir dir;
    SpreadsheetReader::Limits small;
    small.maxPartBytes = 1 << 20;
    small.maxCells = 1000;

    // A part that unpacks far beyond its packed size.
    const QByteArray padding(3 << 20, ' ');
    const QString bomb = workbookWithSheet(dir, "bomb.xlsx", sheetXml(padding));
    QByteArray deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";
    const QString nested = workbookWithSheet(dir, "deep.xlsx", sheetXml(deep));
    const QString entities = workbookWithSheet(dir, "entities.xlsx",
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>"
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
        "t=\"inlineStr\"><is><t>&b;</t></is></c></row></sheetData></worksheet>");
    const QString farCell
        = workbookWithSheet(dir, "far.xlsx", sheetXml("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"));
    const QString farRow = workbookWithSheet(dir, "farrow.xlsx", sheetXml("<row r=\"1048577\"><c><v>1</v></c></row>"));
    QByteArray many;
    for (int r = 1; r <= 300; ++r)
        many += QByteArray("<row r=\"") + QByteArray::number(r)
            + "\"><c><v>1</v></c><c><v>2</v></c><c><v>3</v></c><c><v>4</v></c></row>";
    const QString manyCells = workbookWithSheet(dir, "many.xlsx", sheetXml(many));

    // A workbook part of more tiny sheet elements than any workbook holds.
    const QString manySheets = dir.filePath(QStringLiteral("sheets.xlsx"));
    QByteArray sheetList = "<workbook><sheets>";
    for (int i = 0; i <= 65536; ++i)
        sheetList += "<sheet/>";
    writeZip(manySheets, { { "xl/workbook.xml", sheetList + "</sheets></workbook>" } });

    // An .xls whose sheet claims the largest size the format allows.
    const QString hugeXls = dir.filePath(QStringLiteral("huge.xls"));
    {
        QFile in(data("reader_lo.xls"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        const QByteArray dimensions("\x00\x02\x0e\x00", 4); // record type 0x0200, length 14
        int patched = 0;
        for (qsizetype at = bytes.indexOf(dimensions); at >= 0; at = bytes.indexOf(dimensions, at + 1)) {
            bytes.replace(at + 8, 4, QByteArray("\x00\x00\x01\x00", 4)); // last row + 1 = 65536
            bytes.replace(at + 14, 2, QByteArray("\x00\x01", 2)); // last column + 1 = 256
            ++patched;
        }
        ASSERT_GT(patched, 0);
        QFile out(hugeXls);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    // An .xls whose directory chain loops back on itself.
    const QString loop = dir.filePath(QStringLiteral("loop.xls"));
    {
        QFile in(data("reader_lo.xls"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
        const quint32 fatSector = u32(76);
        const quint32 dirStart = u32(48);
        const qsizetype entry = qsizetype(fatSector + 1) * 512 + qsizetype(dirStart) * 4;
        ASSERT_LT(entry + 4, bytes.size());
        qToLittleEndian<quint32>(dirStart, bytes.data() + entry);
        QFile out(loop);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    const std::vector<std::pair<QString, const char*>> cases = { { loop, "sector chain is broken" },
        { bomb, "unpacks to more than" }, { nested, "nested more than" }, { entities, "document type" },
        { farCell, "out of range" }, { farRow, "out of range" }, { manyCells, "more than 1000 cells" },
        { manySheets, "more than 65536 sheets" }, { hugeXls, "declare more than" } };
    for (const auto& [path, reason] : cases) {
        try {
            SpreadsheetReader::readActiveSheet(path, 0, small);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(reason))) << e.message().toStdString();
        }
    }
    // The default limits still read the patched .xls's neighbour and refuse the patched one.
    EXPECT_THROW(SpreadsheetReader::readActiveSheet(hugeXls), QuarrixError);
}

namespace {

// A zip part made while libzip reads it: head, count copies of one byte,
// tail. A shared string of hundreds of megabytes costs the test no memory.
struct GeneratedPart {
    GeneratedPart(QByteArray start, QByteArray end, qint64 count)
        : head(std::move(start))
        , tail(std::move(end))
        , fill(count)
    {
    }
    QByteArray head, tail;
    qint64 fill = 0;
    char byte = 'a';
    qint64 position = 0;
    zip_error_t error {};

    qint64 size() const { return head.size() + fill + tail.size(); }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* part = static_cast<GeneratedPart*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            part->position = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            auto* out = static_cast<char*>(data);
            const qint64 n = std::min<qint64>(qint64(length), part->size() - part->position);
            for (qint64 i = 0; i < n;) {
                const qint64 at = part->position + i;
                if (at < part->head.size()) {
                    const qint64 k = std::min(n - i, part->head.size() - at);
                    memcpy(out + i, part->head.constData() + at, size_t(k));
                    i += k;
                } else if (at < part->head.size() + part->fill) {
                    const qint64 k = std::min(n - i, part->head.size() + part->fill - at);
                    memset(out + i, part->byte, size_t(k));
                    i += k;
                } else {
                    const qint64 from = at - part->head.size() - part->fill;
                    const qint64 k = std::min(n - i, part->tail.size() - from);
                    memcpy(out + i, part->tail.constData() + from, size_t(k));
                    i += k;
                }
            }
            part->position += n;
            return n;
        }
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = zip_uint64_t(part->size());
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&part->error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return 0;
        }
    }
};

// A workbook whose shared-string part is generated, and whose sheet names
// shared strings row by row: (row, index).
void writeSharedStringWorkbook(
    const QString& path, GeneratedPart& strings, const std::vector<std::pair<int, int>>& uses)
{
    QByteArray rows;
    for (const auto& [row, index] : uses)
        rows += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) + "\" t=\"s\"><v>"
            + QByteArray::number(index) + "</v></c></row>";
    const QByteArray sheet = sheetXml(rows);
    const QByteArray rels
        = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
          "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
          "Target=\"sharedStrings.xml\"/></Relationships>";
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_TRUE(z);
    for (const auto& [name, content] :
        std::vector<std::pair<const char*, const QByteArray*>> { { "xl/workbook.xml", &kWorkbook },
            { "xl/_rels/workbook.xml.rels", &rels }, { "xl/worksheets/sheet1.xml", &sheet } })
        ASSERT_GE(zip_file_add(z, name, zip_source_buffer(z, content->constData(), zip_uint64_t(content->size()), 0),
                      ZIP_FL_OVERWRITE),
            0);
    zip_error_init(&strings.error);
    const zip_int64_t index
        = zip_file_add(z, "xl/sharedStrings.xml", zip_source_function(z, &GeneratedPart::callback, &strings), 0);
    ASSERT_GE(index, 0);
    ASSERT_EQ(zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 1), 0);
    ASSERT_EQ(zip_close(z), 0);
    zip_error_fini(&strings.error);
}

} // namespace

// The text a workbook may hold is bounded per cell, for the whole workbook,
// and for what one import goes through, where a shared string counts at each
// use; the error names the limit. The first case is a 250 MB shared string
// used by ten rows, in a workbook of a few hundred kilobytes.
TEST(SpreadsheetReader, TextBudgetsNameTheLimitPassed)
{
    QTemporaryDir dir;
    const QByteArray sstHead = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>";
    std::vector<std::pair<int, int>> tenRowsOfTheFirst;
    for (int row = 1; row <= 10; ++row)
        tenRowsOfTheFirst.emplace_back(row, 0);

    const QString bomb = dir.filePath(QStringLiteral("bomb.xlsx"));
    GeneratedPart huge { sstHead, "</t></si></sst>", 250LL << 20 };
    writeSharedStringWorkbook(bomb, huge, tenRowsOfTheFirst);

    SpreadsheetReader::Limits small;
    small.maxWorkbookChars = 5000;
    small.maxSheetChars = 5000;
    const QString shared = dir.filePath(QStringLiteral("shared.xlsx"));
    GeneratedPart one { sstHead, "</t></si></sst>", 1000 };
    writeSharedStringWorkbook(shared, one, tenRowsOfTheFirst);
    const QString many = dir.filePath(QStringLiteral("many.xlsx"));
    QByteArray sixStrings = sstHead;
    for (int i = 0; i < 5; ++i)
        sixStrings += QByteArray(1000, 'x') + "</t></si><si><t>";
    GeneratedPart distinct { sixStrings, "</t></si></sst>", 1000 };
    writeSharedStringWorkbook(many, distinct, { { 1, 0 } });

    // The same ten uses of one shared string in an .xls.
    const QString xls = dir.filePath(QStringLiteral("shared.xls"));
    {
        using namespace XlsBuilder;
        QByteArray cells;
        for (int row = 0; row < 10; ++row)
            cells += record(0x00FD, u16(row) + u16(0) + u16(15) + u32(0));
        const QByteArray sst = record(0x00FC, u32(10) + u32(1) + u16(1000) + chars(QString(1000, u'y'), false));
        QFile out(xls);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(compoundFile(workbookStream({ { QStringLiteral("S"), cells } }, 0, sst)));
    }

    const SpreadsheetReader::Limits normal;
    const std::vector<std::tuple<QString, const SpreadsheetReader::Limits*, const char*>> cases
        = { { bomb, &normal, "more than 1048576 characters (the limit for one cell)" },
              { shared, &small, "more than 5000 characters of text in all (the limit for one import)" },
              { xls, &small, "more than 5000 characters of text in all (the limit for one import)" },
              { many, &small, "more than 5000 characters of text (the limit for one workbook)" } };
    for (const auto& [path, limits, reason] : cases) {
        try {
            SpreadsheetReader::readActiveSheet(path, 0, *limits);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(reason))) << e.message().toStdString();
        }
    }
    // Within the limits, every row shows the one shared string.
    const SheetCells within = SpreadsheetReader::readActiveSheet(shared);
    EXPECT_EQ(within.lastRow(), 10);
    EXPECT_EQ(within.cell(10, 1), QString(1000, u'a'));
}
