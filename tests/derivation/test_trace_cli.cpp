// quarrix-cli trace and gaps, run as programs on a store whose in-use marks
// were never derived.
#include "support/process_run.h"
#include "support/temp_store.h"
#include "support/trace_assessment.h"

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
        "unknown_controls: 1\n  09.09.09\n");
    const ProcessRun r = cli({ "gaps", "--format", "json" });
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object(),
        (QJsonObject { { "requirements_without_driver", QJsonArray { "BR1.03", "BR2.02" } },
            { "drivers_without_profile", QJsonArray { "BD2.02" } },
            { "profiled_without_security", QJsonArray { "Lonely" } },
            { "security_without_controls", QJsonArray { "Resilience" } },
            { "unknown_controls", QJsonArray { "09.09.09" } } }));
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
