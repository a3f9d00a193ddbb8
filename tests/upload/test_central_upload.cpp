// The upload against a real PostgreSQL server, read back with SQL.
#include "central_database.h"
#include "sample_assessment.h"

#include "analysis/profile_division_filter.h"
#include "store/progress.h"
#include "store/quarrix_error.h"
#include "support/temp_store.h"
#include "upload/central_upload.h"

#include <QElapsedTimer>
#include <QThread>
#include <thread>

using namespace CentralUpload;

namespace {

class Upload : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        ASSERT_TRUE(central.create());
        SampleAssessment::fill(a);
    }

    Outcome uploadWith(const QString& division)
    {
        applyDivisionFilter(a.requirements(), division);
        applyDivisionFilter(a.drivers(), division);
        return upload(a, central.settings(), division);
    }

    QStringList joined(const QString& sql)
    {
        QStringList out;
        for (const QStringList& row : central.rows(sql))
            out << row.join(QLatin1Char('|'));
        return out;
    }

    CentralDatabase central;
};

TEST_F(Upload, WritesEveryCentralTableFromTheWholeAssessment)
{
    QStringList statuses;
    const Outcome outcome = upload(a, central.settings(), QStringLiteral("All"),
        [&](const QString& s1, const QString& s2) { statuses << s1 + QLatin1Char('/') + s2; });
    EXPECT_EQ(outcome.status1, kDisconnected);
    EXPECT_EQ(outcome.status2, kReady);
    EXPECT_TRUE(outcome.problems.isEmpty()) << outcome.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(statuses, (QStringList { "Trying to connect/Ready to connect", "Connected/Working" }));

    EXPECT_EQ(joined("SELECT Assessment_ID, Assessment_Title, Assessment_Description FROM Assessment"),
        QStringList { "QA-1|Harbour review|Line one\r\nLine two" });
    EXPECT_EQ(central.column("SELECT Division_Name FROM Division ORDER BY Division_Name"),
        (QStringList { "Harbour's Edge", "North" }));
    // Numbered from 0 in list order; a last line without a line end counts.
    EXPECT_EQ(joined("SELECT Group_Name, Group_Sequence FROM DivGroup ORDER BY Group_Sequence"),
        (QStringList { "Core|0", "Support|1", "Other|2" }));
    EXPECT_EQ(joined("SELECT * FROM Requirement ORDER BY Requirement_Id"),
        (QStringList { "BR1.01|Keep ledgers exact|North|High|Plan\r\nReport|Finance",
            "BR1.02|Serve customers online|Harbour's Edge|Medium||Sales",
            "BR1.03|Obey the regulator|North|Low||Finance" }));
    // Each requirement line of a driver is sent whole, as stored.
    EXPECT_EQ(joined("SELECT Driver_Id, Requirement_Id FROM ReqAtt ORDER BY Driver_Id, Requirement_Id"),
        (QStringList { "BD1.01|BR1.01: Keep ledgers exact", "BD1.01|BR1.03: Obey the regulator", "BD1.01|BR9.99: Gone",
            "BD1.02|BR1.02: Serve customers online" }));
    EXPECT_EQ(joined("SELECT * FROM Driver ORDER BY Driver_Id"),
        (QStringList {
            "BD1.01|Accurate books|North|Finance|Core", "BD1.02|Online service|Harbour's Edge|Sales|Support" }));
    EXPECT_EQ(
        joined("SELECT * FROM DrAtt ORDER BY Driver_Id"), (QStringList { "BD1.01|Accurate|1", "BD1.02|Available|3" }));
    // Only attributes in use; the impact is the highest rating recorded for
    // the attribute, empty when none is.
    EXPECT_EQ(joined("SELECT Attribute_Id, Attribute_Grouped, Attribute_Description, "
                     "CASE WHEN Attribute_InUse THEN 'yes' ELSE 'no' END, Attribute_Impact, Group_Name "
                     "FROM Attribute ORDER BY Attribute_Grouped"),
        (QStringList { "Availability|03Availability|About Availability|yes||Protect",
            "Integrity|03Integrity|About Integrity|yes|High|Protect" }));
    EXPECT_EQ(joined("SELECT Attribute_Id, Control_Id FROM AttCon ORDER BY Attribute_Id, Control_Id"),
        (QStringList { "Availability|02.01.01", "Integrity|01.01.01", "Integrity|01.02.01" }));
    EXPECT_EQ(central
                  .column("SELECT Control_Id || '|' || Control_AltId || '|' || Control_Name || '|' || "
                          "Control_Description || '|' || ControlObj_Name FROM Control ORDER BY Control_Id")
                  .value(8),
        "01.03.01|03.01|Control 01.03.01|Does 01.03.01|Backup");
    EXPECT_EQ(central.column("SELECT Control_Id FROM Control").size(), 12);
    // A title that comes back after another one starts a run of its own.
    EXPECT_EQ(joined("SELECT ControlObj_Name, ControlObj_Description FROM CObjective ORDER BY ControlObj_Description"),
        (QStringList { "Backup|Objective of 01.01.01", "Checks|Objective of 01.02.01", "Backup|Objective of 01.03.01",
            "Sites|Objective of 02.01.01" }));

    // Locally the in-use derivation ran and left Attribute on the attributes in use.
    EXPECT_EQ(a.attribute().recordCount(), 2);
}

