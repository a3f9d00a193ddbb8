#pragma once

#include <QString>

// quarrix-cli links only what the store's own commands need (Qt's core and
// SQLite), so that they start fast. The commands that read or write other
// formats run in helper programs that link what they need, and quarrix-cli
// knows them by name and usage and hands the whole command line over before a
// store is opened:
// - quarrix-cli-sheets: the imports of attribute and control sets and the
//   export (the spreadsheet and OSCAL readers, the workbook writer);
// - quarrix-cli-full: the reports, the listings and the upload (Word and PDF
//   documents, fonts, the database client).
namespace HelperPrograms {

inline constexpr const char* sheets = "quarrix-cli-sheets";
inline constexpr const char* full = "quarrix-cli-full";

// The helper program of this name: beside quarrix-cli in the build tree, in
// libexec/quarrix when installed. Empty when it is not found.
QString path(const char* name);

}
