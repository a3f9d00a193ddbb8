#pragma once

#include "office/byte_source.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// A reader of the compound-file container that holds .xls workbooks (and
// encrypted .xlsx packages): a FAT of sectors, a directory of named streams
// and a mini stream for small ones. The container is read from its device as
// it is needed: the sector table is held (a 128th of the file), the
// directory and the streams are read from the device when asked for. Every
// chain and size is checked against the file, so a damaged or hostile
// container raises instead of looping or allocating without bound.
class CompoundFile {
public:
    static bool hasSignature(const QByteArray& head); // the 8-byte magic

    // Reads the container's header and sector table from the device (a file
    // or a buffer), which stays open and is read by nothing else while this
    // object and the streams it opened live. Raises QuarrixError with a short
    // reason on damage.
    explicit CompoundFile(QIODevice& device);
    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    bool hasStream(const QString& name) const; // case-insensitive, any storage
    // The stream's bytes, read from the device as they are asked for; raises
    // when it is missing or damaged. Lives no longer than this object.
    std::unique_ptr<ByteSource> openStream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };
    class Stream;

    quint32 headerU32(int offset) const;
    void readAt(qint64 offset, char* into, qint64 count) const;
    qint64 sectorOffset(quint32 sector) const;
    // The sectors of a chain in the FAT or the mini FAT, checked for loops;
    // enough for `size` bytes, or up to its end when size is 0.
    std::vector<quint32> chain(quint32 start, quint64 size, bool mini) const;
    // Calls visit for each entry of the directory, read a sector at a time.
    template <class Visit> void walkDirectory(Visit&& visit) const;
    std::optional<Entry> find(const QString& name) const;
    // The mini FAT and the sectors of the mini stream, read when a small
    // stream is first opened.
    void loadMiniStream() const;

    QIODevice& m_device;
    qint64 m_fileSize = 0;
    QByteArray m_header;
    quint32 m_sectorSize = 512;
    quint32 m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    quint32 m_dirStart = 0;
    quint32 m_miniFatStart = 0;
    quint32 m_miniFatSectors = 0;
    qint64 m_sectorCount = 0;
    std::vector<quint32> m_fat; // its entries up to the file's last sector
    quint64 m_fatLength = 0; // the entries its sectors hold
    Entry m_root;
    mutable bool m_miniLoaded = false;
    mutable std::vector<quint32> m_miniFat; // its entries up to the mini stream's end
    mutable quint64 m_miniFatLength = 0;
    mutable qint64 m_miniStreamSize = 0;
    mutable std::vector<quint32> m_miniStreamSectors;
};
