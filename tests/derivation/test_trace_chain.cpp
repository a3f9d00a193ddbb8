// Which drivers carry which attributes, the whole trace and its gaps, on an
// assessment whose profiles name business attributes only.
#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "analysis/trace_chain.h"
#include "support/temp_store.h"
#include "support/trace_assessment.h"

namespace {

class TraceChainTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        TraceAssessment::build(a);
    }

    TraceChain chainFor(const QString& division)
    {
        applyDivisionFilter(a.requirements(), division);
        applyDivisionFilter(a.drivers(), division);
        deriveAttributesInUse(a, division);
        return TraceChain(a, division);
    }

    static QStringList links(const TraceChain& chain)
    {
        QStringList out;
        chain.eachLink([&](const QString& driver, const QString& requirement, const TraceStep& s) {
            out << QStringList { driver, requirement, s.profiledAttribute,
                s.priority.isValid() ? s.priority.toString() : QStringLiteral("-"), s.securityAttribute, s.control }
                       .join(QLatin1Char('|'));
        });
        return out;
    }
};

TEST_F(TraceChainTest, DriversCarryWhatTheirProfilesReachThroughTheMappings)
{
    const CarriedAttributes carried = CarriedAttributes::read(a.store());
    const std::pair<const char*, QStringList> byDriver[] = {
        { "BD1.01", { "Accurate", "Integrity", "Traceability", "Responsive", "Availability", "Resilience" } },
        { "BD1.02", { "Responsive", "Availability", "Resilience", "Lonely" } },
        // priority 0: the row brings its own attribute only
        { "BD2.01", { "Punctual", "Availability", "Traceability", "Branded" } },
        { "BD2.02", { "Accurate" } },
        { "BD9.99", {} },
    };
    for (const auto& [cseq, attributes] : byDriver)
        EXPECT_EQ(carried.carriedBy(cseq), attributes) << cseq;
    // In the order of the first DrAtt row that brings the attribute to each.
    const std::pair<const char*, QStringList> byAttribute[] = {
        { "Availability", { "BD1.01", "BD1.02", "BD2.01" } }, { "Traceability", { "BD1.01", "BD2.01" } },
        { "Integrity", { "BD1.01" } }, { "Accurate", { "BD1.01", "BD2.02" } },
        { "Confidentiality", {} }, // no chain reaches it
        { "Scaled", {} }, // technical attributes are passed through, not carried
    };
    for (const auto& [attribute, drivers] : byAttribute)
        EXPECT_EQ(carried.driversCarrying(attribute), drivers) << attribute;
    EXPECT_TRUE(carried.carries("BD2.01", "Traceability"));
    EXPECT_FALSE(carried.carries("BD2.02", "Integrity"));
    ASSERT_EQ(carried.rows().size(), 7u);
    EXPECT_EQ(carried.rows()[5].brings, QStringList { "Branded" });
    EXPECT_EQ(carried.rows()[5].priority.toInt(), 0);

    // A row naming a security attribute itself carries it, whatever its
    // priority (the rule older stores rely on); carrying twice lists once.
    TraceAssessment::addUnusualProfile(a, "BD2.02", "Integrity", QVariant());
    TraceAssessment::addUnusualProfile(a, "BD1.02", "Availability", 3);
    const CarriedAttributes again = CarriedAttributes::read(a.store());
    EXPECT_EQ(again.driversCarrying("Integrity"), (QStringList { "BD1.01", "BD2.02" }));
    EXPECT_EQ(again.driversCarrying("Availability"), (QStringList { "BD1.01", "BD1.02", "BD2.01" }));
    EXPECT_EQ(again.rows().back().brings, QStringList { "Availability" });
    EXPECT_FALSE(again.rows()[7].priority.isValid());
}

