#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>

// The fuzz input as a file, for readers that take a path. The folder is made
// once per process, in memory where the system offers it, and removed with
// what it holds when the process ends (run_fuzzers.sh removes the folders of
// processes that died).
inline QString fuzzWorkFolder()
{
    struct Folder {
        QString path;
        Folder()
        {
            const QString base
                = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
            path = base + QStringLiteral("/quarrix-fuzz-%1").arg(QCoreApplication::applicationPid());
            QDir().mkpath(path);
        }
        ~Folder() { QDir(path).removeRecursively(); }
    };
    static const Folder folder;
    return folder.path;
}

inline QString writeFuzzInput(const uint8_t* data, size_t size, const char* name)
{
    const QString path = fuzzWorkFolder() + QLatin1Char('/') + QString::fromLatin1(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}
