#include "archive/atomic_file.h"

#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw QuarrixError(QStringLiteral("Cannot write the file '%1': %2").arg(QDir::toNativeSeparators(path), reason));
}

// Makes the rename itself durable: a crash right after the save must not bring
// back the old directory entry.
void syncFolder(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}

namespace AtomicFile {

void write(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        fail(path, QStringLiteral("no file name was given"));
    if (QFileInfo(path).isDir())
        fail(path, QStringLiteral("it is a folder"));
    // QSaveFile writes a temporary file beside the target, syncs it to disk on
    // commit and renames it over the target; an error anywhere discards it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
    syncFolder(path);
}

}
