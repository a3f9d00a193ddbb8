#pragma once

#include <QString>
#include <utility>
#include <vector>

// The cells of one worksheet as text: the sheet that is active when the
// workbook opens. Rows and columns are 1-based; a cell that was never written
// reads as empty text.
class SheetCells {
public:
    QString cell(int row, int column) const;
    // The last row that holds a cell (0 for an empty sheet).
    int lastRow() const { return m_rows.empty() ? 0 : m_rows.back().first; }
    const QString& sheetName() const { return m_name; }

private:
    friend class SheetBuilder;
    using Cell = std::pair<int, QString>; // column, text
    using Row = std::pair<int, std::vector<Cell>>; // row, its cells by ascending column
    QString m_name;
    std::vector<Row> m_rows; // ascending
};

namespace SpreadsheetReader {

// Hard limits that keep a hostile file from exhausting memory or time.
struct Limits {
    qint64 maxFileBytes = 256LL << 20; // the workbook file itself
    qint64 maxPartBytes = 256LL << 20; // one unpacked part of an .xlsx
    qint64 maxCells = 4'000'000; // cells in the sheet (kept or not)
    qint64 maxSharedStrings = 2'000'000; // shared string entries
    int maxDepth = 64; // XML element nesting
    qint64 maxCellChars = 1LL << 20; // text of one cell or shared string
    qint64 maxWorkbookChars = 32LL << 20; // all text decoded from the workbook
    // Text of the cells handed back, a shared string counted at each use: what
    // one import goes through.
    qint64 maxSheetChars = 32LL << 20;
};

// Reads the active sheet of an .xlsx or .xls workbook (the format is told by
// the file's content, not its name). Only columns 1..maxColumn are kept
// (0 keeps every column). Values: empty cell empty text, a number its
// shortest decimal text (3, 1.5), a number formatted as a date or time its
// ISO text (2024-03-15, 13:30, 2024-03-15 13:30; see cell_dates.h), text
// itself, formulas by their cached value, Booleans TRUE or FALSE.
// Raises QuarrixError naming the file when it is missing, not a workbook,
// encrypted, damaged or beyond the limits (the message names the limit).
SheetCells readActiveSheet(const QString& path, int maxColumn = 0, const Limits& limits = Limits());

// The shortest decimal text of a number, never in exponent form: 3, 1.5, -0.1, 1000000.
QString numberText(double value);

}
