#include "office/compound_file_reader.h"

#include "store/quarrix_error.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kMaxRegular = 0xFFFFFFFA;
constexpr unsigned char kMagic[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
constexpr int kEntrySize = 128;

[[noreturn]] void damaged(const char* what)
{
    throw QuarrixError(QString::fromLatin1(what));
}

}

// A stream as the places in the file of its sectors (or mini sectors, which
// lie inside the sectors of the mini stream); read where it is asked for.
class CompoundFile::Stream : public ByteSource {
public:
    Stream(const CompoundFile& file, std::vector<qint64> places, qint64 unit, qint64 size)
        : m_file(file)
        , m_places(std::move(places))
        , m_unit(unit)
        , m_size(size)
    {
    }
    qint64 size() const override { return m_size; }
    void read(qint64 position, char* into, qint64 count) const override
    {
        if (position < 0 || count < 0 || position + count > m_size)
            damaged("a stream is read past its end");
        while (count > 0) {
            size_t unit = size_t(position / m_unit);
            const qint64 within = position % m_unit;
            const qint64 place = m_places[unit] + within;
            // Sectors that follow each other in the file are read at once.
            qint64 run = m_unit - within;
            while (run < count && unit + 1 < m_places.size() && m_places[unit + 1] == m_places[unit] + m_unit) {
                run += m_unit;
                ++unit;
            }
            const qint64 n = std::min(run, count);
            m_file.readAt(place, into, n);
            into += n;
            position += n;
            count -= n;
        }
    }

private:
    const CompoundFile& m_file;
    std::vector<qint64> m_places;
    qint64 m_unit;
    qint64 m_size;
};

bool CompoundFile::hasSignature(const QByteArray& head)
{
    return head.size() >= 8 && memcmp(head.constData(), kMagic, 8) == 0;
}

quint32 CompoundFile::headerU32(int offset) const
{
    return qFromLittleEndian<quint32>(m_header.constData() + offset);
}

void CompoundFile::readAt(qint64 offset, char* into, qint64 count) const
{
    if (offset < 0 || offset + count > m_fileSize)
        damaged("the container points outside the file");
    if (!m_device.seek(offset) || m_device.read(into, count) != count)
        throw QuarrixError(m_device.errorString());
}

qint64 CompoundFile::sectorOffset(quint32 sector) const
{
    if (sector > kMaxRegular || qint64(sector) >= m_sectorCount)
        damaged("a sector number points outside the file");
    return qint64(sector + 1) * m_sectorSize;
}

CompoundFile::CompoundFile(QIODevice& device)
    : m_device(device)
    , m_fileSize(device.size())
{
    m_header.resize(512);
    if (m_fileSize < 512 || !device.seek(0) || device.read(m_header.data(), 512) != 512 || !hasSignature(m_header))
        damaged("the container header is missing");
    const quint16 shift = qFromLittleEndian<quint16>(m_header.constData() + 30);
    const quint16 miniShift = qFromLittleEndian<quint16>(m_header.constData() + 32);
    if ((shift != 9 && shift != 12) || miniShift != 6)
        damaged("the container's sector size is invalid");
    m_sectorSize = 1u << shift;
    m_miniSectorSize = 1u << miniShift;
    const quint32 fatSectors = headerU32(44);
    m_dirStart = headerU32(48);
    m_miniCutoff = headerU32(56);
    m_miniFatStart = headerU32(60);
    m_miniFatSectors = headerU32(64);
    quint32 difatStart = headerU32(68);
    const quint32 difatSectors = headerU32(72);

    m_sectorCount = (m_fileSize - qint64(m_sectorSize) + m_sectorSize - 1) / m_sectorSize;
    if (fatSectors > quint64(m_sectorCount) || difatSectors > quint64(m_sectorCount))
        damaged("the sector table is larger than the file");

    // A table sector read whole; one that the file ends inside of is damage.
    const quint32 perSector = m_sectorSize / 4;
    std::vector<quint32> entries(perSector);
    auto readTableSector = [&](quint32 sector) {
        const qint64 base = sectorOffset(sector);
        readAt(base, reinterpret_cast<char*>(entries.data()), m_sectorSize);
        for (quint32& e : entries)
            e = qFromLittleEndian(e);
    };

    // The FAT sectors: 109 listed in the header, the rest in DIFAT sectors.
    std::vector<quint32> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(headerU32(76 + 4 * i));
    for (quint32 d = 0; d < difatSectors && fatList.size() < fatSectors; ++d) {
        readTableSector(difatStart);
        for (quint32 i = 0; i < perSector - 1 && fatList.size() < fatSectors; ++i)
            fatList.push_back(entries[i]);
        difatStart = entries[perSector - 1];
    }
    if (fatList.size() < fatSectors)
        damaged("the sector table is incomplete");
    // Entries past the file's last sector can never be followed (a chain
    // reaching one points outside the file), so only those before it are
    // held: a table that claims far more than the file holds costs nothing.
    m_fatLength = quint64(fatSectors) * perSector;
    const quint64 held = std::min<quint64>(m_fatLength, quint64(m_sectorCount));
    m_fat.reserve(size_t(held));
    for (quint32 s : fatList) {
        if (m_fat.size() >= held) {
            sectorOffset(s); // still a sector of the file
            if (qint64(s + 2) * m_sectorSize > m_fileSize)
                damaged("the container points outside the file");
            continue;
        }
        readTableSector(s);
        const size_t n = std::min<size_t>(perSector, size_t(held) - m_fat.size());
        m_fat.insert(m_fat.end(), entries.begin(), entries.begin() + qsizetype(n));
    }

    // Every entry is checked once; the root (the first) is kept.
    bool first = true;
    walkDirectory([&](const Entry& e) {
        if (e.size > quint64(m_fileSize))
            damaged("a stream is larger than the file");
        if (first)
            m_root = e;
        first = false;
    });
    if (first || m_root.type != 5)
        damaged("the container has no root entry");
}

