#pragma once

#include "office/spreadsheet_reader.h"

#include <algorithm>

// Reads back the cells a reader returned, so a sheet whose rows or cells are
// out of order or hold broken text shows up here.
inline void touchCells(const SheetCells& sheet)
{
    for (int row = 1; row <= std::min(sheet.lastRow(), 2000); ++row)
        for (int column = 1; column <= 8; ++column)
            (void)sheet.cell(row, column).toUtf8();
}
