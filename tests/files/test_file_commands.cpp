// Commands that write a file, on a file system that is full: each names the
// system's reason and leaves the old file as it was, with nothing beside it.
#include "support/process_run.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

// Mounts a small file system of the command's own on the folder (in a mount
// namespace, as the user namespace allows without privileges), puts an old
// target there, fills the rest, runs the command, then lists the folder and
// shows the target after a line "--".
const QString kOnFullFileSystem = QStringLiteral(R"(
folder=$1; target=$2; shift 2
mount -t tmpfs -o size=64k tmpfs "$folder" || exit 97
printf old > "$folder/$target"
head -c 1000000 /dev/zero > "$folder/filler" 2>/dev/null
"$@"; status=$?
echo --; ls -A "$folder"; cat "$folder/$target"
exit $status
)");

}

TEST(FileCommands, FullFileSystemIsNamedAndTheOldFileKept)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    const QString folder = dir.filePath("full");
    ASSERT_TRUE(QDir().mkpath(folder));
    // An assessment whose archive and report outgrow what little space is left.
    {
        QFile archive(dir.filePath("in.txt"));
        ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
        archive.write("<Analysis>\r\n<Notes>\r\n" + QByteArray(20000, 'n') + "\r\n</Notes>\r\n</Analysis>\r\n");
    }
    ASSERT_EQ(runCli({ "--store", store, "load-archive", dir.filePath("in.txt") }).status, 0);

    const struct {
        const char* command;
        const char* target;
    } cases[] = { { "save-archive", "assessment.txt" }, { "report", "report.docx" }, { "export", "export.xlsx" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const ProcessRun run = runProgram("unshare",
            { "-rm", "sh", "-c", kOnFullFileSystem, "sh", folder, c.target, QStringLiteral(QUARRIX_CLI), "--store",
                store, c.command, QDir(folder).filePath(c.target) });
        if (run.status == 97 || run.err.startsWith("unshare:"))
            GTEST_SKIP() << "cannot mount a small file system here: " << run.err.toStdString();
        EXPECT_NE(run.status, 0);
        EXPECT_TRUE(run.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QDir(folder).filePath(c.target))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("[ERROR]")) << run.err.toStdString(); // our message, not a library's
        QStringList after = run.out.section(QStringLiteral("--\n"), -1).split('\n');
        EXPECT_EQ(after.takeLast(), "old");
        QStringList expected { QString::fromLatin1(c.target), "filler" };
        after.sort();
        expected.sort();
        EXPECT_EQ(after, expected) << run.out.toStdString();
    }
}
