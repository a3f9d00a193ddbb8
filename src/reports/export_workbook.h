#pragma once

#include "reports/export_selection.h"

#include <QString>
#include <functional>

class Assessment;

// The spreadsheet export: a workbook of always four worksheets, the ticked
// ones named after their table and filled with a header row and the records
// that pass the choices, every value written as text.
namespace ExportWorkbook {

// A spreadsheet cell holds at most this many characters; longer values are cut.
constexpr int cellLimit = 32767;

struct Result {
    int rows[4] = { 0, 0, 0, 0 }; // data rows written on worksheets 1 to 4
    int cutCells = 0; // values cut to cellLimit
};

// Writes the workbook to fileName, replacing an existing file. The workbook
// is written to a temporary file beside fileName and renamed over it, so a
// failure leaves whatever was there before. Walked tables are left on their
// first record. Raises QuarrixError on failure.
// The attributes sheet lists the attributes in use for selection.division,
// derived in memory: the store is only read. prepareAttributes, when given,
// runs after the drivers are read and before the attributes in use are,
// while the rows read before are being written.
Result write(Assessment& assessment, const ReportSelection& selection, const QString& fileName,
    const std::function<void()>& prepareAttributes = {});

// The value as a cell receives it: line breaks as a single line feed, and cut
// to cellLimit characters (never inside a surrogate pair). Sets *cut when cut.
QString cellText(const QString& value, bool* cut);

}