TEST_F(Upload, DivisionFilterLimitsRequirementsAndDriversButNotTheProfile)
{
    const Outcome outcome = uploadWith(QStringLiteral("North"));
    ASSERT_EQ(outcome.status2, kReady);
    EXPECT_EQ(
        central.column("SELECT Requirement_Id FROM Requirement ORDER BY 1"), (QStringList { "BR1.01", "BR1.03" }));
    EXPECT_EQ(central.column("SELECT DISTINCT Driver_Id FROM ReqAtt"), QStringList { "BD1.01" });
    EXPECT_EQ(central.column("SELECT Driver_Id FROM Driver"), QStringList { "BD1.01" });
    EXPECT_EQ(central.column("SELECT Driver_Id FROM DrAtt ORDER BY 1"), (QStringList { "BD1.01", "BD1.02" }));
    // Only North's drivers count for the attributes in use.
    EXPECT_EQ(central.column("SELECT Attribute_Id FROM Attribute"), QStringList { "Integrity" });
    // Divisions and groups come from the stored settings whatever the filter.
    EXPECT_EQ(central.column("SELECT Division_Name FROM Division").size(), 2);
}

TEST_F(Upload, ASecondUploadReplacesTheFirstAndKeepsOneAssessmentRow)
{
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    Table& sys = a.system();
    sys.edit();
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Second title"));
    sys.post();
    ASSERT_EQ(uploadWith(QStringLiteral("Harbour's Edge")).status2, kReady);
    EXPECT_EQ(central.column("SELECT Assessment_Title FROM Assessment"), QStringList { "Second title" });
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement"), QStringList { "BR1.02" });
    EXPECT_EQ(central.column("SELECT Control_Id FROM Control").size(), 12);
}

TEST_F(Upload, AFailingRowRollsBackTheWholeUploadAndIsNamed)
{
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    // The server rejects one control row of the next upload; the tables
    // written before it in that upload must come back as they were.
    central.exec(
        QStringLiteral("ALTER TABLE Control ADD CONSTRAINT no_sites CHECK (ControlObj_Name <> 'Sites') NOT VALID"));
    a.requirements().first();
    a.requirements().remove();
    Table& sys = a.system();
    sys.edit();
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Never uploaded"));
    sys.post();

    try {
        uploadWith(QStringLiteral("All"));
        FAIL() << "the upload did not report the rejected row";
    } catch (const QuarrixError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("table Control, row 11 (\"02.01.01\")"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("no_sites"))) << e.what();
    }
    EXPECT_EQ(central.column("SELECT Assessment_Title FROM Assessment"), QStringList { "Harbour review" });
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement ORDER BY 1"),
        (QStringList { "BR1.01", "BR1.02", "BR1.03" }));
    EXPECT_EQ(central.column("SELECT Control_Id FROM Control").size(), 12);
    EXPECT_EQ(central.column("SELECT ControlObj_Name FROM CObjective").size(), 4);
}

TEST_F(Upload, AMissingTableIsSkippedAndReportedWhileTheOthersAreWritten)
{
    central.exec(QStringLiteral("DROP TABLE ReqAtt"));
    const Outcome outcome = uploadWith(QStringLiteral("All"));
    EXPECT_EQ(outcome.status1, kDisconnected);
    EXPECT_EQ(outcome.status2, kTableProblem);
    ASSERT_EQ(outcome.problems.size(), 1);
    EXPECT_TRUE(outcome.problems.first().startsWith(QStringLiteral("ReqAtt: ")))
        << outcome.problems.first().toStdString();
    EXPECT_EQ(central.column("SELECT Driver_Id FROM Driver").size(), 2);
    EXPECT_EQ(central.column("SELECT ControlObj_Name FROM CObjective").size(), 4);
}

