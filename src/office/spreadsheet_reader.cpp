#include "office/spreadsheet_reader.h"

#include "office/compound_file_reader.h"
#include "office/sheet_builder.h"
#include "office/xls_reader.h"
#include "office/xlsx_reader.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QFileInfo>

// Reasons raised inside the reader; readActiveSheet() adds the file name.
namespace {
[[noreturn]] void fail(const QString& reason)
{
    throw QuarrixError(reason);
}
}

namespace SpreadsheetReader {

QString numberText(double value)
{
    char buffer[SheetBuilder::kNumberBuffer];
    return QString::fromLatin1(SheetBuilder::numberUtf8(value, buffer));
}

}

SheetCells SpreadsheetReader::readActiveSheet(const QString& path, int maxColumn, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw QuarrixError(QStringLiteral("The spreadsheet '%1' does not exist.").arg(path));
    try {
        if (!info.isFile())
            fail(QStringLiteral("it is not a file"));
        if (info.size() > limits.maxFileBytes)
            fail(QStringLiteral("it is larger than %1 MB").arg(limits.maxFileBytes >> 20));
        // Unbuffered: the .xls reader reads large stretches of its own.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            fail(file.errorString());
        const QByteArray head = file.read(8);
        if (head.startsWith("PK\x03\x04"))
            return XlsxReader::readActiveSheet(path, maxColumn, limits);
        if (CompoundFile::hasSignature(head))
            return XlsReader::readActiveSheet(file, maxColumn, limits);
        fail(QStringLiteral("it is not a workbook"));
    } catch (const QuarrixError& e) {
        throw QuarrixError(QStringLiteral("Cannot read the spreadsheet '%1': %2.").arg(path, e.message()));
    } catch (const std::bad_alloc&) {
        throw QuarrixError(QStringLiteral("Cannot read the spreadsheet '%1': out of memory.").arg(path));
    }
}
