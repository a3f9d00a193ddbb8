/* libxlsxwriter alone, writing the cells of a workbook as quarrix-cli export
 * does (constant-memory mode, the same formats, text inline), from a file of
 * cells made by openpyxl_ratios.py: for each sheet a line "\x1dNAME", then one
 * line per row with its cells separated by \x1f; a cell's line breaks are kept
 * as \x1e. The baseline of the export's ratio.
 *   lxw_alone CELLS OUT.xlsx */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

static char* slurp(const char* path, long* size)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return NULL;
    fseek(f, 0, SEEK_END);
    *size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* bytes = malloc((size_t)*size + 1);
    if (bytes && fread(bytes, 1, (size_t)*size, f) != (size_t)*size) {
        free(bytes);
        bytes = NULL;
    }
    fclose(f);
    if (bytes)
        bytes[*size] = '\0';
    return bytes;
}

/* The header row frozen with filter buttons over the rows, as the export ends a sheet. */
static void finish(lxw_worksheet* sheet, lxw_row_t rows, lxw_col_t columns)
{
    if (!sheet || rows == 0 || columns == 0)
        return;
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, rows - 1, columns - 1);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: lxw_alone CELLS OUT.xlsx\n");
        return 2;
    }
    long size = 0;
    char* cells = slurp(argv[1], &size);
    if (!cells)
        return 1;
    lxw_workbook_options options = { .constant_memory = LXW_TRUE };
    lxw_workbook* book = workbook_new_opt(argv[2], &options);
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    format_set_align(header, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* plain = workbook_add_format(book);
    format_set_align(plain, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* wrapped = workbook_add_format(book);
    format_set_text_wrap(wrapped);
    format_set_align(wrapped, LXW_ALIGN_VERTICAL_TOP);

    lxw_worksheet* sheet = NULL;
    lxw_row_t row = 0;
    lxw_col_t columns = 0;
    for (char* line = cells; line && *line;) {
        char* end = strchr(line, '\n');
        if (end)
            *end = '\0';
        if (*line == '\x1d') {
            finish(sheet, row, columns);
            sheet = workbook_add_worksheet(book, line[1] ? line + 1 : NULL);
            row = 0;
            columns = 0;
        } else if (sheet) {
            /* A row with line breaks is wrapped and made as tall as its lines. */
            int lines = 1;
            for (char* c = line; *c; ++c)
                if (*c == '\x1e') {
                    *c = '\n';
                    ++lines;
                }
            if (lines > 1)
                worksheet_set_row(sheet, row, lines * 15.0, NULL);
            lxw_format* format = row == 0 ? header : lines > 1 ? wrapped : plain;
            lxw_col_t column = 0;
            for (char* cell = line; cell;) {
                char* next = strchr(cell, '\x1f');
                if (next)
                    *next++ = '\0';
                if (*cell)
                    worksheet_write_string(sheet, row, column, cell, format);
                ++column;
                cell = next;
            }
            if (column > columns)
                columns = column;
            ++row;
        }
        line = end ? end + 1 : NULL;
    }
    finish(sheet, row, columns);
    const lxw_error error = workbook_close(book);
    free(cells);
    return error == LXW_NO_ERROR ? 0 : 1;
}
