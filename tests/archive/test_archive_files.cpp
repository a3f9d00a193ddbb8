// Saving replaces the archive file whole or not at all.
#include "archive_fixture.h"

#include "store/quarrix_error.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <unistd.h>

namespace {

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QString saveError(Assessment& a, const QString& path)
{
    try {
        ArchiveWriter::save(a, path);
    } catch (const QuarrixError& e) {
        return e.message();
    }
    return {};
}

}

TEST_F(ArchiveTest, SaveReplacesAnExistingArchiveAndLeavesNoTemporaryFile)
{
    QDir(dir.path()).mkdir("out");
    const QString path = dir.filePath("out/assessment.txt");
    writeBytes(path, QByteArray(5000, 'x'));
    ArchiveWriter::save(a, path);
    EXPECT_EQ(readBytes(path), ArchiveWriter::encode(ArchiveWriter::text(a)));
    EXPECT_EQ(folderEntries(dir.filePath("out")), QStringList { "assessment.txt" });
}

// The file is written as it is read from the store, in pieces; a character
// the code page lacks near the end makes the whole file UTF-8.
TEST_F(ArchiveTest, SaveWritesTheWholeFileInOneEncoding)
{
    {
        Store::Transaction tx(a.store());
        for (int i = 0; i < 2000; ++i)
            addRow(a.requirements(),
                { { "RSeq", QString::number(i) }, { "Requirement", QString(70, QLatin1Char('r')) },
                    { "Source", QStringLiteral("Z\u00FCrich") } });
        tx.commit();
    }
    const struct {
        QString lastName;
        ArchiveWriter::Encoding encoding;
    } cases[] = { { QStringLiteral("Caf\u00E9"), ArchiveWriter::Encoding::CodePage1252 },
        { QStringLiteral("\u0394elta"), ArchiveWriter::Encoding::Utf8 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastName.toStdString());
        addRow(a.applications(), { { "Application", c.lastName } });
        const QString path = file("big.txt");
        EXPECT_EQ(ArchiveWriter::save(a, path), c.encoding);
        EXPECT_EQ(readBytes(path), ArchiveWriter::encode(ArchiveWriter::text(a)));
    }
}

TEST_F(ArchiveTest, FailedSaveNamesTheFileAndCreatesNothing)
{
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        { "folder does not exist", file("no-such-folder/a.txt") },
        { "name too long", file(QByteArray(300, 'n').append(".txt").constData()) },
        { "path is a folder", dir.path() },
        { "no name", QString() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList before = folderEntries(dir.path());
        const QString message = saveError(a, c.path);
        EXPECT_FALSE(message.isEmpty());
        EXPECT_TRUE(message.contains(c.path)) << message.toStdString();
        EXPECT_EQ(folderEntries(dir.path()), before);
    }
}

TEST_F(ArchiveTest, SaveThatFailsPartWayKeepsTheOldArchive)
{
    QDir(dir.path()).mkdir("out");
    const QString path = dir.filePath("out/assessment.txt");
    ArchiveWriter::save(a, path);
    const QByteArray good = readBytes(path);

    // An assessment far larger than the space left.
    Table& sys = a.system();
    sys.edit();
    sys.setText("Notepad", QString(400000, QLatin1Char('n')));
    sys.post();
    QString message;
    {
        FileSizeLimit limit(64 * 1024);
        message = saveError(a, path);
    }
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_EQ(readBytes(path), good);
    EXPECT_EQ(folderEntries(dir.filePath("out")), QStringList { "assessment.txt" });
}

TEST_F(ArchiveTest, ReadOnlyFolderOrFileIsNotWritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QDir(dir.path()).mkdir("locked");
    const QString lockedFolder = dir.filePath("locked");
    const QString lockedFile = file("kept.txt");
    writeBytes(lockedFile, "old archive");
    QFile::setPermissions(lockedFile, QFileDevice::ReadOwner);
    QFile::setPermissions(lockedFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    for (const QString& path : { lockedFolder + "/a.txt", lockedFile }) {
        const QString message = saveError(a, path);
        EXPECT_TRUE(message.contains(path)) << message.toStdString();
    }
    EXPECT_EQ(readBytes(lockedFile), "old archive");
    EXPECT_TRUE(folderEntries(lockedFolder).isEmpty());
    QFile::setPermissions(lockedFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
