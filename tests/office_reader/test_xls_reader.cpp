#include "office/spreadsheet_reader.h"
#include "office/xls_reader.h"
#include "store/quarrix_error.h"
#include "xls_builder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace XlsBuilder;

namespace {

QByteArray cellHead(int row, int column)
{
    return u16(row) + u16(column) + u16(15); // row, column, format
}

QByteArray labelSst(int row, int column, quint32 index)
{
    return record(0x00FD, cellHead(row, column) + u32(index));
}

QByteArray label(int row, int column, const QString& text, bool wide)
{
    return record(0x0204, cellHead(row, column) + u16(int(text.size())) + chars(text, wide));
}

QByteArray rk(int row, int column, quint32 value)
{
    return record(0x027E, cellHead(row, column) + u32(value));
}

// A formula's cached result: a number, or kind (0 text, 1 Boolean, 2 error,
// 3 empty text) and value under the 0xFFFF marker.
QByteArray formula(int row, int column, const QByteArray& result)
{
    return record(0x0006, cellHead(row, column) + result + u16(0) + u32(0) + u16(0));
}

QByteArray special(int kind, int value)
{
    return QByteArray(1, char(kind)) + QByteArray(1, '\0') + QByteArray(1, char(value)) + QByteArray(3, '\0')
        + QByteArray(2, '\xFF');
}

SheetCells read(
    const QByteArray& stream, int maxColumn = 0, const SpreadsheetReader::Limits& limits = SpreadsheetReader::Limits())
{
    return XlsReader::readActiveSheet(compoundFile(stream), maxColumn, limits);
}

// The shared strings of the tests below, spread over an SST record and three
// continuations the way long tables are written.
QByteArray sharedStrings()
{
    const QByteArray sst = u32(6)
        + u32(4)
        // 0: in one piece
        + u16(5)
        + chars(QStringLiteral("Plain"), false)
        // 1: "ABC" 8-bit here, the rest 16-bit after the continuation's own flag byte
        + u16(7) + chars(QStringLiteral("ABC"), false);
    const QByteArray continue1 = chars(QString::fromUtf8("–DEF"), true)
        // 2: rich runs and phonetic data, the runs cut by the next continuation
        + u16(4) + QByteArray(1, '\x0C') + u16(2) + u32(10) + QByteArray("Rich") + QByteArray(4, 'r');
    const QByteArray continue2 = QByteArray(4, 'r')
        + QByteArray(10, 'p')
        // 3: its header ends the continuation; its characters start the next one with a flag byte
        + u16(4) + QByteArray(1, '\0');
    const QByteArray continue3 = chars(QStringLiteral("Last"), true);
    return record(0x00FC, sst) + record(0x003C, continue1) + record(0x003C, continue2) + record(0x003C, continue3);
}

struct Expected {
    int row, column;
    const char* text;
};

} // namespace

// Every kind of cell record, shared strings cut across continuations, the
// active tab, and a chart embedded in the sheet whose records are not cells.
TEST(XlsReader, ReadsTheCellsOfTheActiveSheet)
{
    const QByteArray data = labelSst(0, 0, 0) + labelSst(0, 1, 1) + labelSst(0, 2, 2) + labelSst(0, 3, 3)
        + label(1, 0, QString::fromUtf8("Grüße"), false) + label(1, 1, QString::fromUtf8("Ωmega"), true)
        + rk(2, 0, (42u << 2) | 2) + rk(2, 1, (1234u << 2) | 3) + rk(2, 2, 0x3FF80000u) + rk(2, 3, 0x3FF80001u)
        + record(0x00BD,
            u16(3) + u16(0) + u16(15) + u32(quint32(-7 << 2) | 2) + u16(15) + u32(0x400A0000u) + u16(15)
                + u32((100u << 2) | 2) + u16(2))
        + record(0x0203, cellHead(4, 0) + f64(0.1)) + record(0x0203, cellHead(4, 1) + f64(1e6)) + formula(5, 0, f64(6))
        + formula(5, 1, special(0, 0)) + record(0x0207, u16(5) + chars(QStringLiteral("Namex"), false))
        + formula(5, 2, special(1, 1)) + formula(5, 3, special(2, 0x07)) + formula(5, 4, special(3, 0))
        + record(0x0205, cellHead(6, 0) + QByteArray(2, '\0')) + record(0x0205, cellHead(6, 1) + "\x2A\x01")
        + bof(false) + label(7, 0, QStringLiteral("in the chart"), false) + eof()
        + label(8, 0, QStringLiteral("after the chart"), false);
    const QByteArray stream = workbookStream(
        { { QStringLiteral("Notes"), labelSst(0, 0, 0) }, { QStringLiteral("Data"), data } }, 1, sharedStrings());
    const SheetCells sheet = read(stream);
    EXPECT_EQ(sheet.sheetName(), QStringLiteral("Data"));
    EXPECT_EQ(sheet.lastRow(), 9);
    const std::vector<Expected> cells = { { 1, 1, "Plain" }, { 1, 2, "ABC–DEF" }, { 1, 3, "Rich" }, { 1, 4, "Last" },
        { 2, 1, "Grüße" }, { 2, 2, "Ωmega" }, { 3, 1, "42" }, { 3, 2, "12.34" }, { 3, 3, "1.5" }, { 3, 4, "0.015" },
        { 4, 1, "-7" }, { 4, 2, "3.25" }, { 4, 3, "100" }, { 5, 1, "0.1" }, { 5, 2, "1000000" }, { 6, 1, "6" },
        { 6, 2, "Namex" }, { 6, 3, "TRUE" }, { 6, 4, "#DIV/0!" }, { 6, 5, "" }, { 7, 1, "FALSE" }, { 7, 2, "#N/A" },
        { 8, 1, "" }, { 9, 1, "after the chart" } };
    for (const Expected& e : cells)
        EXPECT_EQ(sheet.cell(e.row, e.column), QString::fromUtf8(e.text)) << e.row << "," << e.column;
    EXPECT_EQ(read(stream, 2).cell(1, 3), QString());
}

