// quarrix-cli trace and gaps, run as programs on a store whose in-use marks
// were never derived.
#include "support/file_bytes.h"
#include "support/process_run.h"
#include "support/temp_store.h"
#include "support/trace_assessment.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class TraceCliTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        TraceAssessment::build(a);
    }

    ProcessRun cli(const QStringList& args)
    {
        const ProcessRun r = runCli(QStringList { "--store", path } + args);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        return r;
    }
};

TEST_F(TraceCliTest, TraceAsCsvQuotesAsRfc4180)
{
    EXPECT_EQ(cli({ "trace", "--division", "South" }).out,
        "driver,requirement,profiled_attribute,priority,security_attribute,control\r\n"
        "BD2.01,BR2.01,Punctual,1,Availability,01.02.01\r\n"
        "BD2.01,BR2.01,Punctual,1,Availability,02.01.01\r\n"
        "BD2.01,BR2.01,Punctual,1,Traceability,01.02.01\r\n"
        "BD2.01,BR2.01,Punctual,1,Traceability,09.09.09\r\n"
        "BD2.01,\"Say \"\"hi\"\", twice\",Punctual,1,Availability,01.02.01\r\n"
        "BD2.01,\"Say \"\"hi\"\", twice\",Punctual,1,Availability,02.01.01\r\n"
        "BD2.01,\"Say \"\"hi\"\", twice\",Punctual,1,Traceability,01.02.01\r\n"
        "BD2.01,\"Say \"\"hi\"\", twice\",Punctual,1,Traceability,09.09.09\r\n");
    // A division without drivers: the header alone.
    EXPECT_EQ(cli({ "trace", "--division", "Nowhere", "--format", "csv" }).out,
        "driver,requirement,profiled_attribute,priority,security_attribute,control\r\n");
}

TEST_F(TraceCliTest, TraceAsJsonWithNumbersAndNulls)
{
    // A row naming Integrity itself, priority never set.
    TraceAssessment::addUnusualProfile(a, "BD1.02", "Integrity", QVariant());
    const ProcessRun r = cli({ "trace", "--format", "json" });
    QJsonParseError error;
    const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    ASSERT_EQ(rows.size(), 27);
    EXPECT_EQ(rows[0].toObject(),
        (QJsonObject { { "driver", "BD1.01" }, { "requirement", "BR1.01" }, { "profiled_attribute", "Accurate" },
            { "priority", 1 }, { "security_attribute", "Integrity" }, { "control", "01.01.01" } }));
    EXPECT_EQ(rows[6].toObject().value("control"), QJsonValue(""));
    EXPECT_EQ(rows[14].toObject(),
        (QJsonObject { { "driver", "BD1.02" }, { "requirement", "BR1.02" }, { "profiled_attribute", "Integrity" },
            { "priority", QJsonValue::Null }, { "security_attribute", "Integrity" }, { "control", "01.01.01" } }));
}

TEST_F(TraceCliTest, GapsAsTextAndJson)
{
    EXPECT_EQ(cli({ "gaps", "--division", "North" }).out,
        "requirements_without_driver: 1\n  BR1.03\n"
        "drivers_without_profile: 0\n"
        "profiled_without_security: 1\n  Lonely\n"
        "security_without_controls: 1\n  Resilience\n"
        "unknown_controls: 1\n  09.09.09\n"
        "orphan_profile_rows: 0\n");
    const ProcessRun r = cli({ "gaps", "--format", "json" });
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object(),
        (QJsonObject { { "requirements_without_driver", QJsonArray { "BR1.03", "BR2.02" } },
            { "drivers_without_profile", QJsonArray { "BD2.02" } },
            { "profiled_without_security", QJsonArray { "Lonely" } },
            { "security_without_controls", QJsonArray { "Resilience" } },
            { "unknown_controls", QJsonArray { "09.09.09" } }, { "orphan_profile_rows", QJsonArray {} } }));
}

