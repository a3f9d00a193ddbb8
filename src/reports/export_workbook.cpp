#include "reports/export_workbook.h"

#include "analysis/attributes_in_use.h"
#include "files/atomic_file.h"
#include "reports/library_messages.h"
#include "store/assessment.h"
#include "store/handoff.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>
#include <xlsxwriter.h>

namespace ExportWorkbook {

QString cellText(const QString& value, bool* cut)
{
    QString text = value;
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    if (cut)
        *cut = false;
    if (text.size() > cellLimit) {
        qsizetype keep = cellLimit;
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
        if (cut)
            *cut = true;
    }
    return text;
}

namespace {

struct Sheet {
    const char* name;
    std::vector<const char*> headers;
    std::vector<const char*> fields;
};

// Column widths, in characters, fitted to the longest line of a column's
// values and kept between these bounds.
constexpr int minimumWidth = 8;
constexpr int maximumWidth = 60;
// A row grows with its tallest wrapped value, up to this many lines.
constexpr int maximumLines = 8;
constexpr double lineHeight = 15.0;

// Calls take(length) for each line of text (split at '\n'), without
// building a list of them.
template <class Take> void forEachLineLength(const QString& text, Take take)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        take(int((end < 0 ? text.size() : end) - from));
        if (end < 0)
            return;
        from = end + 1;
    }
}

// How many lines a value takes in its column. A column is as wide as its
// longest line unless that is wider than maximumWidth, so only lines longer
// than maximumWidth wrap, and a row's height is known before the column's
// width is: the rows can be written as they are read.
int linesIn(const QString& text)
{
    int lines = 0;
    forEachLineLength(text, [&](int length) { lines += std::max(1, (length + maximumWidth - 1) / maximumWidth); });
    return lines;
}

// One row on its way to the workbook, or the end of a worksheet.
struct Piece {
    Piece(int sheet, int row)
        : sheet(sheet)
        , row(row)
    {
    }
    int sheet;
    int row; // 0: the header row; with `end`, the last row written
    int lines = 1; // more than one: a tall row whose cells wrap
    bool end = false; // the worksheet is complete; `widths` holds its fitted column widths
    std::string cells; // the row's values in UTF-8, each followed by a NUL
    std::vector<int> widths;
};

// Rows travel in batches; a reader that runs ahead of the workbook waits
// once this many batches are queued, so memory stays bounded.
constexpr size_t rowsPerBatch = 64;
constexpr size_t batchesWaiting = 32;

// Takes the rows into the workbook on its own thread, while the caller's
// thread reads the next ones from the store.
class Writer {
public:
    explicit Writer(lxw_workbook* book)
        : m_book(book)
    {
        m_header = workbook_add_format(book);
        format_set_bold(m_header);
        format_set_align(m_header, LXW_ALIGN_VERTICAL_TOP);
        m_plain = workbook_add_format(book);
        format_set_align(m_plain, LXW_ALIGN_VERTICAL_TOP);
        m_wrapped = workbook_add_format(book);
        format_set_text_wrap(m_wrapped);
        format_set_align(m_wrapped, LXW_ALIGN_VERTICAL_TOP);
    }

    void addSheet(const char* name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, name);
        if (!sheet)
            throw QuarrixError(QStringLiteral("The workbook could not add a worksheet."));
        m_sheets.push_back(sheet);
    }

    // Writes what the handoff brings until it closes; on failure, gives up
    // on the handoff (so the reader stops) and keeps the error for rethrow().
    void take(Handoff<Piece>& pieces)
    {
        try {
            Handoff<Piece>::Batch batch;
            while (pieces.take(&batch))
                for (const Piece& piece : batch) {
                    if (piece.end)
                        finishSheet(m_sheets[size_t(piece.sheet)], piece.widths, piece.row);
                    else
                        putRow(m_sheets[size_t(piece.sheet)], piece);
                }
        } catch (...) {
            m_error = std::current_exception();
            pieces.giveUp();
        }
    }
    void rethrow() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    // Rows come in order, as the workbook keeps only the row being written in memory.
    void putRow(lxw_worksheet* sheet, const Piece& piece)
    {
        const auto row = lxw_row_t(piece.row);
        if (piece.lines > 1)
            check(worksheet_set_row(sheet, row, piece.lines * lineHeight, nullptr), piece.row, 0);
        lxw_format* format = piece.row == 0 ? m_header : piece.lines > 1 ? m_wrapped : m_plain;
        const char* cell = piece.cells.data();
        const char* const end = cell + piece.cells.size();
        for (lxw_col_t column = 0; cell < end; ++column) {
            const size_t length = std::strlen(cell);
            if (length > 0)
                check(worksheet_write_string(sheet, row, column, cell, format), piece.row, column);
            cell += length + 1;
        }
    }

    // Fitted widths, the header row frozen with filter buttons over the rows written.
    static void finishSheet(lxw_worksheet* sheet, const std::vector<int>& widths, int lastRow)
    {
        for (size_t c = 0; c < widths.size(); ++c)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c] + 1, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        worksheet_autofilter(sheet, 0, 0, lxw_row_t(lastRow), lxw_col_t(widths.size() - 1));
    }

    static void check(lxw_error error, int row, int column)
    {
        if (error != LXW_NO_ERROR)
            throw QuarrixError(QStringLiteral("The workbook could not take the value of row %1, column %2: %3")
                                   .arg(row + 1)
                                   .arg(column + 1)
                                   .arg(QString::fromUtf8(lxw_strerror(error))));
    }

    lxw_workbook* m_book;
    lxw_format* m_header;
    lxw_format* m_plain;
    lxw_format* m_wrapped;
    std::vector<lxw_worksheet*> m_sheets;
    std::exception_ptr m_error;
};