TEST_F(Upload, UnreachableServerOrRefusedLoginFailsTestAndUploadWithoutWriting)
{
    struct Case {
        const char* name;
        std::function<void(ServerSettings&)> spoil;
    };
    const Case cases[] = {
        { "wrong password", [](ServerSettings& s) { s.password += QStringLiteral("x"); } },
        { "server down", [](ServerSettings& s) { s.port = QStringLiteral("1"); } },
        { "no such database", [](ServerSettings& s) { s.database += QStringLiteral("_none"); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerSettings s = central.settings();
        c.spoil(s);
        const Outcome tested = test(s);
        EXPECT_EQ(tested.status1, kTestFailed);
        EXPECT_FALSE(tested.problems.isEmpty());
        QStringList statuses;
        const Outcome uploaded
            = upload(a, s, QStringLiteral("All"), [&](const QString& s1, const QString&) { statuses << s1; });
        EXPECT_EQ(uploaded.status1, kDisconnected);
        EXPECT_EQ(uploaded.status2, kTableProblem);
        EXPECT_EQ(statuses, QStringList { kTryingToConnect }); // never "Connected"
        EXPECT_FALSE(uploaded.problems.isEmpty());
        // The local derivation runs all the same.
        EXPECT_EQ(a.attribute().recordCount(), 2);
    }
    EXPECT_TRUE(central.rows(QStringLiteral("SELECT * FROM Requirement")).empty());
}

TEST_F(Upload, TestNeedsTheTestTable)
{
    EXPECT_EQ(test(central.settings()).status1, kTestedOk);
    central.exec(QStringLiteral("DROP TABLE Test"));
    const Outcome outcome = test(central.settings());
    EXPECT_EQ(outcome.status1, kTestFailed);
    EXPECT_TRUE(outcome.problems.value(0).startsWith(QStringLiteral("Test: ")));
}

TEST_F(Upload, PasswordWithSemicolonAndBracesConnects)
{
    const QString role = central.name + QStringLiteral("_odd");
    const QString password = QStringLiteral("pa;ss}w{rd=1;Driver={x}");
    // A fixed test literal; single quotes doubled for the statement.
    central.exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, QString(password).replace("'", "''")));
    central.exec(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO %1").arg(role));
    ServerSettings s = central.settings();
    s.user = role;
    s.password = password;
    EXPECT_EQ(test(s).status1, kTestedOk);
    const Outcome outcome = upload(a, s, QStringLiteral("All"));
    EXPECT_EQ(outcome.status2, kReady) << outcome.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3);
    s.password.chop(1);
    EXPECT_EQ(test(s).status1, kTestFailed);
    central.exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM %1").arg(role));
    central.exec(QStringLiteral("DROP ROLE %1").arg(role));
}

TEST_F(Upload, LongTextAndNonLatinTextArriveUnchanged)
{
    const QString longText = QString(6000, QChar(u'ж')) + QStringLiteral(" \u00e9\u4e2d\U0001F512 end");
    Table& sys = a.system();
    sys.edit();
    sys.setText(QStringLiteral("Description"), longText);
    sys.post();
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    EXPECT_EQ(central.column("SELECT Assessment_Description FROM Assessment"), QStringList { longText });
}

TEST_F(Upload, DriverControlsListWhatEachDriverCarries)
{
    // Profiles name business attributes only; the drivers carry the
    // security attributes reached from them, with their control identifiers.
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    EXPECT_EQ(joined("SELECT * FROM DrvCon ORDER BY Driver_Id, Attribute_Id, Control_Id"),
        (QStringList { "BD1.01|Integrity|01.01.01", "BD1.01|Integrity|01.02.01", "BD1.02|Availability|02.01.01" }));
    ASSERT_EQ(uploadWith(QStringLiteral("North")).status2, kReady);
    EXPECT_EQ(central.column("SELECT DISTINCT Driver_Id FROM DrvCon"), QStringList { "BD1.01" });

    // A central database of the twelve required tables takes the upload
    // whole; the table it lacks is skipped with one note.
    central.exec(QStringLiteral("DROP TABLE DrvCon"));
    const Outcome outcome = uploadWith(QStringLiteral("All"));
    EXPECT_EQ(outcome.status2, kReady);
    EXPECT_TRUE(outcome.problems.isEmpty()) << outcome.problems.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(outcome.notes.size(), 1);
    EXPECT_TRUE(outcome.notes.first().startsWith(QStringLiteral("Skipped the optional table DrvCon: ")))
        << outcome.notes.first().toStdString();
    EXPECT_EQ(uploadStatusLine(outcome), QStringLiteral("Upload complete           "));
    EXPECT_EQ(central.column("SELECT Driver_Id FROM DrAtt").size(), 2);
    EXPECT_EQ(central.column("SELECT ControlObj_Name FROM CObjective").size(), 4);
}

