#include "files/atomic_file.h"

#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMarker = QStringLiteral(".quarrix-tmp");

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw QuarrixError(QStringLiteral("Cannot write the file '%1': %2").arg(QDir::toNativeSeparators(path), reason));
}

// Makes a rename durable: a crash right after the save must not bring back
// the old directory entry.
void syncFolder(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// ".<target>.<pid>.quarrix-tmp" beside the target.
QString temporaryName(const QFileInfo& target, qint64 pid)
{
    return target.absoluteDir().filePath(
        QStringLiteral(".%1.%2%3").arg(target.fileName(), QString::number(pid), kMarker));
}

// Temporaries of this target whose writing process no longer runs.
void removeStaleTemporaries(const QFileInfo& target)
{
    const QString prefix = QStringLiteral(".%1.").arg(target.fileName());
    const QDir folder = target.absoluteDir();
    const QStringList names
        = folder.entryList({ prefix + QStringLiteral("*") + kMarker }, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size(), name.size() - prefix.size() - kMarker.size()).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(folder.filePath(name));
    }
}

// The permissions the new file gets: the target's own, or those of an
// ordinary new file under the process's umask.
mode_t modeFor(const QFileInfo& target)
{
    struct stat st;
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(path, AtomicFile::systemReason(errno));
        }
        data += n;
        left -= n;
    }
}

}

namespace AtomicFile {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Replacement::Replacement(const QString& target)
    : m_target(target)
{
    if (target.isEmpty())
        fail(target, QStringLiteral("no file name was given"));
    const QFileInfo info(target);
    if (info.isDir())
        fail(target, QStringLiteral("it is a folder"));
    removeStaleTemporaries(info);
    m_temp = temporaryName(info, ::getpid());
    // Created here so that a folder that cannot take the file is told at once.
    const int fd = ::open(QFile::encodeName(m_temp).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        m_temp.clear();
        fail(target, systemReason(error));
    }
    ::fchmod(fd, modeFor(info));
    ::close(fd);
}

Replacement::~Replacement()
{
    if (!m_committed && !m_temp.isEmpty())
        QFile::remove(m_temp);
}

void Replacement::requireTrailer(const QByteArray& trailer) const
{
    QFile file(m_temp);
    if (!file.open(QIODevice::ReadOnly))
        fail(m_target, file.errorString());
    const qint64 tail = std::min<qint64>(file.size(), trailer.size() + 1024);
    file.seek(file.size() - tail);
    if (!file.read(tail).contains(trailer))
        fail(m_target, QStringLiteral("the file was not written whole (is the disk full?)"));
}

void Replacement::commit()
{
    const QByteArray temp = QFile::encodeName(m_temp);
    const int fd = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(m_target, systemReason(errno));
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(m_target, systemReason(error));
    }
    ::close(fd);
    const QFileInfo info(m_target);
    if (::rename(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0)
        fail(m_target, systemReason(errno));
    m_committed = true;
    syncFolder(info.absolutePath());
}

void write(const QString& path, const QByteArray& bytes)
{
    Replacement replacement(path);
    const int fd = ::open(QFile::encodeName(replacement.tempPath()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        fail(path, systemReason(errno));
    try {
        writeAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        fail(path, systemReason(errno));
    replacement.commit();
}

}