CompoundFile::~CompoundFile() = default;

std::vector<quint32> CompoundFile::chain(quint32 start, quint64 size, bool mini) const
{
    const std::vector<quint32>& table = mini ? m_miniFat : m_fat;
    const quint64 length = mini ? m_miniFatLength : m_fatLength;
    const quint32 unit = mini ? m_miniSectorSize : m_sectorSize;
    const qint64 sourceSize = mini ? m_miniStreamSize : m_fileSize;
    std::vector<quint32> sectors;
    quint32 s = start;
    // A valid chain visits each sector of its source at most once, so a chain
    // longer than that is a loop; this also bounds what is gathered.
    const qint64 maxSteps = sourceSize / unit + 1;
    while (s != kEndOfChain && (size == 0 || quint64(sectors.size()) * unit < size)) {
        if (s >= length || qint64(sectors.size()) + 1 > maxSteps)
            damaged("a sector chain is broken");
        const qint64 offset = mini ? qint64(s) * unit : qint64(s + 1) * unit;
        if (offset + unit > sourceSize)
            damaged("a sector chain points outside the file");
        sectors.push_back(s);
        s = table[s];
    }
    if (size && quint64(sectors.size()) * unit < size)
        damaged("a stream is shorter than its size");
    return sectors;
}

template <class Visit> void CompoundFile::walkDirectory(Visit&& visit) const
{
    QByteArray sector(m_sectorSize, Qt::Uninitialized);
    for (const quint32 s : chain(m_dirStart, 0, false)) {
        readAt(qint64(s + 1) * m_sectorSize, sector.data(), m_sectorSize);
        for (qint64 off = 0; off + kEntrySize <= sector.size(); off += kEntrySize) {
            const char* at = sector.constData() + off;
            Entry e;
            const int nameBytes = qFromLittleEndian<quint16>(at + 64);
            e.type = quint8(at[66]);
            if (e.type == 0)
                continue;
            const int chars = std::clamp(nameBytes / 2 - 1, 0, 31);
            e.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(at), chars);
            e.start = qFromLittleEndian<quint32>(at + 116);
            e.size = qFromLittleEndian<quint32>(at + 120); // the high half is unused in version 3
            visit(e);
        }
    }
}

std::optional<CompoundFile::Entry> CompoundFile::find(const QString& name) const
{
    std::optional<Entry> found;
    walkDirectory([&](const Entry& e) {
        if (!found && e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            found = e;
    });
    return found;
}

bool CompoundFile::hasStream(const QString& name) const
{
    return find(name).has_value();
}

void CompoundFile::loadMiniStream() const
{
    if (m_miniLoaded)
        return;
    m_miniLoaded = true;
    if (m_miniFatSectors == 0 || m_miniFatStart > kMaxRegular)
        return;
    const std::vector<quint32> sectors = chain(m_miniFatStart, 0, false);
    m_miniFatLength = quint64(sectors.size()) * (m_sectorSize / 4);
    if (m_root.start > kMaxRegular)
        return;
    m_miniStreamSectors = chain(m_root.start, m_root.size, false);
    // A root that gives no size has all of its chain.
    m_miniStreamSize = m_root.size ? qint64(m_root.size) : qint64(m_miniStreamSectors.size()) * m_sectorSize;
    // As with the FAT, entries past the mini stream's end are never followed.
    const quint64 held = std::min<quint64>(m_miniFatLength, quint64(m_miniStreamSize) / m_miniSectorSize + 1);
    std::vector<quint32> entries(m_sectorSize / 4);
    for (const quint32 s : sectors) {
        if (m_miniFat.size() >= held)
            break;
        readAt(qint64(s + 1) * m_sectorSize, reinterpret_cast<char*>(entries.data()), m_sectorSize);
        for (size_t i = 0; i < entries.size() && m_miniFat.size() < held; ++i)
            m_miniFat.push_back(qFromLittleEndian(entries[i]));
    }
}

std::unique_ptr<ByteSource> CompoundFile::openStream(const QString& name) const
{
    const std::optional<Entry> e = find(name);
    if (!e)
        throw QuarrixError(QStringLiteral("the stream %1 is missing").arg(name));
    if (e->size == 0)
        return std::make_unique<Stream>(*this, std::vector<qint64>(), 1, 0);
    std::vector<qint64> places;
    if (e->size >= m_miniCutoff) {
        for (const quint32 s : chain(e->start, e->size, false))
            places.push_back(qint64(s + 1) * m_sectorSize);
        return std::make_unique<Stream>(*this, std::move(places), m_sectorSize, qint64(e->size));
    }
    // A small stream lies in mini sectors inside the mini stream, which is
    // itself the root entry's chain of sectors.
    loadMiniStream();
    for (const quint32 m : chain(e->start, e->size, true)) {
        const qint64 at = qint64(m) * m_miniSectorSize; // inside the mini stream, checked by chain()
        places.push_back(qint64(m_miniStreamSectors[size_t(at / m_sectorSize)] + 1) * m_sectorSize + at % m_sectorSize);
    }
    return std::make_unique<Stream>(*this, std::move(places), m_miniSectorSize, qint64(e->size));
}