TEST_F(TraceChainTest, EveryLinkFromDriverToControlInCodeOrder)
{
    EXPECT_EQ(links(chainFor("All")),
        (QStringList {
            "BD1.01|BR1.01|Accurate|1|Integrity|01.01.01", "BD1.01|BR1.01|Accurate|1|Integrity|01.02.01",
            "BD1.01|BR1.01|Accurate|1|Traceability|01.02.01", "BD1.01|BR1.01|Accurate|1|Traceability|09.09.09",
            "BD1.01|BR1.01|Responsive|3|Availability|01.02.01", "BD1.01|BR1.01|Responsive|3|Availability|02.01.01",
            "BD1.01|BR1.01|Responsive|3|Resilience|", // no control entry with a colon
            "BD1.01|BR1.02|Accurate|1|Integrity|01.01.01", "BD1.01|BR1.02|Accurate|1|Integrity|01.02.01",
            "BD1.01|BR1.02|Accurate|1|Traceability|01.02.01", "BD1.01|BR1.02|Accurate|1|Traceability|09.09.09",
            "BD1.01|BR1.02|Responsive|3|Availability|01.02.01", "BD1.01|BR1.02|Responsive|3|Availability|02.01.01",
            "BD1.01|BR1.02|Responsive|3|Resilience|",
            // Lonely reaches nothing in use: no link
            "BD1.02|BR1.02|Responsive|2|Availability|01.02.01", "BD1.02|BR1.02|Responsive|2|Availability|02.01.01",
            "BD1.02|BR1.02|Responsive|2|Resilience|", "BD2.01|BR2.01|Punctual|1|Availability|01.02.01",
            "BD2.01|BR2.01|Punctual|1|Availability|02.01.01", "BD2.01|BR2.01|Punctual|1|Traceability|01.02.01",
            "BD2.01|BR2.01|Punctual|1|Traceability|09.09.09",
            // a line without a colon is its own identifier
            "BD2.01|Say \"hi\", twice|Punctual|1|Availability|01.02.01",
            "BD2.01|Say \"hi\", twice|Punctual|1|Availability|02.01.01",
            "BD2.01|Say \"hi\", twice|Punctual|1|Traceability|01.02.01",
            "BD2.01|Say \"hi\", twice|Punctual|1|Traceability|09.09.09",
            // BD2.02 carries only Accurate, which is not in use
        }));

    // A driver without requirement lines gives one empty requirement; the
    // division keeps only its drivers, and its own attributes in use.
    TraceAssessment::addUnusualProfile(a, "BD2.02", "Punctual", 2);
    EXPECT_EQ(links(chainFor("South")).filter(QStringLiteral("BD2.02")),
        (QStringList { "BD2.02||Punctual|2|Availability|01.02.01", "BD2.02||Punctual|2|Availability|02.01.01",
            "BD2.02||Punctual|2|Traceability|01.02.01", "BD2.02||Punctual|2|Traceability|09.09.09" }));
    const QStringList north = links(chainFor("North"));
    EXPECT_EQ(north.size(), 17);
    EXPECT_TRUE(north.filter(QStringLiteral("BD2.")).isEmpty());
}

TEST_F(TraceChainTest, GapsForEachDivision)
{
    struct Case {
        const char* division;
        QStringList requirements, drivers, profiled, withoutControls, unknown;
    };
    const Case cases[] = {
        { "All", { "BR1.03", "BR2.02" }, { "BD2.02" }, { "Lonely" }, { "Resilience" }, { "09.09.09" } },
        { "North", { "BR1.03" }, {}, { "Lonely" }, { "Resilience" }, { "09.09.09" } },
        // only Punctual counts here: Availability and Traceability in use
        { "South", { "BR2.02" }, { "BD2.02" }, {}, {}, { "09.09.09" } },
        { "Nowhere", {}, {}, {}, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.division);
        const TraceGaps g = chainFor(c.division).gaps();
        EXPECT_EQ(g.requirementsWithoutDriver, c.requirements);
        EXPECT_EQ(g.driversWithoutProfile, c.drivers);
        EXPECT_EQ(g.profiledWithoutSecurity, c.profiled);
        EXPECT_EQ(g.securityWithoutControls, c.withoutControls);
        EXPECT_EQ(g.unknownControls, c.unknown);
    }
}

}
