#pragma once

#include <QByteArray>
#include <QString>

// A new file written in large blocks through the system's own calls, so that
// a failure (a full disk) is reported with the system's reason. Raises
// QuarrixError naming `shownPath` (the file the user asked for, which may
// differ from the temporary actually written).
class BlockFile {
public:
    BlockFile(const QString& path, const QString& shownPath);
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    void write(const char* data, qsizetype size);
    // Overwrites bytes already written, at `offset`.
    void patch(quint64 offset, const QByteArray& bytes);
    void close();

    quint64 size() const { return m_size; } // written so far, buffered bytes included
    const QString& shownPath() const { return m_shown; }

    [[noreturn]] void fail(const QString& reason) const;

private:
    void writeAll(const char* data, qsizetype size);
    void flush();

    QString m_shown;
    int m_fd = -1;
    quint64 m_size = 0;
    QByteArray m_buffer;
};
