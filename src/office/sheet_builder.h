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

    // A text kept once however many cells show it (a shared string).
    struct Text {
        quint32 offset = 0;
        quint32 size = 0; // bytes of UTF-8
        quint32 units = 0; // its length in UTF-16 units, as the limits count text
    };
    Text keep(QByteArrayView utf8);
    Text keep(const QString& text) { return keep(QByteArrayView(text.toUtf8())); }

    // The cell's text: a kept one, its own (copied only when its column is
    // kept), or a number as its shortest decimal text. Raises QuarrixError
    // when a limit is passed.
    void add(int row, int column, const Text& text);
    void add(int row, int column, QByteArrayView utf8);
    void add(int row, int column, const QString& text);
    void addNumber(int row, int column, double value);
    SheetCells finish(const QString& name);

    // The length in UTF-16 units of valid UTF-8 text.
    static qint64 utf16Length(QByteArrayView utf8);
    // A number's shortest decimal text, never in exponent form (3, 1.5,
    // -0.1, 1000000), in the buffer or a constant.
    static constexpr int kNumberBuffer = 400;
    static QByteArrayView numberUtf8(double value, char (&buffer)[kNumberBuffer]);

private:
    // Counts the cell; true when it is kept.
    bool counts(int column, qint64 units);
    void place(int row, int column, quint32 offset, quint32 size);
    quint32 append(QByteArrayView utf8);

    int m_maxColumn;
    const SpreadsheetReader::Limits& m_limits;
    qint64 m_cellCount = 0;
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
