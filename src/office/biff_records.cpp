#include "office/biff_records.h"

#include "store/quarrix_error.h"

#include <QtEndian>

namespace Biff {

namespace {
constexpr size_t kMaxContinuations = 1 << 20;
constexpr qint64 kWindow = 256 << 10; // read from the stream at once
}

RecordWalker::RecordWalker(const ByteSource& stream, qint64 position)
    : m_stream(stream)
    , m_position(position)
{
}

void RecordWalker::seek(qint64 position)
{
    m_position = position;
    m_inRecord = false;
}

QByteArrayView RecordWalker::bytes(qint64 position, qint64 size)
{
    if (position < m_windowStart || position + size > m_windowStart + m_window.size()) {
        const qint64 length = std::min(std::max(size, kWindow), m_stream.size() - position);
        m_window.resize(qsizetype(length));
        m_windowStart = position;
        m_stream.read(position, m_window.data(), length);
    }
    return QByteArrayView(m_window.constData() + (position - m_windowStart), qsizetype(size));
}

bool RecordWalker::header(int* type, qint64* length)
{
    if (m_position < 0 || m_stream.size() - m_position < 4)
        return false;
    const QByteArrayView head = bytes(m_position, 4);
    *type = qFromLittleEndian<quint16>(head.data());
    *length = qFromLittleEndian<quint16>(head.data() + 2);
    if (*length > m_stream.size() - m_position - 4)
        throw QuarrixError(QStringLiteral("a record runs past the end of the workbook"));
    return true;
}

bool RecordWalker::nextContinuation(QByteArrayView* body)
{
    int type = 0;
    qint64 length = 0;
    if (!m_inRecord || !header(&type, &length) || type != kContinue)
        return false;
    // Real records go on in a few thousand at most; empty ones in the
    // millions would only cost time.
    if (++m_continuations > kMaxContinuations)
        throw QuarrixError(QStringLiteral("a record goes on in more than %1 continuations").arg(kMaxContinuations));
    *body = bytes(m_position + 4, length);
    m_position += 4 + length;
    return true;
}

bool RecordWalker::next(Record& record)
{
    QByteArrayView passed;
    while (nextContinuation(&passed)) { }
    int type = 0;
    qint64 length = 0;
    if (!header(&type, &length))
        return false;
    record.type = type;
    record.position = m_position;
    record.body = bytes(m_position + 4, length);
    record.walker = this;
    m_position += 4 + length;
    m_continuations = 0;
    m_inRecord = true;
    return true;
}

RecordReader::RecordReader(const Record& record, bool unicodeStrings, NarrowText narrow)
    : m_type(record.type)
    , m_walker(record.walker)
    , m_unicode(unicodeStrings)
    , m_narrow(std::move(narrow))
    , m_part(record.body)
{
}

bool RecordReader::atEnd()
{
    while (m_offset >= m_part.size()) {
        if (!m_walker->nextContinuation(&m_part))
            return true;
        m_offset = 0;
    }
    return false;
}

void RecordReader::nextPart()
{
    if (!m_walker->nextContinuation(&m_part))
        throw QuarrixError(
            QStringLiteral("a record of type %1 is shorter than its content").arg(m_type, 4, 16, QLatin1Char('0')));
    m_offset = 0;
}

quint8 RecordReader::u8()
{
    while (m_offset >= m_part.size())
        nextPart();
    return quint8(m_part[m_offset++]);
}

quint16 RecordReader::u16()
{
    const quint16 low = u8();
    return quint16(low | (u8() << 8));
}

quint32 RecordReader::u32()
{
    const quint32 low = u16();
    return low | (quint32(u16()) << 16);
}

void RecordReader::skip(qint64 bytes)
{
    while (bytes > 0) {
        while (m_offset >= m_part.size())
            nextPart();
        const qint64 step = std::min<qint64>(bytes, m_part.size() - m_offset);
        m_offset += step;
        bytes -= step;
    }
}

QString RecordReader::string(int count, bool richStrings)
{
    if (!m_unicode)
        return characters(count, false);
    const quint8 flags = u8();
    const bool rich = richStrings && (flags & 0x08);
    const bool phonetic = richStrings && (flags & 0x04);
    const int runs = rich ? u16() : 0;
    const quint32 phoneticBytes = phonetic ? u32() : 0;
    QString text = characters(count, flags & 0x01);
    skip(4LL * runs);
    skip(phoneticBytes);
    return text;
}

QString RecordReader::characters(qint64 count, bool wide)
{
    QString text;
    while (count > 0) {
        if (m_offset >= m_part.size()) {
            nextPart();
            // Characters that run into a continuation start it with a flag
            // byte of their own: the rest may be in the other width.
            if (m_unicode)
                wide = u8() & 0x01;
            continue;
        }
        const QByteArrayView part = m_part;
        const qint64 available = (part.size() - m_offset) / (wide ? 2 : 1);
        if (available == 0)
            throw QuarrixError(QStringLiteral("a string is cut inside a character"));
        const qint64 n = std::min(available, count);
        const char* at = part.data() + m_offset;
        if (wide) {
            QString piece(n, Qt::Uninitialized);
            for (qint64 i = 0; i < n; ++i)
                piece[i] = QChar(qFromLittleEndian<quint16>(at + 2 * i));
            text += piece;
        } else {
            text += m_narrow(QByteArrayView(at, n));
        }
        m_offset += n * (wide ? 2 : 1);
        count -= n;
    }
    return text;
}

}
