#include "office/xls_reader.h"

#include "archive/code_page_1252.h"
#include "office/biff_records.h"
#include "office/cell_dates.h"
#include "office/compound_file_reader.h"
#include "office/sheet_builder.h"
#include "store/quarrix_error.h"

#include <QBuffer>
#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <cstring>
#include <optional>

namespace {

using Biff::Record;
using Biff::RecordReader;
using Biff::RecordWalker;
using SpreadsheetReader::Limits;

[[noreturn]] void fail(const QString& reason)
{
    throw QuarrixError(reason);
}

constexpr int kColumns = 256; // the format's columns, A to IV
constexpr size_t kMaxSheets = 65536;
constexpr size_t kMaxFormats = 65536; // number and cell formats the format can index

struct SheetEntry {
    QString name;
    quint32 offset = 0; // of its BOF record in the stream
    int type = 0; // 0 worksheet, 2 chart, 6 module
};

// What the workbook globals say.
struct Globals {
    bool unicode = true; // BIFF8; false for BIFF5
    std::vector<SheetEntry> sheets;
    int activeTab = 0;
    int codePage = 1252;
    std::vector<SheetBuilder::Text> sharedStrings; // kept in the sheet being built
    bool date1904 = false;
    std::vector<CellDates::Format> xfFormats; // what each cell format shows its number as
};

QString latin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

// The 8-bit text of an older workbook, in its code page.
Biff::NarrowText codePageText(int codePage)
{
    if (codePage == 1252 || codePage == 0x8001 || codePage == 0)
        return [](QByteArrayView bytes) { return CodePage1252::decode(bytes); };
    const QByteArray name = "windows-" + QByteArray::number(codePage);
    if (QStringDecoder(name.constData()).isValid())
        return [name](QByteArrayView bytes) {
            QStringDecoder decoder(name.constData());
            return QString(decoder.decode(bytes));
        };
    return [](QByteArrayView bytes) { return CodePage1252::decode(bytes); };
}

quint16 u16At(QByteArrayView body, qsizetype at)
{
    return qFromLittleEndian<quint16>(body.data() + at);
}

QString errorText(int code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

// A number packed into 30 bits: an integer or the high bits of a double,
// either of them possibly multiplied by 100.
double rkValue(quint32 rk)
{
    double value;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

// The shared strings of the workbook, in the SST record and its
// continuations, kept in the sheet.
std::vector<SheetBuilder::Text> readSharedStrings(
    const Record& sst, const Limits& limits, TextBudget& budget, SheetBuilder& sheet)
{
    RecordReader in(sst, true, latin1);
    in.u32(); // total uses
    const quint32 unique = in.u32();
    std::vector<SheetBuilder::Text> strings;
    // The count is a claim, never used to reserve: the strings actually
    // present are what is kept.
    while (strings.size() < unique && !in.atEnd()) {
        if (qint64(strings.size()) >= limits.maxSharedStrings)
            fail(QStringLiteral("the workbook holds more than %1 shared strings").arg(limits.maxSharedStrings));
        const QString text = in.string(in.u16(), true);
        budget.decoded(text.size());
        strings.push_back(sheet.keep(text));
    }
    return strings;
}

Globals readGlobals(const ByteSource& book, const Limits& limits, TextBudget& budget, SheetBuilder& sheet)
{
    Globals g;
    RecordWalker walker(book, 0);
    Record r;
    if (!walker.next(r) || r.type != Biff::kBof || r.body.size() < 4)
        fail(QStringLiteral("the workbook stream does not start with a BOF record"));
    const int version = u16At(r.body, 0);
    if (version != 0x0600 && version != 0x0500)
        fail(QStringLiteral("the workbook's format version %1 is not supported").arg(version, 4, 16, QLatin1Char('0')));
    g.unicode = version == 0x0600;
    // Where the sheet and format records are, read again once the walk is done.
    std::vector<qint64> boundSheets;
    std::vector<qint64> formats;
    std::vector<int> xfFormatIds;
    while (walker.next(r) && r.type != Biff::kEof) {
        const QByteArrayView b = r.body;
        if (r.type == Biff::kFilePass)
            fail(QStringLiteral("it is encrypted"));
        if (r.type == Biff::kWindow1 && b.size() >= 12)
            g.activeTab = u16At(b, 10);
        else if (r.type == Biff::kCodePage && b.size() >= 2)
            g.codePage = u16At(b, 0);
        else if (r.type == Biff::kBoundSheet && boundSheets.size() < kMaxSheets)
            boundSheets.push_back(r.position); // the active tab can only name one of the first 65536
        else if (r.type == Biff::kSst && g.unicode)
            g.sharedStrings = readSharedStrings(r, limits, budget, sheet);
        else if (r.type == Biff::kDateMode && b.size() >= 2)
            g.date1904 = u16At(b, 0) != 0;
        else if (r.type == Biff::kFormat && formats.size() < kMaxFormats)
            formats.push_back(r.position);
        else if (r.type == Biff::kXf && b.size() >= 4 && xfFormatIds.size() < kMaxFormats)
            xfFormatIds.push_back(u16At(b, 2));
    }
    // Sheet names are read once the code page is known (it comes first in
    // files as written, but nothing guarantees it).
    const Biff::NarrowText narrow = g.unicode ? Biff::NarrowText(latin1) : codePageText(g.codePage);
    for (const qint64 position : boundSheets) {
        walker.seek(position);
        walker.next(r);
        RecordReader in(r, g.unicode, narrow);
        SheetEntry e;
        e.offset = in.u32();
        in.u8(); // visibility
        e.type = in.u8();
        e.name = in.string(in.u8());
        g.sheets.push_back(std::move(e));
    }
    // The number format of each cell format, by the built-in number or the
    // workbook's own code.
    QHash<int, CellDates::Format> custom;
    for (const qint64 position : formats) {
        // A format that cannot be read only loses its dates: the cells are
        // still read, as numbers.
        try {
            walker.seek(position);
            walker.next(r);
            RecordReader in(r, g.unicode, narrow);
            const int id = in.u16();
            custom.insert(id, CellDates::custom(in.string(g.unicode ? in.u16() : in.u8())));
        } catch (const QuarrixError&) {
        }
    }
    g.xfFormats.reserve(xfFormatIds.size());
    for (int id : xfFormatIds)
        g.xfFormats.push_back(custom.contains(id) ? custom.value(id) : CellDates::builtIn(id));
    return g;
}

// Reads the cells of the sheet whose BOF record is at offset.
void readSheet(const ByteSource& book, const Globals& g, const SheetEntry& sheet, const Limits& limits,
    TextBudget& budget, SheetBuilder& out)
{
    RecordWalker walker(book, qsizetype(sheet.offset));
    Record r;
    if (!walker.next(r) || r.type != Biff::kBof)
        fail(QStringLiteral("the sheet %1 does not start where the workbook says").arg(sheet.name));
    const Biff::NarrowText narrow = g.unicode ? Biff::NarrowText(latin1) : codePageText(g.codePage);
    const qsizetype labelStart = 6; // row, column, format
    std::optional<std::pair<int, int>> pendingString; // a text formula waiting for its STRING record
    int depth = 1; // charts embedded in the sheet bring BOF..EOF of their own

    auto checkColumn = [](int column) {
        if (column >= kColumns)
            fail(QStringLiteral("a column is out of range (%1)").arg(column + 1));
    };
    // A cell's text: a shared string, a text of its own or a constant.
    auto cell = [&](int row, int column, const auto& value) {
        checkColumn(column);
        out.add(row + 1, column + 1, value);
    };
    auto text = [&](QString value) {
        budget.decoded(value.size());
        return value;
    };
    // A number as its cell format shows it: a date or time as ISO text.
    auto number = [&](int row, int column, double value, int xf) {
        checkColumn(column);
        if (xf >= 0 && size_t(xf) < g.xfFormats.size()) {
            const QString date = CellDates::text(value, g.xfFormats[size_t(xf)], g.date1904);
            if (!date.isEmpty())
                return out.add(row + 1, column + 1, date);
        }
        out.addNumber(row + 1, column + 1, value);
    };

    while (depth > 0 && walker.next(r)) {
        if (r.type == Biff::kBof) {
            ++depth;
            continue;
        }
        if (r.type == Biff::kEof) {
            --depth;
            continue;
        }
        if (depth > 1)
            continue;
        const QByteArrayView b = r.body;
        const int row = b.size() >= 4 ? u16At(b, 0) : 0;
        const int column = b.size() >= 4 ? u16At(b, 2) : 0;
        switch (r.type) {
        case Biff::kDimensions: {
            const qint64 rows = g.unicode ? (b.size() >= 8 ? qFromLittleEndian<quint32>(b.data() + 4) : 0)
                                          : (b.size() >= 4 ? u16At(b, 2) : 0);
            const qint64 columns = b.size() >= (g.unicode ? 12 : 8) ? u16At(b, g.unicode ? 10 : 6) : 0;
            if (rows * columns > limits.maxCells)
                fail(QStringLiteral("the active sheet's dimensions declare more than %1 cells").arg(limits.maxCells));
            break;
        }
        case Biff::kLabelSst:
            if (b.size() >= 10) {
                const quint32 index = qFromLittleEndian<quint32>(b.data() + 6);
                if (index >= g.sharedStrings.size())
                    fail(QStringLiteral("a cell names shared string %1, which does not exist").arg(index));
                cell(row, column, g.sharedStrings[index]);
            }
            break;
        case Biff::kLabel:
        case Biff::kRString:
            if (b.size() >= 8) {
                RecordReader in(r, g.unicode, narrow);
                in.skip(labelStart);
                cell(row, column, text(in.string(in.u16())));
            }
            break;
        case Biff::kNumber:
            if (b.size() >= 14)
                number(row, column, qFromLittleEndian<double>(b.data() + 6), u16At(b, 4));
            break;
        case Biff::kRk:
            if (b.size() >= 10)
                number(row, column, rkValue(qFromLittleEndian<quint32>(b.data() + 6)), u16At(b, 4));
            break;
        case Biff::kMulRk:
            // Row, first column, then format and value per cell, then the last column.
            for (qsizetype at = 4, c = column; at + 6 + 2 <= b.size(); at += 6, ++c)
                number(row, int(c), rkValue(qFromLittleEndian<quint32>(b.data() + at + 2)), u16At(b, at));
            break;
        case Biff::kBoolErr:
            if (b.size() >= 8) {
                const int value = quint8(b[6]);
                cell(row, column,
                    quint8(b[7]) ? errorText(value) : (value ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
            }
            break;
        case Biff::kFormula:
            // The cached result: a number, or a marker 0xFFFF in its last
            // two bytes with the kind in its first (text follows in a STRING
            // record, Boolean, error, empty text).
            if (b.size() >= 14) {
                const auto* v = reinterpret_cast<const uchar*>(b.data() + 6);
                pendingString.reset();
                if (v[6] != 0xFF || v[7] != 0xFF)
                    number(row, column, qFromLittleEndian<double>(v), u16At(b, 4));
                else if (v[0] == 0)
                    pendingString = std::make_pair(row, column);
                else if (v[0] == 1)
                    cell(row, column, v[2] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                else if (v[0] == 2)
                    cell(row, column, errorText(v[2]));
                else
                    cell(row, column, QString());
            }
            break;
        case Biff::kString:
            if (pendingString) {
                RecordReader in(r, g.unicode, narrow);
                const auto [stringRow, stringColumn] = *pendingString;
                pendingString.reset();
                cell(stringRow, stringColumn, text(in.string(in.u16())));
            }
            break;
        default:
            break;
        }
    }
}

}

namespace XlsReader {

SheetCells readActiveSheet(QIODevice& file, int maxColumn, const Limits& limits)
{
    const CompoundFile container(file);
    if (container.hasStream(QStringLiteral("EncryptedPackage")))
        fail(QStringLiteral("it is encrypted"));
    QString streamName = QStringLiteral("Workbook");
    if (!container.hasStream(streamName))
        streamName = QStringLiteral("Book");
    if (!container.hasStream(streamName))
        fail(QStringLiteral("it is not a workbook (no workbook stream)"));
    const std::unique_ptr<ByteSource> book = container.openStream(streamName);

    TextBudget budget(limits);
    SheetBuilder builder(maxColumn, limits);
    const Globals g = readGlobals(*book, limits, budget, builder);
    if (g.sheets.empty())
        fail(QStringLiteral("the workbook holds no sheet"));
    // The active tab counts every sheet, charts and modules included.
    const size_t active = g.activeTab < int(g.sheets.size()) ? size_t(g.activeTab) : 0;
    const SheetEntry& sheet = g.sheets[active];
    if (sheet.type != 0)
        fail(QStringLiteral("the active sheet %1 is not a worksheet").arg(sheet.name));
    if (sheet.offset >= quint64(book->size()))
        fail(QStringLiteral("the sheet %1 lies outside the workbook").arg(sheet.name));

    readSheet(*book, g, sheet, limits, budget, builder);
    return builder.finish(sheet.name);
}

SheetCells readActiveSheet(const QByteArray& file, int maxColumn, const Limits& limits)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    return readActiveSheet(buffer, maxColumn, limits);
}

}