// A cell's text as the workbook measures it: lengths in UTF-16 units, the
// unit a cell's character limit and the widths count in.
struct Shape {
    int length = 0;
    int longestLine = 0;
    int lines = 0; // lines in its column, as linesIn() counts them
    bool carriageReturn = false;
};

Shape shapeOf(QByteArrayView utf8)
{
    Shape shape;
    int line = 0;
    auto endLine = [&] {
        shape.longestLine = std::max(shape.longestLine, line);
        shape.lines += std::max(1, (line + maximumWidth - 1) / maximumWidth);
        line = 0;
    };
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n') {
            endLine();
            ++shape.length;
            continue;
        }
        shape.carriageReturn |= byte == '\r';
        // A lead byte starts a character; one of four bytes lies beyond 16 bits.
        const int units = (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
        line += units;
        shape.length += units;
    }
    endLine();
    return shape;
}

// Reads one worksheet's rows straight from the store: the header row, then
// each passing record from row 2, each row handed on as soon as it is read;
// the fitted widths follow the last. `fields` are the sheet's fields, then
// any that only `passes` looks at. Returns the number of records handed on;
// stops early when the writer gave up (its error is reported after).
template <class Passes>
int sendSheet(Handoff<Piece>& out, int sheet, Table& table, const Sheet& layout, const std::vector<const char*>& tested,
    Passes passes, int* cutCells)
{
    const TableWalk walk(table); // settles a pending edit, leaves the table on its first record
    std::vector<int> fields;
    std::vector<int> widths;
    Piece header(sheet, 0);
    for (const char* f : layout.fields)
        fields.push_back(walk.field(f));
    for (const char* f : tested)
        fields.push_back(walk.field(f));
    for (const char* h : layout.headers) {
        widths.push_back(std::max(minimumWidth, int(std::strlen(h))));
        header.cells.append(h).push_back('\0');
    }
    if (!out.put(std::move(header)))
        return 0;
    const size_t shown = layout.fields.size();
    const int count = walk.count();
    int read = 0;
    int rows = 0;
    bool stopped = false;
    table.eachRecordText(fields, [&](const std::vector<QByteArrayView>& values) {
        Progress::step("Writing the workbook", ++read, count);
        if (stopped || !passes(values))
            return;
        Piece piece(sheet, ++rows);
        for (size_t c = 0; c < shown; ++c) {
            const Shape shape = shapeOf(values[c]);
            widths[c] = std::min(maximumWidth, std::max(widths[c], shape.longestLine));
            if (!shape.carriageReturn && shape.length <= cellLimit) {
                // Nearly every value: the cell takes the stored text as it is.
                piece.lines = std::max(piece.lines, std::min(maximumLines, shape.lines));
                piece.cells.append(values[c].data(), size_t(values[c].size())).push_back('\0');
                continue;
            }
            bool cut = false;
            const QString value = cellText(QString::fromUtf8(values[c]), &cut);
            *cutCells += cut ? 1 : 0;
            piece.lines = std::max(piece.lines, std::min(maximumLines, linesIn(value)));
            const QByteArray utf8 = value.toUtf8();
            piece.cells.append(utf8.constData(), size_t(utf8.size())).push_back('\0');
        }
        stopped = !out.put(std::move(piece));
    });
    if (stopped)
        return rows;
    Piece end(sheet, rows);
    end.end = true;
    end.widths = std::move(widths);
    out.put(std::move(end));
    return rows;
}

// Where a sheet's field comes among the values its walk hands on.
size_t positionOf(const Sheet& layout, const char* field)
{
    for (size_t i = 0; i < layout.fields.size(); ++i)
        if (std::strcmp(layout.fields[i], field) == 0)
            return i;
    throw QuarrixError(QStringLiteral("The workbook has no column for the field %1.").arg(QLatin1String(field)));
}

// Whether a value passes one of the Reports tab's choices, compared in UTF-8.
class Choice {
public:
    explicit Choice(const QString& choice)
        : m_all(choice == QLatin1String("All"))
        , m_utf8(choice.toUtf8())
    {
    }
    bool passes(QByteArrayView value) const { return m_all || value == m_utf8; }

private:
    bool m_all;
    QByteArray m_utf8;
};

}

