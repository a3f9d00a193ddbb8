#pragma once

#include "office/block_file.h"

#include <QByteArray>
#include <QString>
#include <vector>
#include <zlib.h>

// Writes a zip archive straight into a file, one part after another. A
// part's data may be handed over in pieces: it is compressed as it comes and
// written out in blocks, so no part is ever held whole.
//
// Raises QuarrixError, naming `shownPath` and the system's reason, when the
// file cannot be written. The file is left incomplete then: callers write to
// a temporary and keep it only when finish() succeeds.
class ZipStream {
public:
    ZipStream(const QString& path, const QString& shownPath);
    ~ZipStream();
    ZipStream(const ZipStream&) = delete;
    ZipStream& operator=(const ZipStream&) = delete;

    void beginPart(const QString& name);
    void write(const char* data, qsizetype size);
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    void endPart();
    // A whole part at once.
    void addPart(const QString& name, const QByteArray& data);

    // Writes the central directory and closes the file.
    void finish();

private:
    struct Entry {
        QByteArray name;
        quint32 crc = 0;
        quint64 compressed = 0;
        quint64 size = 0;
        quint64 offset = 0;
    };

    void deflateSome(int flush);
    void output(const char* data, qsizetype size);
    [[noreturn]] void tooLarge() const;

    BlockFile m_file;
    z_stream m_zlib {};
    bool m_zlibReady = false;
    quint16 m_dosTime = 0;
    quint16 m_dosDate = 0;
    std::vector<Entry> m_entries;
};
