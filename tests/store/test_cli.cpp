#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {
struct CliRun {
    int status;
    QString out, err;
};
CliRun cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QUARRIX_CLI), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
}

TEST(Cli, InfoListsEveryTableInStartUpOrderAndErrorsExitNonZero)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    const CliRun info = cli({"--store", store, "info"});
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, "System: 1\nRequirements: 0\nDrivers: 0\nDrAtt: 0\nAttribute: 0\nBTAtt: 0\nTSAtt: 0\n"
                        "Controls: 0\nApplications: 0\nAppControl: 0\nIDDR: 0\n");

    const CliRun unknown = cli({"--store", store, "no-such-command"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("no-such-command"));

    QFile bad(dir.filePath("bad.mdb"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a store");
    bad.close();
    const CliRun refused = cli({"--store", bad.fileName(), "info"});
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("bad.mdb"));
}
