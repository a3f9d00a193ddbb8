// quarrix-cli set-server, test-connection and upload, run as programs.
#include "central_database.h"
#include "sample_assessment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>

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

    CliRun cli(const QStringList& args, const QByteArray& input = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(environment);
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

    // Without the optional table: one line says it was skipped, and the upload succeeds.
    central.exec(QStringLiteral("DROP TABLE DrvCon"));
    const CliRun twelve = cli({ "upload" });
    EXPECT_EQ(twelve.status, 0) << twelve.err.toStdString();
    ASSERT_EQ(twelve.out.size(), 3) << twelve.out.join('\n').toStdString();
    EXPECT_EQ(twelve.out.mid(0, 2), (QStringList { "Disconnected", "Ready to connect" }));
    EXPECT_TRUE(twelve.out[2].startsWith(QStringLiteral("Skipped the optional table DrvCon: ")));
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3);

    // The help names the installed table scripts.
    const CliRun help = cli({ "help", "upload" });
    EXPECT_TRUE(help.out.join('\n').contains(QStringLiteral("postgresql.sql"))) << help.out.join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(QFileInfo(QStringLiteral(QUARRIX_CLI)).dir().filePath("sql/postgresql.sql")));
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

TEST_F(UploadCli, SetServerKeepsHostNamesAndIpv6WholeAndRefusesLongerInAStoreMadeBefore)
{
    // A store from before SQL-Driver existed: opening it adds the field and
    // the longer address applies to it as to a new one.
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(store, true, &error));
        a.system().edit();
        a.system().setText("SQL-IP", "10.0.0.1");
        a.system().post();
    }
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(store.toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(db, "ALTER TABLE System DROP COLUMN \"SQL-Driver\"", nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    auto storedAddress = [&] {
        Assessment a;
        QString error;
        EXPECT_TRUE(a.open(store, false, &error)) << error.toStdString();
        return a.system().text("SQL-IP");
    };
    // 253 characters: three labels of 63 and one of 61.
    const QString host = QStringList(3, QString(63, QLatin1Char('h'))).join('.') + '.' + QString(61, QLatin1Char('a'));
    ASSERT_EQ(host.size(), 253);
    for (const QString& address :
        { host, QStringLiteral("[2001:0db8:85a3:0000:0000:8a2e:0370:7334]"), QStringLiteral("2001:db8::1") }) {
        const CliRun set = cli({ "set-server", "--ip", address }, "pw\n");
        EXPECT_EQ(set.status, 0) << set.err.toStdString();
        EXPECT_EQ(storedAddress(), address);
    }
    const CliRun refused = cli({ "set-server", "--ip", host + "x" }, "pw\n");
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("at most 253"))) << refused.err.toStdString();
    const CliRun longUser = cli({ "set-server", "--user", QString(33, 'u') }, "pw\n");
    EXPECT_NE(longUser.status, 0);
    EXPECT_TRUE(longUser.err.contains(QStringLiteral("at most 32"))) << longUser.err.toStdString();
    EXPECT_EQ(storedAddress(), "2001:db8::1");
}

TEST_F(UploadCli, ThePasswordReachesNeitherTheTraceNorTheDriverLog)
{
    // A password that starts with ";", up to which the driver manager's
    // trace masks it; a short role name keeps it within what the trace shows
    // of the connection string.
    const QString role = QStringLiteral("q%1").arg(QCoreApplication::applicationPid());
    const QString password = QStringLiteral(";tr4ce-me");
    central.exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role));
    central.exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password));
    central.exec(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO %1").arg(role));
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(store, true, &error));
        SampleAssessment::fill(a);
    }
    ServerSettings s = central.settings();
    s.user = role;
    s.password = password;
    ASSERT_EQ(setServer(s).status, 0);

    // An administrator's set-up: the driver manager traces every call, the
    // driver keeps its communication log, both into this test's folder.
    const QDir here(dir.path());
    ASSERT_TRUE(here.mkpath("conf") && here.mkpath("logs"));
    QFile ini(here.filePath("conf/odbcinst.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(
        QStringLiteral("[ODBC]\nTrace=Yes\nTraceFile=%1\n\n[%2]\nDriver=psqlodbcw.so\nCommLog=1\nLogdir=%3\n")
            .arg(here.filePath("odbc.trace"), QString::fromLatin1(CentralDatabase::kDriver), here.filePath("logs"))
            .toUtf8());
    ini.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ODBCSYSINI", here.filePath("conf"));

    const CliRun uploaded = cli({ "upload" }, {}, environment);
    EXPECT_EQ(uploaded.status, 0) << uploaded.err.toStdString();
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3);

    QFile trace(here.filePath("odbc.trace"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly)) << "the driver manager wrote no trace";
    const QByteArray traced = trace.readAll();
    EXPECT_TRUE(traced.contains("SQLAllocHandle")); // tracing was on
    EXPECT_FALSE(traced.contains("tr4ce-me")) << traced.toStdString();
    for (const QString& name : QDir(here.filePath("logs")).entryList(QDir::Files)) {
        QFile log(here.filePath("logs/") + name);
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        EXPECT_FALSE(logged.contains("tr4ce-me")) << name.toStdString();
    }
    central.exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM %1").arg(role));
    central.exec(QStringLiteral("DROP ROLE %1").arg(role));
}

}
