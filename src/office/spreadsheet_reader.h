#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The cells of one worksheet as text: the sheet that is active when the
// workbook opens. Rows and columns are 1-based; a cell that was never written
// reads as empty text. The text of every cell is kept as UTF-8 in one buffer
// and a cell is a few numbers pointing into it, so a sheet of millions of
// short cells costs little more than its text; a text shown by many cells (a
// shared string) is kept once.
class SheetCells {
public:
    QString cell(int row, int column) const { return QString::fromUtf8(cellUtf8(row, column)); }
    // The same as UTF-8, valid while the sheet lives.
    QByteArrayView cellUtf8(int row, int column) const;
    // The cells of columns 1 to `columns` of a row as UTF-8, into texts[0]
    // onwards: what an import reads row by row, found at once.
    void rowUtf8(int row, QByteArrayView* texts, int columns) const;
    // The last row that holds a cell (0 for an empty sheet).
    int lastRow() const { return m_cells.isEmpty() ? 0 : m_cells.back().row; }
    const QString& sheetName() const { return m_name; }

private:
    friend class SheetBuilder;
    struct Cell {
        int row;
        int column;
        quint32 offset; // of its text in m_text
        quint32 size;
    };
    QString m_name;
    QList<Cell> m_cells; // by row, then column; a QList grows in place where a vector would copy
    QByteArray m_text;
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
