#include "office/sheet_builder.h"

#include "store/quarrix_error.h"

#include <algorithm>

QString SheetCells::cell(int row, int column) const
{
    const auto r
        = std::lower_bound(m_rows.begin(), m_rows.end(), row, [](const Row& entry, int n) { return entry.first < n; });
    if (r == m_rows.end() || r->first != row)
        return {};
    const auto c = std::lower_bound(
        r->second.begin(), r->second.end(), column, [](const Cell& entry, int n) { return entry.first < n; });
    return c == r->second.end() || c->first != column ? QString() : c->second;
}

SheetBuilder::SheetBuilder(int maxColumn, const SpreadsheetReader::Limits& limits)
    : m_maxColumn(maxColumn)
    , m_limits(limits)
{
}

void SheetBuilder::add(int row, int column, QString text)
{
    if (++m_cells > m_limits.maxCells)
        throw QuarrixError(QStringLiteral("the sheet holds more than %1 cells").arg(m_limits.maxCells));
    if (text.isEmpty() || (m_maxColumn > 0 && column > m_maxColumn))
        return;
    m_chars += text.size();
    if (m_chars > m_limits.maxSheetChars)
        throw QuarrixError(QStringLiteral("the cells read hold more than %1 characters of text in all (the limit "
                                          "for one import)")
                               .arg(m_limits.maxSheetChars));
    auto& rows = m_sheet.m_rows;
    if (rows.empty() || rows.back().first != row) {
        if (!rows.empty() && rows.back().first > row)
            m_sorted = false;
        rows.emplace_back(row, std::vector<SheetCells::Cell>());
    }
    auto& cells = rows.back().second;
    if (!cells.empty() && cells.back().first >= column)
        m_sorted = false;
    // The text is kept as given: a shared string stays one buffer however many cells show it.
    cells.emplace_back(column, std::move(text));
}

SheetCells SheetBuilder::finish(const QString& name)
{
    auto& rows = m_sheet.m_rows;
    if (!m_sorted) {
        // Rows or cells written out of order or more than once: sort them, and
        // let the cell written last win.
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<SheetCells::Row> merged;
        for (auto& r : rows) {
            if (!merged.empty() && merged.back().first == r.first) {
                auto& into = merged.back().second;
                into.insert(
                    into.end(), std::make_move_iterator(r.second.begin()), std::make_move_iterator(r.second.end()));
            } else {
                merged.push_back(std::move(r));
            }
        }
        for (auto& r : merged) {
            auto& cells = r.second;
            std::stable_sort(
                cells.begin(), cells.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            std::vector<SheetCells::Cell> unique;
            for (auto& c : cells) {
                if (!unique.empty() && unique.back().first == c.first)
                    unique.back().second = std::move(c.second);
                else
                    unique.push_back(std::move(c));
            }
            cells = std::move(unique);
        }
        rows = std::move(merged);
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
