#include "store_files.h"

#include "support/process_run.h"
#include "support/qt_printers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Cli, InfoListsEveryTableInStartUpOrderAndErrorsExitNonZero)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    ASSERT_EQ(runCli({ "--store", store, "init" }).status, 0);
    const ProcessRun info = runCli({ "--store", store, "info" });
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_EQ(info.out,
        "System: 1\nRequirements: 0\nDrivers: 0\nDrAtt: 0\nAttribute: 0\nBTAtt: 0\nTSAtt: 0\n"
        "Controls: 0\nApplications: 0\nAppControl: 0\nIDDR: 0\nReleased by:\nContact:\nAddress:\nCommentary:\n"
        "Disclaimer: (the default)\n");

    const ProcessRun unknown = runCli({ "--store", store, "no-such-command" });
    EXPECT_NE(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("no-such-command"));

    QFile bad(dir.filePath("bad.mdb"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a store");
    bad.close();
    const ProcessRun refused = runCli({ "--store", bad.fileName(), "info" });
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("bad.mdb"));
}

// set-report-details stores what it is given and keeps the rest; info shows
// them, a memo's lines indented; unknown options store nothing.
TEST(Cli, SetReportDetailsStoresWhatIsGivenAndInfoShowsIt)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    ASSERT_EQ(runCli({ "--store", store, "set-report-details", "--released-by", "Jo Analyst", "--commentary",
                         "Sound overall.\nFix backups first.", "--disclaimer", "Our own words." })
                  .status,
        0);
    ASSERT_EQ(runCli({ "--store", store, "set-report-details", "--contact", "Sam Client" }).status, 0);
    const ProcessRun refused = runCli({ "--store", store, "set-report-details", "--contacts", "x" });
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("usage")) << refused.err.toStdString();
    const ProcessRun info = runCli({ "--store", store, "info" });
    EXPECT_TRUE(info.out.endsWith("Released by: Jo Analyst\nContact: Sam Client\nAddress:\nCommentary:\n"
                                  "  Sound overall.\n  Fix backups first.\nDisclaimer: Our own words.\n"))
        << info.out.toStdString();
    ASSERT_EQ(runCli({ "--store", store, "set-report-details", "--disclaimer", "default" }).status, 0);
    EXPECT_TRUE(runCli({ "--store", store, "info" }).out.endsWith("Disclaimer: (the default)\n"));
}

// Help goes to standard output with status 0, names every command, and opens
// no store, so asking for it never creates one.
TEST(Cli, HelpListsTheCommandsAndCreatesNoStore)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    const ProcessRun all = runCli({ "--store", store, "--help" });
    EXPECT_EQ(all.status, 0);
    for (const char* command : { "init", "info", "import-controls", "save-archive", "report", "upload" })
        EXPECT_TRUE(all.out.contains(QStringLiteral("\n  %1").arg(QLatin1String(command)))) << command;
    const ProcessRun one = runCli({ "--store", store, "export", "--help" });
    EXPECT_EQ(one.status, 0);
    EXPECT_TRUE(one.out.startsWith("usage: quarrix-cli [--store FILE] export FILE")) << one.out.toStdString();
    EXPECT_TRUE(one.out.contains("workbook"));
    EXPECT_FALSE(QFile::exists(store));
    EXPECT_EQ(runCli({}).status, 2); // no command: the usage, as an error
}

TEST(Cli, CommandsThatDrawNoPagesStartWithoutAWindowPlatform)
{
    // A platform that does not exist ends a program that loads one at start.
    QTemporaryDir dir;
    ASSERT_EQ(runCli({ "--store", dir.filePath("Quarrix.mdb"), "init" }).status, 0);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "no-such-platform");
    const ProcessRun info = runCli({ "--store", dir.filePath("Quarrix.mdb"), "info" });
    const ProcessRun usage = runCli({});
    qputenv("QT_QPA_PLATFORM", platform);
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_EQ(usage.status, 2) << usage.err.toStdString();
}

// A mistyped store path: a command that only reads the store refuses it,
// names it and tells how to make a store there, and creates nothing; a
// command that fills a store creates it.
TEST(Cli, CommandsThatOnlyReadRefuseAMissingStore)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarix.mdb");
    const QStringList reading[]
        = { { "info" }, { "save-archive", dir.filePath("out.txt") }, { "report", dir.filePath("out.docx") },
              { "taxonomy-report", dir.filePath("out.pdf") }, { "export", dir.filePath("out.xlsx") },
              { "listings", dir.filePath("out.pdf") }, { "trace" }, { "gaps" }, { "upload" }, { "derive" } };
    for (const QStringList& command : reading) {
        SCOPED_TRACE(command.first().toStdString());
        const ProcessRun run = runCli(QStringList { "--store", store } + command);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(store) && run.err.contains("init")) << run.err.toStdString();
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(StoreFiles::entries(dir.path()), QStringList());
    }
    const ProcessRun init = runCli({ "--store", store, "init" });
    EXPECT_EQ(init.status, 0) << init.err.toStdString();
    EXPECT_TRUE(QFile::exists(store));
}
