#pragma once

#include "office/spreadsheet_reader.h"

#include <QByteArray>

class QIODevice;

// Reads the cells of the active sheet of an .xls workbook (the compound-file
// container with a BIFF8 or BIFF5 workbook stream). The workbook stream is
// read from the file a stretch at a time, never held whole. Every length and
// index is checked against its record and the stream.
namespace XlsReader {

// The values follow SpreadsheetReader::readActiveSheet. Raises QuarrixError
// with a short reason (without the file name) when the workbook is damaged,
// encrypted or beyond the limits. The file (or buffer) is open for reading.
SheetCells readActiveSheet(QIODevice& file, int maxColumn, const SpreadsheetReader::Limits& limits);
// The same for a workbook held in memory.
SheetCells readActiveSheet(const QByteArray& file, int maxColumn, const SpreadsheetReader::Limits& limits);

}
