#include "office/compound_file_reader.h"

#include "store/quarrix_error.h"

#include <QtEndian>
#include <cstring>

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kMaxRegular = 0xFFFFFFFA;
constexpr unsigned char kMagic[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };

[[noreturn]] void damaged(const char* what)
{
    throw QuarrixError(QString::fromLatin1(what));
}

}

bool CompoundFile::hasSignature(const QByteArray& head)
{
    return head.size() >= 8 && memcmp(head.constData(), kMagic, 8) == 0;
}

quint32 CompoundFile::u32(qint64 offset) const
{
    if (offset < 0 || offset + 4 > m_data.size())
        damaged("the container points outside the file");
    return qFromLittleEndian<quint32>(m_data.constData() + offset);
}

CompoundFile::CompoundFile(QByteArray data)
    : m_data(std::move(data))
{
    if (m_data.size() < 512 || !hasSignature(m_data))
        damaged("the container header is missing");
    const quint16 shift = qFromLittleEndian<quint16>(m_data.constData() + 30);
    const quint16 miniShift = qFromLittleEndian<quint16>(m_data.constData() + 32);
    if ((shift != 9 && shift != 12) || miniShift != 6)
        damaged("the container's sector size is invalid");
    m_sectorSize = 1u << shift;
    m_miniSectorSize = 1u << miniShift;
    const quint32 fatSectors = u32(44);
    const quint32 dirStart = u32(48);
    m_miniCutoff = u32(56);
    const quint32 miniFatStart = u32(60);
    const quint32 miniFatSectors = u32(64);
    quint32 difatStart = u32(68);
    const quint32 difatSectors = u32(72);

    const qint64 sectorCount = (m_data.size() - qint64(m_sectorSize) + m_sectorSize - 1) / m_sectorSize;
    auto sectorOffset = [&](quint32 s) -> qint64 {
        if (s > kMaxRegular || qint64(s) >= sectorCount)
            damaged("a sector number points outside the file");
        return qint64(s + 1) * m_sectorSize;
    };
    if (fatSectors > quint64(sectorCount) || difatSectors > quint64(sectorCount))
        damaged("the sector table is larger than the file");

    // The FAT sectors: 109 listed in the header, the rest in DIFAT sectors.
    std::vector<quint32> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(u32(76 + 4 * i));
    const quint32 perDifat = m_sectorSize / 4 - 1;
    for (quint32 d = 0; d < difatSectors && fatList.size() < fatSectors; ++d) {
        const qint64 base = sectorOffset(difatStart);
        for (quint32 i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32(base + 4 * i));
        difatStart = u32(base + 4 * perDifat);
    }
    if (fatList.size() < fatSectors)
        damaged("the sector table is incomplete");
    m_fat.reserve(size_t(fatSectors) * (m_sectorSize / 4));
    for (quint32 s : fatList) {
        const qint64 base = sectorOffset(s);
        for (quint32 i = 0; i < m_sectorSize / 4; ++i)
            m_fat.push_back(u32(base + 4 * i));
    }

    const QByteArray dir = chain(dirStart, 0, false);
    for (qint64 off = 0; off + 128 <= dir.size(); off += 128) {
        Entry e;
        const int nameBytes = qFromLittleEndian<quint16>(dir.constData() + off + 64);
        e.type = quint8(dir.at(off + 66));
        if (e.type == 0)
            continue;
        const int chars = std::clamp(nameBytes / 2 - 1, 0, 31);
        e.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(dir.constData() + off), chars);
        e.start = qFromLittleEndian<quint32>(dir.constData() + off + 116);
        e.size = qFromLittleEndian<quint32>(dir.constData() + off + 120); // the high half is unused in version 3
        if (e.size > quint64(m_data.size()))
            damaged("a stream is larger than the file");
        m_entries.push_back(e);
    }
    if (m_entries.empty() || m_entries.front().type != 5)
        damaged("the container has no root entry");

    if (miniFatSectors > 0 && miniFatStart <= kMaxRegular) {
        const QByteArray miniFat = chain(miniFatStart, 0, false);
        for (qint64 i = 0; i + 4 <= miniFat.size(); i += 4)
            m_miniFat.push_back(qFromLittleEndian<quint32>(miniFat.constData() + i));
        const Entry& root = m_entries.front();
        if (root.start <= kMaxRegular)
            m_miniStream = chain(root.start, root.size, false);
    }
}

