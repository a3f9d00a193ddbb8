#pragma once

#include <QString>
#include <variant>
#include <vector>

// Small workbooks for the import tests, written with libxlsxwriter (not with
// our own code). A cell is text, a number, or nothing (nullptr).
using SheetCell = std::variant<std::nullptr_t, const char*, double>;
using SheetRows = std::vector<std::vector<SheetCell>>;

// Writes rows to the active sheet of a new .xlsx; a first sheet "Cover" with a
// decoy cell is added before it when withCover is set.
void writeSheet(const QString& path, const SheetRows& rows, bool withCover = false);
