#include "sheet_files.h"

#include <QFile>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

void writeSheet(const QString& path, const SheetRows& rows, bool withCover)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    ASSERT_TRUE(book);
    if (withCover) {
        lxw_worksheet* cover = workbook_add_worksheet(book, "Cover");
        worksheet_write_string(cover, 0, 0, "decoy", nullptr);
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Set");
    worksheet_activate(sheet);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const SheetCell& cell = rows[r][c];
            if (const auto* text = std::get_if<const char*>(&cell))
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), *text, nullptr);
            else if (const auto* number = std::get_if<double>(&cell))
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), *number, nullptr);
        }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}
