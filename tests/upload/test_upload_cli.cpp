// quarrix-cli set-server, test-connection and upload, run as programs.
#include "central_database.h"
#include "sample_assessment.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliRun {
    int status;
    QStringList out;
    QString err;
};

class UploadCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = dir.filePath(QStringLiteral("Quarrix.mdb"));
        ASSERT_TRUE(central.create());
    }

    CliRun cli(const QStringList& args, const QByteArray& input = {})
    {
        QProcess p;
        p.start(QStringLiteral(QUARRIX_CLI), QStringList { QStringLiteral("--store"), store } + args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        return { p.exitCode(), out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError()) };
    }

    CliRun setServer(const ServerSettings& s)
    {
        return cli({ "set-server", "--ip", s.address, "--port", s.port, "--user", s.user, "--database", s.database,
                       "--driver", s.driver },
            s.password.toUtf8() + "\n");
    }

    QTemporaryDir dir;
    QString store;
    CentralDatabase central;
};

TEST_F(UploadCli, SetServerThenTestAndUploadOneDivision)
{
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(store, true, &error));
        SampleAssessment::fill(a);
    }
    ServerSettings s = central.settings();
    ASSERT_EQ(setServer(s).status, 0);

    const CliRun tested = cli({ "test-connection" });
    EXPECT_EQ(tested.status, 0) << tested.err.toStdString();
    EXPECT_EQ(tested.out, QStringList { "Disconnected (Tested OK)" });

    const CliRun uploaded = cli({ "upload", "--division", "Harbour's Edge" });
    EXPECT_EQ(uploaded.status, 0) << uploaded.err.toStdString();
    EXPECT_EQ(uploaded.out, (QStringList { "Disconnected", "Ready to connect" }));
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement"), QStringList { "BR1.02" });
    EXPECT_EQ(central.column("SELECT Attribute_Id FROM Attribute"), QStringList { "Availability" });
}

TEST_F(UploadCli, FailuresGiveTheFailureStatusesAndAnErrorStatus)
{
    ServerSettings s = central.settings();
    s.password = QStringLiteral("wrong");
    ASSERT_EQ(setServer(s).status, 0);
    const CliRun tested = cli({ "test-connection" });
    EXPECT_EQ(tested.status, 1);
    EXPECT_EQ(tested.out, QStringList { "Disconnected (Test Failed)" });
    EXPECT_TRUE(tested.err.contains(QStringLiteral("password authentication failed"))) << tested.err.toStdString();
    const CliRun uploaded = cli({ "upload" });
    EXPECT_EQ(uploaded.status, 1);
    EXPECT_EQ(uploaded.out, (QStringList { "Disconnected", "Upload failure - SQL Table problem" }));
}

TEST_F(UploadCli, SetServerTakesThePasswordOnlyFromStandardInput)
{
    const CliRun refused = cli({ "set-server", "--password", "secret" }, "x\n");
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("standard input"))) << refused.err.toStdString();
    EXPECT_NE(cli({ "set-server", "--ip", "1.2.3.4" }).status, 0); // no password line

    ASSERT_EQ(cli({ "set-server", "--user", "u1" }, QByteArray(40, 'k') + "\n").status, 0);
    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(store, false, &error));
    EXPECT_EQ(a.system().text("SQL-Password"), QString(32, QLatin1Char('k')));
    EXPECT_EQ(a.system().text("SQL-User"), "u1");
}

}