QByteArray CompoundFile::chain(quint32 start, quint64 size, bool mini) const
{
    const std::vector<quint32>& table = mini ? m_miniFat : m_fat;
    const quint32 unit = mini ? m_miniSectorSize : m_sectorSize;
    const QByteArray& source = mini ? m_miniStream : m_data;
    QByteArray out;
    quint32 s = start;
    // A valid chain visits each sector of its source at most once, so a chain
    // longer than that is a loop; this also bounds the bytes gathered.
    const qint64 maxSteps = source.size() / unit + 1;
    qint64 steps = 0;
    while (s != kEndOfChain && (size == 0 || quint64(out.size()) < size)) {
        if (s >= table.size() || ++steps > maxSteps)
            damaged("a sector chain is broken");
        const qint64 offset = mini ? qint64(s) * unit : qint64(s + 1) * unit;
        if (offset + unit > source.size())
            damaged("a sector chain points outside the file");
        out.append(source.constData() + offset, unit);
        s = table[s];
    }
    if (size) {
        if (quint64(out.size()) < size)
            damaged("a stream is shorter than its size");
        out.truncate(qsizetype(size));
    }
    return out;
}

const CompoundFile::Entry* CompoundFile::find(const QString& name) const
{
    for (const Entry& e : m_entries)
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QStringList CompoundFile::streamNames() const
{
    QStringList names;
    for (const Entry& e : m_entries)
        if (e.type == 2)
            names << e.name;
    return names;
}

bool CompoundFile::hasStream(const QString& name) const
{
    return find(name) != nullptr;
}

QByteArray CompoundFile::stream(const QString& name) const
{
    const Entry* e = find(name);
    if (!e)
        throw QuarrixError(QStringLiteral("the stream %1 is missing").arg(name));
    if (e->size == 0)
        return {};
    return chain(e->start, e->size, e->size < m_miniCutoff);
}

QByteArray CompoundFile::takeStream(const QString& name) &&
{
    const Entry* e = find(name);
    if (!e || e->size < m_miniCutoff || !m_data.isDetached())
        return stream(name);
    // Sector k of an ascending chain lies at or after where it goes, k sector
    // sizes into the buffer, and before every later one: moving each to the
    // front overwrites nothing still to be read.
    const qsizetype unit = m_sectorSize;
    const qint64 maxSteps = m_data.size() / unit + 1;
    std::vector<quint32> sectors;
    for (quint32 s = e->start; s != kEndOfChain && quint64(sectors.size()) * unit < e->size;) {
        if (s >= m_fat.size() || qint64(sectors.size()) >= maxSteps)
            damaged("a sector chain is broken");
        if (!sectors.empty() && s <= sectors.back())
            return stream(name); // not ascending: gathered into a copy
        if ((qint64(s) + 2) * unit > m_data.size())
            damaged("a sector chain points outside the file");
        sectors.push_back(s);
        s = m_fat[s];
    }
    if (quint64(sectors.size()) * unit < e->size)
        damaged("a stream is shorter than its size");
    const quint64 size = e->size;
    char* bytes = m_data.data();
    for (size_t k = 0; k < sectors.size(); ++k)
        std::memmove(bytes + qint64(k) * unit, bytes + (qint64(sectors[k]) + 1) * unit, size_t(unit));
    QByteArray out = std::move(m_data);
    out.truncate(qsizetype(size));
    out.squeeze();
    return out;
}
