#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A reader of the compound-file container that holds .xls workbooks (and
// encrypted .xlsx packages): a FAT of sectors, a directory of named streams
// and a mini stream for small ones. Every chain and size is checked against
// the file, so a damaged or hostile container raises instead of looping or
// allocating without bound.
class CompoundFile {
public:
    static bool hasSignature(const QByteArray& head); // the 8-byte magic

    // Parses the container held in data. Raises QuarrixError with a short
    // reason on damage.
    explicit CompoundFile(QByteArray data);

    QStringList streamNames() const;
    bool hasStream(const QString& name) const; // case-insensitive, any storage
    // The stream's bytes; raises when it is missing or damaged.
    QByteArray stream(const QString& name) const;
    // The same, gathered inside the container's own bytes when its sectors
    // come in ascending order (as writers lay them out) and the container is
    // their only holder, so a large stream is not held twice; the container
    // is spent.
    QByteArray takeStream(const QString& name) &&;

private:
    struct Entry {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };
    quint32 u32(qint64 offset) const;
    QByteArray chain(quint32 start, quint64 size, bool mini) const;
    const Entry* find(const QString& name) const;

    QByteArray m_data;
    quint32 m_sectorSize = 512;
    quint32 m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    std::vector<Entry> m_entries;
    QByteArray m_miniStream;
};
