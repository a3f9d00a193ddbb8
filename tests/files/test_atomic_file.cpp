// Files are replaced whole or not at all; a failure names the system's reason.
#include "child_process.h"

#include "files/atomic_file.h"
#include "store/quarrix_error.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void put(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(writeFile(path, bytes)) << path.toStdString();
}

mode_t modeOf(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QString failureOf(const std::function<void()>& write)
{
    try {
        write();
    } catch (const QuarrixError& e) {
        return e.message();
    }
    return {};
}

QString temporaryOf(const QString& folder, const QString& target, qint64 pid)
{
    return QDir(folder).filePath(QStringLiteral(".%1.%2.quarrix-tmp").arg(target).arg(pid));
}

bool writeProcFile(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// In a child process: mounts a 64 KiB file system of its own on folder.
// Without the privilege, a user namespace gives it where the system allows.
QString mountSmallFileSystem(const QString& folder)
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("no user namespace: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", QByteArray("0 ") + QByteArray::number(uid) + " 1")
            || !writeProcFile("/proc/self/gid_map", QByteArray("0 ") + QByteArray::number(gid) + " 1"))
            return QStringLiteral("cannot map the user into the namespace");
    } else if (::unshare(CLONE_NEWNS) != 0) {
        return QStringLiteral("no mount namespace: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
        return QStringLiteral("cannot mount: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}

}

TEST(AtomicFile, ReplacesTheContentKeepingTheTargetsPermissions)
{
    QTemporaryDir dir;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const struct {
        const char* name;
        mode_t before; // 0: no file yet
        mode_t after;
    } cases[] = { { "new file", 0, mode_t(0666 & ~mask) }, { "private file", 0600, 0600 },
        { "shared file", 0664, 0664 }, { "group file", 0640, 0640 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = dir.filePath(QString::fromLatin1(c.name));
        if (c.before) {
            put(target, "old content that is longer than the new");
            ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), c.before), 0);
        }
        AtomicFile::write(target, "new");
        EXPECT_EQ(bytesOf(target), "new");
        EXPECT_EQ(modeOf(target), c.after);
    }
    EXPECT_EQ(entries(dir.path()), (QStringList { "group file", "new file", "private file", "shared file" }));
}

TEST(AtomicFile, ReplacementWrittenInPiecesCountsOnlyOnceCommitted)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("out.txt");
    put(target, "old");
    {
        AtomicFile::Replacement file(target);
        file.write("half of the new");
        EXPECT_EQ(bytesOf(target), "old");
    }
    EXPECT_EQ(bytesOf(target), "old");
    EXPECT_EQ(entries(dir.path()), QStringList { "out.txt" });

    AtomicFile::Replacement file(target);
    file.write("a first attempt");
    file.rewind();
    file.write("second ");
    file.write("attempt");
    file.commit();
    EXPECT_EQ(bytesOf(target), "second attempt");
    EXPECT_EQ(entries(dir.path()), QStringList { "out.txt" });
}

TEST(AtomicFile, TemporariesOfDeadWritersAreRemovedByTheNextWrite)
{
    QTemporaryDir dir;
    // A writer that is gone: a child that has ended and been reaped.
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const QString deadTemporary = temporaryOf(dir.path(), "out.txt", dead);
    const QString liveTemporary = temporaryOf(dir.path(), "out.txt", 1); // the first process runs for good
    const QString otherTarget = temporaryOf(dir.path(), "other.txt", dead);
    for (const QString& path : { deadTemporary, liveTemporary, otherTarget })
        put(path, "left behind");

    AtomicFile::write(dir.filePath("out.txt"), "new");
    EXPECT_FALSE(QFile::exists(deadTemporary));
    EXPECT_TRUE(QFile::exists(liveTemporary));
    EXPECT_TRUE(QFile::exists(otherTarget));
    EXPECT_EQ(bytesOf(dir.filePath("out.txt")), "new");
}

// Each failure runs in a child process of its own. The old file stays as it
// was, no temporary is left, and the message names the file and the reason.
TEST(AtomicFile, FailedWriteNamesTheSystemsReasonAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString target = QStringLiteral("out.txt");
    const struct {
        const char* name;
        // Makes the folder fail and holds an old target in it; gives the
        // reason the failure must name, or { kSkipped, why }.
        std::function<QStringList(const QString& folder)> prepare;
    } cases[] = {
        { "full file system",
            [](const QString& folder) {
                const QString problem = mountSmallFileSystem(folder);
                if (!writeFile(QDir(folder).filePath("out.txt"), "old"))
                    return QStringList { kSkipped, QStringLiteral("cannot write the old file") };
                if (problem.isEmpty())
                    return QStringList { QString::fromLocal8Bit(std::strerror(ENOSPC)) };
                // Without a file system of its own, a limit on the size of
                // files makes the write fail part way as well.
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit { 64 * 1024, 64 * 1024 };
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return QStringList { kSkipped, problem };
                return QStringList { QString::fromLocal8Bit(std::strerror(EFBIG)) };
            } },
        { "read-only folder",
            [](const QString& folder) {
                if (!writeFile(QDir(folder).filePath("out.txt"), "old")
                    || ::chmod(QFile::encodeName(folder).constData(), 0555) != 0
                    || (::geteuid() == 0 && !dropPrivileges()))
                    return QStringList { kSkipped, QStringLiteral("cannot make the folder read-only") };
                return QStringList { QString::fromLocal8Bit(std::strerror(EACCES)) };
            } },
    };
    QStringList skipped;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        const QString path = QDir(folder).filePath(target);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QStringList report = inChildProcess([&] {
            const QStringList reason = c.prepare(folder);
            if (reason.first() == kSkipped)
                return reason;
            const QString message = failureOf([&] { AtomicFile::write(path, QByteArray(1 << 20, 'x')); });
            return reason + QStringList { message, QString::fromLatin1(bytesOf(path)), entries(folder).join('|') };
        });
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        if (report.first() == kSkipped) {
            skipped << QStringLiteral("%1: %2").arg(QString::fromLatin1(c.name), report.value(1));
            continue;
        }
        ASSERT_EQ(report.size(), 4) << report.join('\n').toStdString();
        const QString& message = report.at(1);
        EXPECT_TRUE(message.contains(report.first())) << message.toStdString();
        EXPECT_TRUE(message.contains(path)) << message.toStdString();
        EXPECT_EQ(report.at(2), "old");
        EXPECT_EQ(report.at(3), target);
    }
    if (!skipped.isEmpty())
        GTEST_SKIP() << skipped.join("; ").toStdString();
}
