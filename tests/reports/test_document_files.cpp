// Both document files, .docx and PDF, replace their target whole or not at
// all: on success, on an error while typing, on a full disk and on a target
// that cannot be written.
#include "office/typed_document.h"
#include "reports/report_file.h"
#include "store/quarrix_error.h"
#include "support/file_bytes.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Text that compresses poorly, so that the file grows with it.
QString noise(int lines)
{
    QString text;
    quint32 state = 7;
    for (int i = 0; i < lines; ++i) {
        for (int k = 0; k < 90; ++k) {
            state = state * 1103515245u + 12345u;
            text += QChar(u'a' + char16_t((state >> 16) % 26));
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

const char* const kSuffixes[] = { "docx", "pdf" };

}

TEST(DocumentFiles, FinishedDocumentReplacesTheTargetAndLeavesNothingElse)
{
    for (const char* suffix : kSuffixes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.") + suffix);
        writeBytes(path, QByteArray(200000, 'x')); // longer than the new document
        {
            const auto doc = ReportFile::open(path);
            doc->typeText("new");
            EXPECT_EQ(readBytes(path), QByteArray(200000, 'x')) << suffix << ": changed before finishing";
            doc->finish();
        }
        const QByteArray bytes = readBytes(path);
        EXPECT_TRUE(bytes.startsWith(ReportFile::isPdf(path) ? "%PDF" : "PK\x03\x04")) << suffix;
        EXPECT_LT(bytes.size(), 200000) << suffix;
        EXPECT_EQ(folderEntries(dir.path()), QStringList { QFileInfo(path).fileName() }) << suffix;
    }
}

TEST(DocumentFiles, UnfinishedOrFailedDocumentLeavesTheOldFile)
{
    for (const char* suffix : kSuffixes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.") + suffix);
        writeBytes(path, "old");

        // An error while typing: the document is dropped unfinished.
        {
            const auto doc = ReportFile::open(path);
            doc->typeText(noise(50));
        }
        EXPECT_EQ(readBytes(path), "old") << suffix;
        EXPECT_EQ(folderEntries(dir.path()), QStringList { QFileInfo(path).fileName() }) << suffix;

        // A disk that fills up while the document is written.
        QString message;
        {
            FileSizeLimit limit(64 * 1024);
            try {
                const auto doc = ReportFile::open(path);
                doc->typeText(noise(4000));
                doc->finish();
            } catch (const QuarrixError& e) {
                message = e.message();
            }
        }
        EXPECT_TRUE(message.contains(path) && message.contains("File too large"))
            << suffix << ": " << message.toStdString();
        EXPECT_EQ(readBytes(path), "old") << suffix;
        EXPECT_EQ(folderEntries(dir.path()), QStringList { QFileInfo(path).fileName() }) << suffix;
    }
}

TEST(DocumentFiles, TargetThatCannotBeWrittenIsRefusedBeforeTyping)
{
    for (const char* suffix : kSuffixes) {
        QTemporaryDir dir;
        writeBytes(dir.filePath("notadir"), "");
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.") + suffix));
        for (const QString& path : { dir.filePath(QStringLiteral("notadir/report.") + suffix),
                 dir.filePath(QStringLiteral("folder.") + suffix) }) {
            try {
                ReportFile::open(path);
                ADD_FAILURE() << path.toStdString() << " was accepted";
            } catch (const QuarrixError& e) {
                EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            }
        }
        EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.") + suffix)).isDir());
        EXPECT_EQ(folderEntries(dir.path()), QStringList { "notadir" }) << suffix;
    }
}

// A writer killed halfway leaves its temporary beside the target (nothing
// can remove it then); the next save of that target removes it.
TEST(DocumentFiles, LeftoverOfAKilledWriterGoesWithTheNextSave)
{
    QProcess gone;
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    for (const char* suffix : kSuffixes) {
        QTemporaryDir dir;
        const QString name = QStringLiteral("report.") + suffix;
        writeBytes(dir.filePath(name), "old");
        writeBytes(dir.filePath(QStringLiteral(".%1.%2.quarrix-tmp").arg(name).arg(deadPid)), "torn");
        const auto doc = ReportFile::open(dir.filePath(name));
        doc->typeText("new");
        doc->finish();
        EXPECT_EQ(folderEntries(dir.path()), QStringList { name }) << suffix;
        EXPECT_NE(readBytes(dir.filePath(name)), "old") << suffix;
    }
}
