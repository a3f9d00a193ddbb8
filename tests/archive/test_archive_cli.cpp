// quarrix-cli save-archive and load-archive.
#include "store/assessment.h"
#include "support/file_bytes.h"
#include "support/process_run.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ArchiveCli, SaveAndLoadMoveAnAssessmentBetweenStores)
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first.mdb"), second = dir.filePath("second.mdb");
    const QByteArray archive
        = "<Analysis>\r\n<Title>\r\nHafen M\xFCnster\r\n</Title>\r\n"
          "<RequirementRecord>\r\nBR1\r\nFirst\r\nNorth\r\nHigh\r\nSales\r\nPlan\r\n\r\n</RequirementRecord>\r\n"
          "<DriverRecord>\r\nBD1\r\nDrive\r\nSouth\r\nOps\r\nCore\r\nBR1: First\r\n\r\n</DriverRecord>\r\n"
          "<ApplicationRecord>\r\nLedger\r\nFinance\r\nAnn\r\nNorth\r\nBooks\r\n[end]\r\nAccess\r\n\r\n"
          "</ApplicationRecord>\r\n<ApplicationRiskRecord>\r\nAccess\r\nHigh\r\nLow\r\nFraud\r\n"
          "</ApplicationRiskRecord>\r\n<ApplicationRecord>\r\nLedger\r\n\r\n\r\n\r\n\r\n[end]\r\n\r\n"
          "</ApplicationRecord>\r\n</Analysis>\r\n";
    writeBytes(dir.filePath("in.txt"), archive);

    const ProcessRun load = runCli({ "--store", first, "load-archive", dir.filePath("in.txt") });
    ASSERT_EQ(load.status, 0) << load.err.toStdString();
    const ProcessRun info = runCli({ "--store", first, "info" });
    for (const char* count : { "Requirements: 1", "Drivers: 1", "Applications: 2", "AppControl: 1" })
        EXPECT_TRUE(info.out.contains(count)) << count << "\n" << info.out.toStdString();
    const ProcessRun save
        = runCli({ "--store", first, "save-archive", dir.filePath("out.txt"), "--division", "North" });
    ASSERT_EQ(save.status, 0) << save.err.toStdString();
    const QByteArray out = readBytes(dir.filePath("out.txt"));
    // Every record is written whatever division was chosen.
    EXPECT_TRUE(out.contains("<RequirementRecord>\r\nBR1\r\n"));
    EXPECT_TRUE(out.contains("<DriverRecord>\r\nBD1\r\nDrive\r\nSouth\r\n"));
    EXPECT_TRUE(out.contains("<Title>\r\nHafen M\xFCnster\r\n</Title>"));
    EXPECT_TRUE(out.contains("</ApplicationRecord>\r\n<ApplicationRiskRecord>\r\nAccess\r\nHigh\r\n"));

    const ProcessRun again = runCli({ "--store", second, "load-archive", dir.filePath("out.txt") });
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    ASSERT_EQ(runCli({ "--store", second, "save-archive", dir.filePath("again.txt") }).status, 0);
    EXPECT_EQ(readBytes(dir.filePath("again.txt")), out);
}

TEST(ArchiveCli, BadFilesFailAndLeaveTheStoreAsItWas)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    writeBytes(dir.filePath("good.txt"),
        "<Analysis>\r\n<RequirementRecord>\r\nBR1\r\n\r\n\r\n\r\n\r\n\r\n</RequirementRecord>\r\n</Analysis>\r\n");
    ASSERT_EQ(runCli({ "--store", store, "load-archive", dir.filePath("good.txt") }).status, 0);
    ASSERT_EQ(runCli({ "--store", store, "save-archive", dir.filePath("before.txt") }).status, 0);

    writeBytes(dir.filePath("other.txt"), "just text\r\n");
    writeBytes(dir.filePath("cut.txt"), "<Analysis>\r\n<Title>\r\nCut\r\n</Title>\r\n<RequirementRecord>\r\nBR9\r\n");
    writeBytes(dir.filePath("priority.txt"),
        "<Analysis>\r\n<DriverAttributeRecord>\r\nBD1\r\nA\r\nhigh\r\n</DriverAttributeRecord>\r\n</Analysis>\r\n");
    const struct {
        QString file;
        QString message;
    } cases[] = { { dir.filePath("other.txt"), "This is not a saved analysis: '" + dir.filePath("other.txt") + "'" },
        { dir.filePath("priority.txt"), "line 5" }, { dir.filePath("cut.txt"), "after line 6" },
        { dir.filePath("missing.txt"), dir.filePath("missing.txt") } };
    for (const auto& c : cases) {
        const ProcessRun run = runCli({ "--store", store, "load-archive", c.file });
        EXPECT_NE(run.status, 0) << c.file.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    }
    const ProcessRun unwritable = runCli({ "--store", store, "save-archive", dir.filePath("no-folder/out.txt") });
    EXPECT_NE(unwritable.status, 0);
    EXPECT_TRUE(unwritable.err.contains(dir.filePath("no-folder/out.txt"))) << unwritable.err.toStdString();

    ASSERT_EQ(runCli({ "--store", store, "save-archive", dir.filePath("after.txt") }).status, 0);
    EXPECT_EQ(readBytes(dir.filePath("after.txt")), readBytes(dir.filePath("before.txt")));
}

TEST(ArchiveCli, SaveRefusesValuesTheFormatCannotKeepUnlessTold)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    writeBytes(dir.filePath("in.txt"),
        "<Analysis>\r\n<Notes>\r\nkeep\r\n</Notes>\r\n<RequirementRecord>\r\nBR1\r\n\r\n\r\n\r\n\r\n"
        "first\r\n</RequirementRecord>\r\n</Analysis>\r\n");
    ASSERT_EQ(runCli({ "--store", store, "load-archive", dir.filePath("in.txt") }).status, 0);
    // A notes line that reads as the block's end, typed in the window.
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(store, false, &error));
        a.system().edit();
        a.system().setText("Notepad", "keep\r\n</Notes>\r\nmore");
        a.system().post();
    }
    const ProcessRun refused = runCli({ "--store", store, "save-archive", dir.filePath("out.txt") });
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("field Notepad: a line \"</Notes>\" cannot be kept")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.txt")));
    const ProcessRun anyway = runCli({ "--store", store, "save-archive", "--anyway", dir.filePath("out.txt") });
    EXPECT_EQ(anyway.status, 0) << anyway.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("out.txt")));
}