// The older format: 8-bit text in the workbook's code page, no flag bytes.
TEST(XlsReader, ReadsTheOlderFormatInItsCodePage)
{
    const QByteArray data = record(0x0204, cellHead(0, 0) + u16(3) + QByteArray("\x80 5"))
        + formula(0, 1, special(0, 0)) + record(0x0207, u16(4) + QByteArray("caf\xE9")) + rk(1, 0, (3u << 2) | 2);
    const SheetCells sheet
        = read(workbookStream({ { QStringLiteral("Old"), data } }, 0, record(0x0042, u16(1252)), 0x0500));
    EXPECT_EQ(sheet.sheetName(), QStringLiteral("Old"));
    EXPECT_EQ(sheet.cell(1, 1), QString::fromUtf8("€ 5"));
    EXPECT_EQ(sheet.cell(1, 2), QString::fromUtf8("café"));
    EXPECT_EQ(sheet.cell(2, 1), QStringLiteral("3"));
}

// Damaged workbooks: each refused with the reason, nothing read outside a record.
TEST(XlsReader, RefusesDamagedWorkbooks)
{
    auto oneSheet = [](const QByteArray& cells, const QByteArray& globals = {}) {
        return workbookStream({ { QStringLiteral("S"), cells } }, 0, globals);
    };
    const QByteArray pastEnd = oneSheet(u16(0x0204) + u16(0xFFFF) + cellHead(0, 0)); // longer than the stream
    QByteArray notAtBof = oneSheet({});
    const qsizetype boundSheet = notAtBof.indexOf(QByteArray("\x85\x00", 2));
    notAtBof[boundSheet + 4] = char(notAtBof[boundSheet + 4] + 4); // the sheet's offset, 4 bytes late

    const std::vector<std::pair<QByteArray, const char*>> cases = {
        { oneSheet(labelSst(0, 0, 4), sharedStrings()), "shared string 4, which does not exist" },
        { oneSheet(record(0x0204, cellHead(0, 0) + u16(50) + chars(QStringLiteral("abc"), false))),
            "shorter than its content" },
        { oneSheet(labelSst(0, 0, 0), record(0x00FC, u32(1) + u32(1) + u16(2) + QByteArray(1, '\x01') + "A")),
            "cut inside a character" },
        { pastEnd, "runs past the end" },
        { workbookStream({ { QStringLiteral("Chart"), {}, 2 }, { QStringLiteral("S"), {} } }, 0),
            "active sheet Chart is not a worksheet" },
        { notAtBof, "does not start where the workbook says" },
        { oneSheet(label(0, 300, QStringLiteral("x"), false)), "column is out of range" },
        { oneSheet({}, record(0x002F, u16(0))), "encrypted" },
        { workbookStream({ { QStringLiteral("S"), {} } }, 0, {}, 0x0300), "version 0300 is not supported" },
        { workbookStream({}, 0), "holds no sheet" },
    };
    for (const auto& [stream, reason] : cases) {
        try {
            read(stream);
            ADD_FAILURE() << "no error for " << reason;
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(reason))) << e.message().toStdString();
        }
    }
}

// Files made hostile by a fuzzer from reader_lo.xls (bytes changed in the
// shared strings, in a sheet's records, in the container): each is refused
// with a reason naming the file, or read as far as its records are sound.
TEST(XlsReader, HostileFilesGiveAnErrorOrTheirCells)
{
    const SheetCells original = SpreadsheetReader::readActiveSheet(QStringLiteral(QUARRIX_TEST_DATA "/reader_lo.xls"));
    // file, the reason it is refused for, or (read) whether it reads as the original
    const std::vector<std::tuple<const char*, const char*, bool>> cases = {
        { "xls_hostile_sst_overread.xls", "a record of type 0204 is shorter than its content", false },
        { "xls_hostile_string_underflow_1.xls", "a column is out of range", false },
        { "xls_hostile_string_underflow_2.xls", nullptr, false },
        { "xls_hostile_sst_continue_leak.xls", nullptr, true },
    };
    for (const auto& [name, reason, asOriginal] : cases) {
        SCOPED_TRACE(name);
        const QString path = QStringLiteral(QUARRIX_TEST_DATA "/") + QString::fromLatin1(name);
        try {
            const SheetCells sheet = SpreadsheetReader::readActiveSheet(path);
            EXPECT_FALSE(reason) << "read";
            EXPECT_EQ(sheet.sheetName(), QStringLiteral("Data"));
            if (asOriginal) {
                EXPECT_EQ(sheet.lastRow(), original.lastRow());
                for (int row = 1; row <= original.lastRow(); ++row)
                    for (int column = 1; column <= 8; ++column)
                        EXPECT_EQ(sheet.cell(row, column), original.cell(row, column)) << row << "," << column;
            }
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_TRUE(reason && e.message().contains(QLatin1String(reason))) << e.message().toStdString();
        }
    }
}
