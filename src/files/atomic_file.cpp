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
    if (m_fd >= 0)
        ::close(m_fd);
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

int Replacement::descriptor()
{
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(m_temp).constData(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0)
            fail(m_target, systemReason(errno));
    }
    return m_fd;
}

void Replacement::write(QByteArrayView bytes)
{
    const int fd = descriptor();
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(m_target, systemReason(errno));
        }
        data += n;
        left -= n;
    }
}

void Replacement::rewind()
{
    const int fd = descriptor();
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        fail(m_target, systemReason(errno));
}

void Replacement::syncAndClose()
{
    const QByteArray temp = QFile::encodeName(m_temp);
    // A library may have written the file through a descriptor of its own.
    const int fd = m_fd >= 0 ? m_fd : ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
    m_fd = -1;
    if (fd < 0)
        fail(m_target, systemReason(errno));
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(m_target, systemReason(error));
    }
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0)
        fail(m_target, systemReason(errno));
}

void Replacement::commit()
{
    syncAndClose();
    const QFileInfo info(m_target);
    if (::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0)
        fail(m_target, systemReason(errno));
    m_committed = true;
    syncFolder(info.absolutePath());
}

bool Replacement::commitUnlessPresent()
{
    syncAndClose();
    const QFileInfo info(m_target);
    const QByteArray temp = QFile::encodeName(m_temp);
    // A hard link is made only where no file is; a file system without
    // links gets the file renamed into place after a last look.
    if (::link(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return false;
        if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP)
            fail(m_target, systemReason(error));
        if (info.exists())
            return false;
        commit();
        return true;
    }
    ::unlink(temp.constData());
    m_committed = true;
    syncFolder(info.absolutePath());
    return true;
}

void write(const QString& path, const QByteArray& bytes)
{
    Replacement replacement(path);
    replacement.write(bytes);
    replacement.commit();
}

}
