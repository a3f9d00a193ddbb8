// Any bytes as an .xls workbook, read from memory: the container, the
// workbook globals, the shared strings and the active sheet's cells.
#include "fuzz_sheet_cells.h"
#include "office/xls_reader.h"
#include "store/quarrix_error.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        touchCells(XlsReader::readActiveSheet(bytes, 0, SpreadsheetReader::Limits()));
    } catch (const QuarrixError&) {
    }
    return 0;
}
