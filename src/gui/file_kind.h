#pragma once

#include <QString>

// What a file dialog is for: the folder last chosen is remembered per kind.
enum class FileKind {
    Other, // not remembered: the default folder
    Archive, // archives saved and loaded
    Report, // the Word and PDF reports
    Export, // the spreadsheet export
    CatalogueSet, // attribute and control sets, imported or autoloaded
};

// The filter of a dialog that opens an attribute or control set: both
// spreadsheet formats together, so no set is hidden by the default.
inline const QString kSpreadsheetSetFilter = QStringLiteral("Spreadsheets (*.xlsx *.xls)");
