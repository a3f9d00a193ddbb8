#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>

// The fuzz input as a file, for readers that take a path. The folder is made
// once per process, in memory where the system offers it.
inline QString fuzzWorkFolder()
{
    static const QString folder = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        QString path = base + QStringLiteral("/quarrix-fuzz-%1").arg(QCoreApplication::applicationPid());
        QDir().mkpath(path);
        return path;
    }();
    return folder;
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
