// Archive text of any bytes: decoded and parsed, errors raised as QuarrixError.
#include "archive/archive_reader.h"
#include "store/quarrix_error.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        ArchiveReader::parse(ArchiveReader::decode(bytes), QStringLiteral("fuzz.txt"));
    } catch (const QuarrixError&) {
    }
    return 0;
}
