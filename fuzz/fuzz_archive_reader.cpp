// Archive files of any bytes: decoded as text and parsed from their bytes,
// errors raised as QuarrixError.
#include "archive/archive_reader.h"
#include "store/quarrix_error.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        ArchiveReader::decode(bytes);
        ArchiveReader::parse(bytes, QStringLiteral("fuzz.txt"));
    } catch (const QuarrixError&) {
    }
    return 0;
}
