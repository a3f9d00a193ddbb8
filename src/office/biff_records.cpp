#include "office/biff_records.h"

#include "store/quarrix_error.h"

#include <QtEndian>

namespace Biff {

namespace {
constexpr size_t kMaxContinuations = 1 << 20;
}

RecordWalker::RecordWalker(QByteArrayView stream, qsizetype position)
    : m_stream(stream)
    , m_position(position)
{
}

bool RecordWalker::next(Record& record)
{
    auto header = [&](qsizetype at, int* type, qsizetype* length) {
        *type = qFromLittleEndian<quint16>(m_stream.data() + at);
        *length = qFromLittleEndian<quint16>(m_stream.data() + at + 2);
        if (*length > m_stream.size() - at - 4)
            throw QuarrixError(QStringLiteral("a record runs past the end of the workbook"));
    };
    if (m_position < 0 || m_stream.size() - m_position < 4)
        return false;
    qsizetype length = 0;
    header(m_position, &record.type, &length);
    record.parts.assign(1, m_stream.sliced(m_position + 4, length));
    m_position += 4 + length;
    while (m_stream.size() - m_position >= 4) {
        int type = 0;
        header(m_position, &type, &length);
        if (type != kContinue)
            break;
        // Real records go on in a few thousand at most; empty ones in the
        // millions would only cost memory.
        if (record.parts.size() > kMaxContinuations)
            throw QuarrixError(QStringLiteral("a record goes on in more than %1 continuations").arg(kMaxContinuations));
        record.parts.push_back(m_stream.sliced(m_position + 4, length));
        m_position += 4 + length;
    }
    return true;
}

RecordReader::RecordReader(const Record& record, bool unicodeStrings, NarrowText narrow)
    : m_record(record)
    , m_unicode(unicodeStrings)
    , m_narrow(std::move(narrow))
{
}

bool RecordReader::atEnd() const
{
    for (size_t p = m_part; p < m_record.parts.size(); ++p)
        if (m_record.parts[p].size() > (p == m_part ? m_offset : 0))
            return false;
    return true;
}

void RecordReader::nextPart()
{
    if (m_part + 1 >= m_record.parts.size())
        throw QuarrixError(QStringLiteral("a record of type %1 is shorter than its content")
                               .arg(m_record.type, 4, 16, QLatin1Char('0')));
    ++m_part;
    m_offset = 0;
}

quint8 RecordReader::u8()
{
    while (m_offset >= m_record.parts[m_part].size())
        nextPart();
    return quint8(m_record.parts[m_part][m_offset++]);
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
        while (m_offset >= m_record.parts[m_part].size())
            nextPart();
        const qint64 step = std::min<qint64>(bytes, m_record.parts[m_part].size() - m_offset);
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
        if (m_offset >= m_record.parts[m_part].size()) {
            nextPart();
            // Characters that run into a continuation start it with a flag
            // byte of their own: the rest may be in the other width.
            if (m_unicode)
                wide = u8() & 0x01;
            continue;
        }
        const QByteArrayView part = m_record.parts[m_part];
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
