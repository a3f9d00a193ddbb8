#include "reports/library_messages.h"

#include <QByteArrayList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

LibraryMessages::LibraryMessages()
{
    int fds[2];
    if (pipe(fds) != 0)
        return; // nothing is caught: the library's lines go where they always went
    // A library that prints more than the pipe holds loses the rest rather
    // than waiting for a reader.
    fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    std::fflush(stderr);
    m_saved = dup(STDERR_FILENO);
    if (m_saved < 0 || dup2(fds[1], STDERR_FILENO) < 0) {
        if (m_saved >= 0)
            close(m_saved);
        m_saved = -1;
        close(fds[0]);
        close(fds[1]);
        return;
    }
    close(fds[1]);
    m_read = fds[0];
}

LibraryMessages::~LibraryMessages()
{
    end();
}

QByteArray LibraryMessages::end()
{
    if (m_saved < 0)
        return m_libraryLines;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO); // the pipe's last writer is gone: reading ends
    close(m_saved);
    m_saved = -1;
    QByteArray caught;
    char buffer[4096];
    for (ssize_t n; (n = read(m_read, buffer, sizeof buffer)) > 0;)
        caught.append(buffer, n);
    close(m_read);
    m_read = -1;
    QByteArray others;
    for (const QByteArray& line : caught.split('\n')) {
        if (line.startsWith("[ERROR]") || line.startsWith("[WARNING]"))
            m_libraryLines += line + '\n';
        else if (!line.isEmpty())
            others += line + '\n';
    }
    if (!others.isEmpty()) {
        std::fwrite(others.constData(), 1, size_t(others.size()), stderr);
        std::fflush(stderr);
    }
    return m_libraryLines;
}