TEST_F(Upload, OnlyTheFirstAssessmentRowIsOverwrittenAndAnUnsetPriorityIsNull)
{
    central.exec(QStringLiteral("INSERT INTO Assessment VALUES ('OLD-1', 'First', 'one'), ('OLD-2', 'Second', 'two')"));
    Table& profile = a.driverProfiles();
    profile.append();
    profile.setText(QStringLiteral("CSeq"), QStringLiteral("BD1.02"));
    profile.setText(QStringLiteral("Attribute"), QStringLiteral("Accurate")); // priority never set
    profile.post();
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    EXPECT_EQ(joined("SELECT Assessment_ID, Assessment_Title FROM Assessment ORDER BY Assessment_ID"),
        (QStringList { "OLD-2|Second", "QA-1|Harbour review" }));
    EXPECT_EQ(joined("SELECT Driver_Id, Attribute_Id, COALESCE(DrAtt_Priority, 'null') FROM DrAtt "
                     "ORDER BY Driver_Id, Attribute_Id"),
        (QStringList { "BD1.01|Accurate|1", "BD1.02|Accurate|null", "BD1.02|Available|3" }));
}

TEST_F(Upload, AConnectionKilledMidwayIsReportedAtTheTableWhereItDied)
{
    ASSERT_EQ(uploadWith(QStringLiteral("All")).status2, kReady);
    // The next upload waits inside its Requirement rows for a lock this
    // test holds, and its server process is ended there.
    central.exec(QStringLiteral("CREATE FUNCTION hold_upload() RETURNS trigger LANGUAGE plpgsql AS "
                                "$$ BEGIN PERFORM pg_advisory_lock(4242); RETURN NULL; END $$"));
    central.exec(QStringLiteral("CREATE TRIGGER hold BEFORE INSERT ON Requirement "
                                "FOR EACH STATEMENT EXECUTE FUNCTION hold_upload()"));
    central.exec(QStringLiteral("SELECT pg_advisory_lock(4242)"));
    a.system().edit();
    a.system().setText(QStringLiteral("Assessment"), QStringLiteral("Never uploaded"));
    a.system().post();

    QString message = QStringLiteral("no error");
    std::thread uploading([&] {
        try {
            upload(a, central.settings(), QStringLiteral("All"));
        } catch (const QuarrixError& e) {
            message = e.message();
        }
    });
    QStringList killed;
    QElapsedTimer waited;
    waited.start();
    while (killed.isEmpty() && waited.elapsed() < 30000) {
        killed = central.column(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                               "WHERE datname = current_database() AND pid <> pg_backend_pid() "
                                               "AND wait_event = 'advisory'"));
        QThread::msleep(20);
    }
    uploading.join();
    central.exec(QStringLiteral("SELECT pg_advisory_unlock(4242)"));
    ASSERT_EQ(killed, QStringList { "1" }); // one backend ended

    EXPECT_TRUE(message.startsWith(QStringLiteral("Upload stopped at table Requirement, rows 1 to 3: ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("terminating connection"))) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("Nothing was changed in the central database.")))
        << message.toStdString();
    EXPECT_EQ(central.column("SELECT Assessment_Title FROM Assessment"), QStringList { "Harbour review" });
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3);
}

// Every step reaches a reporter that takes longer than the 50 ms between
// reports; the steps are recorded as "phase done/total".
struct SlowRecorder : Progress::Reporter {
    QStringList steps;
    void report(const QString& phase, qint64 done, qint64 total) override
    {
        steps << QStringLiteral("%1 %2/%3").arg(phase).arg(done).arg(total);
        QThread::msleep(55);
    }
};

// The upload tells the window's progress dialog how far it is: first each
// local record read, with no total known, then the rows written of all the
// rows to write, up to the whole.
TEST_F(Upload, ReportsReadingThenWritingUpToTheWhole)
{
    SlowRecorder recorder;
    {
        Progress::Scope scope(recorder);
        QThread::msleep(55);
        upload(a, central.settings(), QStringLiteral("All"));
    }
    ASSERT_FALSE(recorder.steps.isEmpty());
    const QStringList reading = recorder.steps.filter(QStringLiteral("Reading the assessment "));
    const QStringList writing = recorder.steps.filter(QStringLiteral("Uploading to the central database "));
    EXPECT_EQ(reading.size() + writing.size(), recorder.steps.size()) << recorder.steps.join('\n').toStdString();
    ASSERT_FALSE(reading.isEmpty());
    ASSERT_FALSE(writing.isEmpty());
    EXPECT_EQ(recorder.steps.indexOf(writing.first()), reading.size()); // all reading comes first
    for (int i = 0; i < reading.size(); ++i)
        EXPECT_EQ(reading[i], QStringLiteral("Reading the assessment %1/0").arg(i + 1));
    // The central tables hold the rows written; the last step says all are.
    qint64 rows = 0;
    for (const char* table : { "Division", "DivGroup", "Requirement", "ReqAtt", "Driver", "DrAtt", "Attribute",
             "AttCon", "DrvCon", "Control", "CObjective" })
        rows += central.column(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
                    .value(0)
                    .toLongLong();
    EXPECT_EQ(writing.first(), QStringLiteral("Uploading to the central database 0/%1").arg(rows));
    EXPECT_EQ(writing.last(), QStringLiteral("Uploading to the central database %1/%1").arg(rows));
}

}
