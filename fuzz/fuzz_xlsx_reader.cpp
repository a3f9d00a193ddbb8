// Any bytes as an .xlsx file (or whatever the reader takes them for).
#include "fuzz_input_file.h"
#include "fuzz_sheet_cells.h"
#include "store/quarrix_error.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = writeFuzzInput(data, size, "input.xlsx");
    try {
        touchCells(SpreadsheetReader::readActiveSheet(path));
    } catch (const QuarrixError&) {
    }
    return 0;
}