// A requirement named only from another division is listed with those
// drivers; a division with drivers and no requirements says so in both
// formats, and trace says why it is empty on the error stream.
TEST_F(TraceCliTest, GapsNameDriversElsewhereAndSayWhyNothingIsTraced)
{
    Table& d = a.drivers();
    ASSERT_TRUE(d.locate("CSeq", { "BD2.01" }));
    d.edit();
    d.setText("Requirement", "BR1.03: Orphan wish\r\n");
    d.post();
    TraceAssessment::add(d, { { "CSeq", "BD3.01" }, { "Division", "East" }, { "Driver", "Outpost" } });
    TraceAssessment::addUnusualProfile(a, "BD3.01", "Punctual", 1);
    TraceAssessment::addUnusualProfile(a, "BD9.99", "Punctual", 1); // no such driver
    EXPECT_TRUE(cli({ "gaps", "--division", "North" })
                    .out.startsWith("requirements_without_driver: 1\n  BR1.03  (named only by BD2.01 (South))\n"));

    const QString note = "Division East has 1 driver but no requirements: nothing is in use, so nothing is traced and "
                         "no gap is counted until a requirement is recorded.";
    EXPECT_EQ(cli({ "gaps", "--division", "East" }).out, note + "\norphan_profile_rows: 1\n  BD9.99: Punctual\n");
    EXPECT_EQ(QJsonDocument::fromJson(cli({ "gaps", "--division", "East", "--format", "json" }).out.toUtf8()).object(),
        (QJsonObject { { "note", note }, { "orphan_profile_rows", QJsonArray { "BD9.99: Punctual" } } }));
    const ProcessRun trace = cli({ "trace", "--division", "East" });
    EXPECT_EQ(trace.out, "driver,requirement,profiled_attribute,priority,security_attribute,control\r\n");
    EXPECT_EQ(trace.err.trimmed(), note);
}

TEST_F(TraceCliTest, MatrixAsCsv)
{
    EXPECT_EQ(cli({ "trace", "--format", "matrix-csv" }).out,
        "driver,Availability,Integrity,Resilience,Traceability\r\n"
        "BD1.01,3,1,3,1\r\n"
        "BD1.02,2,,2,\r\n"
        "BD2.01,1,,,1\r\n"
        "BD2.02,,,,\r\n"
        "(controls),,,none,\r\n");
    EXPECT_EQ(cli({ "trace", "--division", "South", "--format", "matrix-csv" }).out,
        "driver,Availability,Traceability\r\nBD2.01,1,1\r\nBD2.02,,\r\n(controls),,\r\n");
}

// Every command that only reads leaves the store as it found it, byte for
// byte, whatever marks and trace rows an earlier run left there.
TEST_F(TraceCliTest, ReadOnlyCommandsLeaveTheStoreByteForByte)
{
    // Marks no derivation would give, and an old trace row.
    a.store().exec("UPDATE Attribute SET InUse = 1");
    a.store().exec("INSERT INTO IDDR (IDDR, id, cseq) VALUES ('01.01.01BD9', '01.01.01', 'BD9')");
    a.store().exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const auto hash = [this] {
        return QCryptographicHash::hash(readBytes(path) + readBytes(path + "-wal"), QCryptographicHash::Sha256);
    };
    const QByteArray before = hash();
    const QString out = dir.filePath("out");
    const QList<QStringList> commands = {
        { "trace" },
        { "trace", "--division", "North", "--format", "json" },
        { "trace", "--format", "matrix-csv" },
        { "gaps", "--division", "South" },
        { "gaps", "--format", "json" },
        { "info" },
        { "risks", "--division", "North", "--format", "json" },
        { "export", out + ".xlsx", "--division", "North", "--tables", "requirements,drivers,attributes,controls" },
        { "report", out + ".docx", "--division", "South" },
        { "report", out + ".pdf" },
        { "taxonomy-report", out + "-taxonomy.docx", "--division", "North" },
        { "listings", out + ".pdf", "--division", "North", "--tables", "requirements,drivers,attributes,controls" },
    };
    for (const QStringList& args : commands) {
        cli(args);
        EXPECT_EQ(hash(), before) << args.join(' ').toStdString();
    }
}

TEST_F(TraceCliTest, BadArgumentsAreUsageErrors)
{
    for (const QStringList& args : { QStringList { "trace", "--format", "text" },
             QStringList { "gaps", "--format", "csv" }, QStringList { "trace", "extra" },
             QStringList { "gaps", "--division" }, QStringList { "trace", "--group", "User" } }) {
        const ProcessRun r = runCli(QStringList { "--store", path } + args);
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("usage: quarrix-cli")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

}
