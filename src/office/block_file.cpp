#include "office/block_file.h"

#include "files/atomic_file.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr qsizetype kBlock = 256 * 1024;
}

BlockFile::BlockFile(const QString& path, const QString& shownPath)
    : m_shown(shownPath)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        fail(AtomicFile::systemReason(errno));
    m_buffer.reserve(kBlock);
}

BlockFile::~BlockFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void BlockFile::fail(const QString& reason) const
{
    throw QuarrixError(QStringLiteral("Cannot write the file '%1': %2").arg(QDir::toNativeSeparators(m_shown), reason));
}

void BlockFile::writeAll(const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(AtomicFile::systemReason(errno));
        }
        data += n;
        size -= n;
    }
}

void BlockFile::flush()
{
    writeAll(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
}

void BlockFile::write(const char* data, qsizetype size)
{
    if (m_fd < 0)
        fail(QStringLiteral("the file is already closed"));
    m_size += quint64(size);
    if (m_buffer.size() + size > kBlock)
        flush();
    if (size >= kBlock)
        writeAll(data, size);
    else
        m_buffer.append(data, size);
}

void BlockFile::patch(quint64 offset, const QByteArray& bytes)
{
    flush();
    const ssize_t n = ::pwrite(m_fd, bytes.constData(), size_t(bytes.size()), off_t(offset));
    if (n != bytes.size())
        fail(AtomicFile::systemReason(n < 0 ? errno : ENOSPC));
}

void BlockFile::close()
{
    flush();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail(AtomicFile::systemReason(errno));
}