Result write(Assessment& assessment, const ReportSelection& selection, const QString& fileName,
    const std::function<void()>& prepareAttributes)
{
    if (fileName.isEmpty())
        throw QuarrixError(QStringLiteral("No file name was given for the workbook."));
    AtomicFile::Replacement file(fileName);
    const QByteArray tempName = QFile::encodeName(file.tempPath());
    // Constant memory: each worksheet keeps only the row being written, and
    // text goes inline into its cell instead of a shared-string table.
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
    if (!book)
        throw QuarrixError(QStringLiteral("Cannot create the workbook %1.").arg(fileName));

    Result result;
    try {
        Writer writer(book);
        static const Sheet layouts[4] = {
            { "Requirements", { "ID", "DIVISION", "REQUIREMENT", "ACTIVITY", "REFERENCE" },
                { "RSeq", "Division", "Requirement", "Activity", "Source" } },
            { "Drivers", { "ID", "DIVISION", "DRIVER", "GROUP", "ACTIVITY", "REQUIREMENTS" },
                { "CSeq", "Division", "Driver", "Group", "Activity", "Requirement" } },
            { "Attributes", { "GROUP", "ATTRIBUTE", "DESCRIPTION" }, { "Group", "Attribute", "Description" } },
            { "Controls", { "ID", "SECTION TITLE", "SUBSECTION TITLE", "SUBSECTION", "CONTROL TITLE", "CONTROL" },
                { "id", "section_title", "subsection_title", "subsection", "control_title", "control" } },
        };
        const bool ticked[4] = { selection.requirements, selection.drivers, selection.attributes, selection.controls };
        // Every worksheet exists; one not ticked keeps its default name and stays empty.
        for (int i = 0; i < 4; ++i)
            writer.addSheet(ticked[i] ? layouts[i].name : nullptr);

        // This thread reads the store (and reports progress) while the
        // workbook takes the rows read before on a second thread. The rows
        // are read from one state of the store.
        Handoff<Piece> pieces(rowsPerBatch, batchesWaiting);
        std::jthread rowWriter([&] { writer.take(pieces); });
        try {
            Store::Snapshot snapshot(assessment.store());
            int* cut = &result.cutCells;
            const Choice activity(selection.activity);
            const Choice group(selection.group);
            using Values = std::vector<QByteArrayView>;
            if (ticked[0]) {
                const size_t at = positionOf(layouts[0], "Activity");
                result.rows[0] = sendSheet(
                    pieces, 0, assessment.requirements(), layouts[0], {},
                    [&](const Values& v) { return activity.passes(v[at]); }, cut);
            }
            if (ticked[1]) {
                const size_t at = positionOf(layouts[1], "Activity");
                result.rows[1] = sendSheet(
                    pieces, 1, assessment.drivers(), layouts[1], {},
                    [&](const Values& v) { return activity.passes(v[at]); }, cut);
            }
            if (prepareAttributes)
                prepareAttributes();
            if (ticked[2]) {
                // Derived in memory for the division: the export writes
                // nothing to the store. The walk is in key order, so the
                // first row of a name is the one in use.
                const AttributesInUse inUse = AttributesInUse::derive(assessment.store(), selection.division);
                FirstInUse firstInUse(inUse);
                const size_t at = positionOf(layouts[2], "Group");
                const size_t name = positionOf(layouts[2], "Attribute");
                result.rows[2] = sendSheet(
                    pieces, 2, assessment.attribute(), layouts[2], {},
                    [&](const Values& v) { return firstInUse.take(QString::fromUtf8(v[name])) && group.passes(v[at]); },
                    cut);
            }
            if (ticked[3])
                result.rows[3] = sendSheet(
                    pieces, 3, assessment.controls(), layouts[3], {}, [](const Values&) { return true; }, cut);
            pieces.close(nullptr);
        } catch (...) {
            pieces.close(std::current_exception());
        }
        rowWriter.join();
        writer.rethrow();
        pieces.rethrow();
    } catch (...) {
        // Closing is the only way to free the workbook; the replacement then
        // removes the file it left. The error raised says what went wrong.
        LibraryMessages libraryLines;
        workbook_close(book);
        throw;
    }

    // The library prints its own lines on a failed write; the message below
    // says it instead. Only this thread runs now.
    LibraryMessages libraryLines;
    errno = 0;
    const lxw_error error = workbook_close(book);
    const int systemError = errno;
    libraryLines.end();
    if (error != LXW_NO_ERROR) {
        // A failed write of the file carries the system's reason (a full disk).
        const bool fileError = error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_ZIP_FILE_OPERATION
            || error == LXW_ERROR_ZIP_FILE_ADD || error == LXW_ERROR_ZIP_CLOSE || error == LXW_ERROR_CREATING_TMPFILE;
        const QString reason = fileError && systemError != 0 ? AtomicFile::systemReason(systemError)
                                                             : QString::fromUtf8(lxw_strerror(error));
        throw QuarrixError(QStringLiteral("Cannot write the workbook %1: %2").arg(fileName, reason));
    }
    file.commit();
    return result;
}

}
