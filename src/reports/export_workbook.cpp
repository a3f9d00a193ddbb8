#include "reports/export_workbook.h"

#include "files/atomic_file.h"
#include "store/assessment.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
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

int longestLine(const QString& text)
{
    int longest = 0;
    forEachLineLength(text, [&](int length) { longest = std::max(longest, length); });
    return longest;
}

// How many lines a value takes in a column of the given width.
int linesIn(const QString& text, int width)
{
    int lines = 0;
    forEachLineLength(text, [&](int length) { lines += std::max(1, (length + width - 1) / width); });
    return lines;
}

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

    lxw_worksheet* addSheet(const char* name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, name);
        if (!sheet)
            throw QuarrixError(QStringLiteral("The workbook could not add a worksheet."));
        return sheet;
    }

    // Writes a row of values; rows are written in order, as the workbook
    // keeps only the row being written in memory.
    void putRow(lxw_worksheet* sheet, int row, const std::vector<QString>& values, const std::vector<int>& widths)
    {
        const bool header = row == 0;
        int lines = 1;
        if (!header)
            for (size_t c = 0; c < values.size(); ++c)
                if (values[c].contains(QLatin1Char('\n')) || values[c].size() > widths[c])
                    lines = std::max(lines, std::min(maximumLines, linesIn(values[c], widths[c])));
        if (lines > 1)
            check(worksheet_set_row(sheet, lxw_row_t(row), lines * lineHeight, nullptr), row, 0);
        for (size_t c = 0; c < values.size(); ++c) {
            if (values[c].isEmpty())
                continue;
            lxw_format* format = header ? m_header : lines > 1 ? m_wrapped : m_plain;
            const QByteArray utf8 = values[c].toUtf8();
            check(worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(c), utf8.constData(), format), row, int(c));
        }
    }

    // Fitted widths, the header row frozen with filter buttons over the rows written.
    void finishSheet(lxw_worksheet* sheet, const std::vector<int>& widths, int lastRow)
    {
        for (size_t c = 0; c < widths.size(); ++c)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c] + 1, nullptr);
        worksheet_freeze_panes(sheet, 1, 0);
        worksheet_autofilter(sheet, 0, 0, lxw_row_t(lastRow), lxw_col_t(widths.size() - 1));
    }

private:
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
};

// Fills one worksheet: the header row, then each passing record from row 2.
// The rows are in memory already, so the widths are measured in a first pass
// that keeps the cells' texts (sharing the table's strings), and each row is
// written once from them.
template <class Passes>
int fillSheet(Writer& writer, lxw_worksheet* sheet, Table& table, const Sheet& layout, Passes passes, int* cutCells)
{
    TableWalk walk(table);
    std::vector<int> fields;
    std::vector<int> widths;
    for (const char* f : layout.fields)
        fields.push_back(walk.field(f));
    for (const char* h : layout.headers)
        widths.push_back(std::max(minimumWidth, int(std::strlen(h))));
    std::vector<QString> cells; // the passing rows' texts, row after row
    for (int r = 0; r < walk.count(); ++r) {
        if (!passes(walk, r))
            continue;
        for (size_t c = 0; c < fields.size(); ++c) {
            cells.push_back(walk.text(r, fields[c]));
            widths[c] = std::min(maximumWidth, std::max(widths[c], longestLine(cells.back())));
        }
    }

    std::vector<QString> values;
    for (const char* h : layout.headers)
        values.push_back(QString::fromLatin1(h));
    writer.putRow(sheet, 0, values, widths);
    const qint64 rows = qint64(cells.size() / std::max<size_t>(1, fields.size()));
    for (qint64 row = 1; row <= rows; ++row) {
        Progress::step("Writing the workbook", row, rows);
        for (size_t c = 0; c < fields.size(); ++c) {
            bool cut = false;
            values[c] = cellText(cells[size_t(row - 1) * fields.size() + c], &cut);
            *cutCells += cut ? 1 : 0;
        }
        writer.putRow(sheet, int(row), values, widths);
    }
    writer.finishSheet(sheet, widths, int(rows));
    return int(rows);
}

}

Result write(Assessment& assessment, const ReportSelection& selection, const QString& fileName)
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
        lxw_worksheet* sheets[4];
        // Every worksheet exists; one not ticked keeps its default name and stays empty.
        for (int i = 0; i < 4; ++i)
            sheets[i] = writer.addSheet(ticked[i] ? layouts[i].name : nullptr);

        int* cut = &result.cutCells;
        if (ticked[0]) {
            Table& t = assessment.requirements();
            const int activity = t.fieldIndex(QStringLiteral("Activity"));
            result.rows[0] = fillSheet(
                writer, sheets[0], t, layouts[0],
                [&](const TableWalk& w, int r) {
                    return ReportSelection::passes(selection.activity, w.text(r, activity));
                },
                cut);
        }
        if (ticked[1]) {
            Table& t = assessment.drivers();
            const int activity = t.fieldIndex(QStringLiteral("Activity"));
            result.rows[1] = fillSheet(
                writer, sheets[1], t, layouts[1],
                [&](const TableWalk& w, int r) {
                    return ReportSelection::passes(selection.activity, w.text(r, activity));
                },
                cut);
        }
        if (ticked[2]) {
            Table& t = assessment.attribute();
            const int inUse = t.fieldIndex(QStringLiteral("InUse"));
            const int group = t.fieldIndex(QStringLiteral("Group"));
            result.rows[2] = fillSheet(
                writer, sheets[2], t, layouts[2],
                [&](const TableWalk& w, int r) {
                    return w.boolean(r, inUse) && ReportSelection::passes(selection.group, w.text(r, group));
                },
                cut);
        }
        if (ticked[3]) {
            result.rows[3] = fillSheet(
                writer, sheets[3], assessment.controls(), layouts[3], [](const TableWalk&, int) { return true; }, cut);
        }
    } catch (...) {
        // Closing is the only way to free the workbook; the replacement then
        // removes the file it left.
        workbook_close(book);
        throw;
    }

    errno = 0;
    const lxw_error error = workbook_close(book);
    const int systemError = errno;
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
