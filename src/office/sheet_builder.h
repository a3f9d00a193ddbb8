#pragma once

#include "office/spreadsheet_reader.h"

// Collects the cells a reader finds, in any order, and hands out the finished
// sheet. Only columns 1..maxColumn are kept (0 keeps every column); memory
// grows with the cells kept, not with their coordinates. Counts every cell
// against the cell limit and the kept text against the limit of text handed
// back, where a shared string counts again at each use.
class SheetBuilder {
public:
    SheetBuilder(int maxColumn, const SpreadsheetReader::Limits& limits);

    // Raises QuarrixError when a limit is passed.
    void add(int row, int column, QString text);
    SheetCells finish(const QString& name);

private:
    int m_maxColumn;
    const SpreadsheetReader::Limits& m_limits;
    qint64 m_cells = 0;
    qint64 m_chars = 0;
    bool m_sorted = true;
    SheetCells m_sheet;
};

// Counts the text a reader decodes: each cell or shared string against the
// limit for one cell, all of it against the limit for the workbook.
class TextBudget {
public:
    explicit TextBudget(const SpreadsheetReader::Limits& limits)
        : m_limits(limits)
    {
    }
    // Raises QuarrixError when one text of so many UTF-16 units is too long.
    void checkCell(qint64 units) const;
    // Checks the text and adds it to the workbook's total.
    void decoded(qint64 units);

private:
    const SpreadsheetReader::Limits& m_limits;
    qint64 m_total = 0;
};
