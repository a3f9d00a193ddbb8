#pragma once

#include "office/spreadsheet_reader.h"

#include <QByteArray>

// Reads the cells of the active sheet of an .xls workbook (the compound-file
// container with a BIFF8 or BIFF5 workbook stream) held in memory. Every
// length and index is checked against its record and the stream.
namespace XlsReader {

// The values follow SpreadsheetReader::readActiveSheet. Raises QuarrixError
// with a short reason (without the file name) when the workbook is damaged,
// encrypted or beyond the limits. A file handed over whole (moved, not
// shared) has its workbook stream gathered in place, so the file's bytes are
// held once, not twice.
SheetCells readActiveSheet(QByteArray file, int maxColumn, const SpreadsheetReader::Limits& limits);

}
