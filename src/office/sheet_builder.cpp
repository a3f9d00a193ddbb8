#include "office/sheet_builder.h"

#include "store/quarrix_error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool before(int row, int column, int otherRow, int otherColumn)
{
    return row < otherRow || (row == otherRow && column < otherColumn);
}

}

QByteArrayView SheetCells::cellUtf8(int row, int column) const
{
    const auto c = std::lower_bound(m_cells.cbegin(), m_cells.cend(), std::make_pair(row, column),
        [](const Cell& cell, const std::pair<int, int>& at) {
            return before(cell.row, cell.column, at.first, at.second);
        });
    if (c == m_cells.cend() || c->row != row || c->column != column)
        return {};
    return QByteArrayView(m_text.constData() + c->offset, c->size);
}

void SheetCells::rowUtf8(int row, QByteArrayView* texts, int columns) const
{
    std::fill(texts, texts + columns, QByteArrayView());
    auto c = std::lower_bound(
        m_cells.cbegin(), m_cells.cend(), row, [](const Cell& cell, int at) { return cell.row < at; });
    for (; c != m_cells.cend() && c->row == row && c->column <= columns; ++c)
        texts[c->column - 1] = QByteArrayView(m_text.constData() + c->offset, c->size);
}

SheetBuilder::SheetBuilder(int maxColumn, const SpreadsheetReader::Limits& limits)
    : m_maxColumn(maxColumn)
    , m_limits(limits)
{
}

qint64 SheetBuilder::utf16Length(QByteArrayView utf8)
{
    // Every character starts with a byte that is not a continuation byte; one
    // of four bytes (from 0xF0) takes two UTF-16 units. Eight bytes of plain
    // ASCII at a time are a unit each.
    auto units = [](QByteArrayView bytes) {
        qint64 n = 0;
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            n += (b & 0xC0) != 0x80;
            n += b >= 0xF0;
        }
        return n;
    };
    qint64 total = 0;
    qsizetype i = 0;
    for (; i + 8 <= utf8.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, utf8.data() + i, 8);
        total += word & 0x8080808080808080ULL ? units(utf8.sliced(i, 8)) : 8;
    }
    return total + units(utf8.sliced(i));
}

QByteArrayView SheetBuilder::numberUtf8(double value, char (&buffer)[kNumberBuffer])
{
    if (!std::isfinite(value))
        return value != value ? "NaN" : (value > 0 ? "INF" : "-INF");
    if (value == 0)
        return "0";
    const auto result = std::to_chars(buffer, buffer + kNumberBuffer, value, std::chars_format::fixed);
    if (result.ec == std::errc())
        return QByteArrayView(buffer, result.ptr - buffer);
    // Beyond the buffer (cannot happen for a double's fixed form): the general form.
    const auto general = std::to_chars(buffer, buffer + kNumberBuffer, value, std::chars_format::general, 17);
    return QByteArrayView(buffer, general.ptr - buffer);
}

quint32 SheetBuilder::append(QByteArrayView utf8)
{
    QByteArray& text = m_sheet.m_text;
    if (quint64(text.size()) + quint64(utf8.size()) > std::numeric_limits<quint32>::max())
        throw QuarrixError(QStringLiteral("the cells read hold more than 4 GB of text"));
    const auto offset = quint32(text.size());
    // Grown by doubling through reserve(), which moves the buffer in place
    // where it can: append() alone would copy the whole buffer into fresh
    // memory each time it runs out of room.
    if (text.capacity() - text.size() < utf8.size())
        text.reserve(std::max(2 * text.capacity(), text.size() + utf8.size()));
    text.append(utf8);
    return offset;
}

SheetBuilder::Text SheetBuilder::keep(QByteArrayView utf8)
{
    Text kept;
    kept.units = quint32(utf16Length(utf8));
    kept.size = quint32(utf8.size());
    kept.offset = append(utf8);
    return kept;
}

bool SheetBuilder::counts(int column, qint64 units)
{
    if (++m_cellCount > m_limits.maxCells)
        throw QuarrixError(QStringLiteral("the sheet holds more than %1 cells").arg(m_limits.maxCells));
    if (units == 0 || (m_maxColumn > 0 && column > m_maxColumn))
        return false;
    m_chars += units;
    if (m_chars > m_limits.maxSheetChars)
        throw QuarrixError(QStringLiteral("the cells read hold more than %1 characters of text in all (the limit "
                                          "for one import)")
                               .arg(m_limits.maxSheetChars));
    return true;
}

void SheetBuilder::place(int row, int column, quint32 offset, quint32 size)
{
    auto& cells = m_sheet.m_cells;
    if (!cells.isEmpty() && !before(cells.back().row, cells.back().column, row, column))
        m_sorted = false;
    cells.append({ row, column, offset, size });
}

void SheetBuilder::add(int row, int column, const Text& text)
{
    // The text stays where it was kept, however many cells show it.
    if (counts(column, text.units))
        place(row, column, text.offset, text.size);
}

void SheetBuilder::add(int row, int column, QByteArrayView utf8)
{
    // Empty text is no cell, but counts as one.
    const qint64 units = utf8.isEmpty() ? 0 : std::max<qint64>(1, utf16Length(utf8));
    if (counts(column, units))
        place(row, column, append(utf8), quint32(utf8.size()));
}

void SheetBuilder::add(int row, int column, const QString& text)
{
    if (counts(column, text.size())) {
        const QByteArray utf8 = text.toUtf8();
        place(row, column, append(utf8), quint32(utf8.size()));
    }
}

void SheetBuilder::addNumber(int row, int column, double value)
{
    char buffer[kNumberBuffer];
    add(row, column, numberUtf8(value, buffer));
}

SheetCells SheetBuilder::finish(const QString& name)
{
    auto& cells = m_sheet.m_cells;
    if (!m_sorted) {
        // Rows or cells written out of order or more than once: sort them, and
        // let the cell written last win.
        std::stable_sort(cells.begin(), cells.end(), [](const SheetCells::Cell& a, const SheetCells::Cell& b) {
            return before(a.row, a.column, b.row, b.column);
        });
        qsizetype kept = 0;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (kept > 0 && cells[kept - 1].row == cells[i].row && cells[kept - 1].column == cells[i].column)
                cells[kept - 1] = cells[i];
            else
                cells[kept++] = cells[i];
        }
        cells.resize(kept);
    }
    m_sheet.m_name = name;
    return std::move(m_sheet);
}

void TextBudget::checkCell(qint64 units) const
{
    if (units > m_limits.maxCellChars)
        throw QuarrixError(
            QStringLiteral("a cell holds more than %1 characters (the limit for one cell)").arg(m_limits.maxCellChars));
}

void TextBudget::decoded(qint64 units)
{
    checkCell(units);
    m_total += units;
    if (m_total > m_limits.maxWorkbookChars)
        throw QuarrixError(QStringLiteral("the workbook holds more than %1 characters of text (the limit for one "
                                          "workbook)")
                               .arg(m_limits.maxWorkbookChars));
}
