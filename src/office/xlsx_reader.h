#pragma once

#include "office/spreadsheet_reader.h"

// Reads the cells of the active sheet of an .xlsx workbook: a zip package of
// XML parts, streamed through expat part by part.
namespace XlsxReader {

// The values follow SpreadsheetReader::readActiveSheet. Raises QuarrixError
// with a short reason (without the file name) when the package is damaged,
// encrypted or beyond the limits.
SheetCells readActiveSheet(const QString& path, int maxColumn, const SpreadsheetReader::Limits& limits);

}
