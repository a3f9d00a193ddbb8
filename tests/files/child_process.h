#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs work in a forked child, so it may change what only a process of its
// own should (its mounts, its limits, its privileges), and returns the lines
// it reported. Work that cannot set up what it needs reports
// { kSkipped, reason }.
inline const QString kSkipped = QStringLiteral("skipped");

inline QStringList inChildProcess(const std::function<QStringList()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return { kSkipped, QStringLiteral("no pipe") };
    const pid_t pid = ::fork();
    if (pid < 0)
        return { kSkipped, QStringLiteral("no child process") };
    if (pid == 0) {
        ::close(fds[0]);
        QStringList lines;
        try {
            lines = work();
        } catch (const std::exception& e) {
            lines = { QStringLiteral("exception"), QString::fromLocal8Bit(e.what()) };
        }
        const QByteArray bytes = lines.join(QLatin1Char('\n')).toUtf8();
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fds[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return QString::fromUtf8(bytes).split(QLatin1Char('\n'));
}

// In a child process: gives up the privilege to write where permissions
// forbid, so that the superuser meets them as any user does.
inline bool dropPrivileges()
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct data[2] = {};
    return ::syscall(SYS_capset, &header, data) == 0;
}
