#include "office/zip_stream.h"

#include <QDateTime>

namespace {

constexpr quint64 kLimit = 0xFFFFFFFFu; // sizes and offsets of a zip without 64-bit extensions
constexpr quint16 kVersion = 20; // 2.0: deflate
constexpr quint16 kUtf8Names = 0x0800;
constexpr quint16 kDeflated = 8;
// Compression level. The generated XML repeats itself so much that level 3
// compresses it about three times as fast as the usual 6 (the deflate that
// dominates writing a large report), for a file about a quarter larger.
constexpr int kLevel = 3;

void put16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

}

ZipStream::ZipStream(const QString& path, const QString& shownPath)
    : m_file(path, shownPath)
{
    if (deflateInit2(&m_zlib, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        m_file.fail(QStringLiteral("the compressor could not start"));
    m_zlibReady = true;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    m_dosTime = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
    m_dosDate = quint16(((std::max(d.year(), 1980) - 1980) << 9) | (d.month() << 5) | d.day());
}

ZipStream::~ZipStream()
{
    if (m_zlibReady)
        deflateEnd(&m_zlib);
}

void ZipStream::tooLarge() const
{
    m_file.fail(QStringLiteral("the document is larger than 4 GiB"));
}

void ZipStream::output(const char* data, qsizetype size)
{
    m_file.write(data, size);
    if (m_file.size() > kLimit)
        tooLarge();
}

void ZipStream::beginPart(const QString& name)
{
    Entry e;
    e.name = name.toUtf8();
    e.offset = m_file.size();
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, kVersion);
    put16(header, kUtf8Names);
    put16(header, kDeflated);
    put16(header, m_dosTime);
    put16(header, m_dosDate);
    put32(header, 0); // CRC and sizes: filled in by endPart()
    put32(header, 0);
    put32(header, 0);
    put16(header, quint16(e.name.size()));
    put16(header, 0);
    header.append(e.name);
    output(header.constData(), header.size());
    m_entries.push_back(std::move(e));
    deflateReset(&m_zlib);
}

void ZipStream::deflateSome(int flush)
{
    char chunk[64 * 1024];
    for (;;) {
        m_zlib.next_out = reinterpret_cast<Bytef*>(chunk);
        m_zlib.avail_out = sizeof chunk;
        const int result = deflate(&m_zlib, flush);
        if (result == Z_STREAM_ERROR)
            m_file.fail(QStringLiteral("the compressor failed"));
        const qsizetype produced = qsizetype(sizeof chunk - m_zlib.avail_out);
        m_entries.back().compressed += quint64(produced);
        output(chunk, produced);
        // Without flushing, deflate has taken all input once it leaves room.
        if (flush == Z_FINISH ? result == Z_STREAM_END : m_zlib.avail_out != 0)
            return;
    }
}

void ZipStream::write(const char* data, qsizetype size)
{
    Entry& e = m_entries.back();
    while (size > 0) {
        const uInt piece = uInt(std::min<qsizetype>(size, 1 << 30));
        e.crc = quint32(crc32(e.crc, reinterpret_cast<const Bytef*>(data), piece));
        e.size += piece;
        if (e.size > kLimit)
            tooLarge();
        m_zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_zlib.avail_in = piece;
        deflateSome(Z_NO_FLUSH);
        data += piece;
        size -= piece;
    }
}

void ZipStream::endPart()
{
    m_zlib.next_in = nullptr;
    m_zlib.avail_in = 0;
    deflateSome(Z_FINISH);
    const Entry& e = m_entries.back();
    QByteArray sizes;
    put32(sizes, e.crc);
    put32(sizes, quint32(e.compressed));
    put32(sizes, quint32(e.size));
    m_file.patch(e.offset + 14, sizes);
}

void ZipStream::addPart(const QString& name, const QByteArray& data)
{
    beginPart(name);
    write(data);
    endPart();
}

void ZipStream::finish()
{
    const quint64 start = m_file.size();
    QByteArray directory;
    for (const Entry& e : m_entries) {
        put32(directory, 0x02014b50);
        put16(directory, quint16((3 << 8) | kVersion)); // made on Unix
        put16(directory, kVersion);
        put16(directory, kUtf8Names);
        put16(directory, kDeflated);
        put16(directory, m_dosTime);
        put16(directory, m_dosDate);
        put32(directory, e.crc);
        put32(directory, quint32(e.compressed));
        put32(directory, quint32(e.size));
        put16(directory, quint16(e.name.size()));
        put16(directory, 0); // extra field
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, quint32(0100644) << 16); // a regular file, rw-r--r--
        put32(directory, quint32(e.offset));
        directory.append(e.name);
    }
    if (m_entries.size() > 0xFFFF)
        tooLarge();
    const quint16 count = quint16(m_entries.size());
    const quint64 size = quint64(directory.size());
    put32(directory, 0x06054b50);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, count);
    put16(directory, count);
    put32(directory, quint32(size));
    put32(directory, quint32(start));
    put16(directory, 0);
    output(directory.constData(), directory.size());
    m_file.close();
}
