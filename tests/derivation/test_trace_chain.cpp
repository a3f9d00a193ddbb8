// Which drivers carry which attributes, the whole trace and its gaps, on an
// assessment whose profiles name business attributes only.
#include "analysis/carried_attributes.h"
#include "analysis/trace_chain.h"
#include "support/temp_store.h"
#include "support/trace_assessment.h"

#include <functional>

namespace {

void expectGapsAgreeWithTheTrace(const TraceChain& chain);

class TraceChainTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        TraceAssessment::build(a);
    }

    // Derived in memory: the marks in the store play no part.
    TraceChain chainFor(const QString& division) { return TraceChain(a, division); }

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

// Every gap is a fact the trace shows or lacks.
void expectGapsAgreeWithTheTrace(const TraceChain& chain)
{
    const TraceGaps& g = chain.gaps();
    QSet<QString> linkedDrivers, linkedRequirements, profiledReaching, linkedControls;
    QHash<QString, bool> securityWithControl;
    chain.eachLink([&](const QString& driver, const QString& requirement, const TraceStep& s) {
        linkedDrivers.insert(driver);
        linkedRequirements.insert(requirement);
        if (s.securityAttribute != s.profiledAttribute)
            profiledReaching.insert(s.profiledAttribute);
        securityWithControl[s.securityAttribute] |= !s.control.isEmpty();
        linkedControls.insert(s.control);
    });
    for (const QString& r : g.requirementsWithoutDriver)
        EXPECT_FALSE(linkedRequirements.contains(r)) << r.toStdString();
    for (const QString& d : chain.driversInView()) {
        if (!g.noRequirements) {
            EXPECT_NE(g.driversWithoutProfile.contains(d), linkedDrivers.contains(d)) << d.toStdString();
        }
    }
    for (const QString& p : g.profiledWithoutSecurity)
        EXPECT_FALSE(profiledReaching.contains(p)) << p.toStdString();
    for (const QString& name : chain.attributesInUse()) {
        if (securityWithControl.contains(name)) {
            EXPECT_NE(g.securityWithoutControls.contains(name), securityWithControl.value(name)) << name.toStdString();
        }
    }
    for (const QString& id : g.unknownControls)
        EXPECT_FALSE(chain.inCatalogue(id)) << id.toStdString();
    for (const QString& row : g.orphanProfileRows)
        EXPECT_FALSE(linkedDrivers.contains(row.section(QStringLiteral(": "), 0, 0))) << row.toStdString();
    if (g.noRequirements) {
        EXPECT_TRUE(linkedDrivers.isEmpty());
    }
}

TEST_F(TraceChainTest, GapsAgreeWithTheTraceForEachAssessment)
{
    using Change = std::function<void(Assessment&)>;
    const Change none = [](Assessment&) {};
    struct Case {
        const char* title;
        Change change;
        const char* division;
        QStringList requirements, drivers, profiled, withoutControls, unknown, orphans;
        QStringList inUse = {};
    };
    const Case cases[] = {
        { "the fixture, all divisions", none, "All", { "BR1.03", "BR2.02" }, { "BD2.02" }, { "Lonely" },
            { "Resilience" }, { "09.09.09" }, {} },
        { "the fixture, North", none, "North", { "BR1.03" }, {}, { "Lonely" }, { "Resilience" }, { "09.09.09" }, {} },
        // only Punctual counts here: Availability and Traceability in use
        { "the fixture, South", none, "South", { "BR2.02" }, { "BD2.02" }, {}, {}, { "09.09.09" }, {},
            { "Availability", "Traceability" } },
        { "a division nobody has", none, "Nowhere", {}, {}, {}, {}, {}, {} },
        // A row of a driver that is gone: listed, and it puts nothing in use
        // (Secretive would bring Confidentiality).
        { "an orphan profile row",
            [](Assessment& a) {
                TraceAssessment::add(a.businessToTechnical(), { { "BusAtt", "Secretive" }, { "TechAtt", "Hidden" } });
                TraceAssessment::add(
                    a.technicalToSecurity(), { { "TechAtt", "Hidden" }, { "SecAtt", "Confidentiality" } });
                TraceAssessment::addUnusualProfile(a, "BD7.77", "Secretive", 1);
            },
            "All", { "BR1.03", "BR2.02" }, { "BD2.02" }, { "Lonely" }, { "Resilience" }, { "09.09.09" },
            { "BD7.77: Secretive" }, { "Availability", "Integrity", "Resilience", "Traceability" } },
        // BR1.04 of North is named only by BD2.01 of South.
        { "a requirement named only from another division",
            [](Assessment& a) {
                TraceAssessment::add(a.requirements(),
                    { { "RSeq", "BR1.04" }, { "Requirement", "Shared wish" }, { "Division", "North" } });
                Table& d = a.drivers();
                ASSERT_TRUE(d.locate("CSeq", { "BD2.01" }));
                d.edit();
                d.setText("Requirement", d.text("Requirement") + "BR1.04: Shared wish\r\n");
                d.post();
            },
            "North", { "BR1.03", "BR1.04" }, {}, { "Lonely" }, { "Resilience" }, { "09.09.09" }, {} },
        // Integrity profiled directly is carried, not a gap; BD1.03 profiles
        // only Lonely, which reaches nothing, so it carries nothing; BD2.02's
        // row without a priority names Availability, which is in use.
        { "profiles naming security attributes, and a driver that carries nothing",
            [](Assessment& a) {
                TraceAssessment::addUnusualProfile(a, "BD1.02", "Integrity", 2);
                TraceAssessment::addUnusualProfile(a, "BD2.02", "Availability", QVariant());
                TraceAssessment::add(a.drivers(),
                    { { "CSeq", "BD1.03" }, { "Driver", "Dead end" }, { "Division", "North" },
                        { "Requirement", "BR1.03: Orphan wish\r\n" } });
                TraceAssessment::addUnusualProfile(a, "BD1.03", "Lonely", 1);
            },
            "All", { "BR2.02" }, { "BD1.03" }, { "Lonely" }, { "Resilience" }, { "09.09.09" }, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        QTemporaryDir caseDir;
        Assessment fresh;
        QString error;
        ASSERT_TRUE(fresh.open(caseDir.filePath(QStringLiteral("Quarrix.mdb")), true, &error)) << error.toStdString();
        TraceAssessment::build(fresh);
        c.change(fresh);
        const TraceChain chain(fresh, QString::fromLatin1(c.division));
        const TraceGaps& g = chain.gaps();
        EXPECT_EQ(g.requirementsWithoutDriver, c.requirements);
        EXPECT_EQ(g.driversWithoutProfile, c.drivers);
        EXPECT_EQ(g.profiledWithoutSecurity, c.profiled);
        EXPECT_EQ(g.securityWithoutControls, c.withoutControls);
        EXPECT_EQ(g.unknownControls, c.unknown);
        EXPECT_EQ(g.orphanProfileRows, c.orphans);
        if (!c.inUse.isEmpty()) {
            EXPECT_EQ(chain.attributesInUse(), c.inUse);
        }
        EXPECT_FALSE(g.noRequirements);
        expectGapsAgreeWithTheTrace(chain);
    }
}

// A division with drivers but no requirement: nothing is in use, nothing is
// traced, and the gaps say why instead of listing nothing.
TEST_F(TraceChainTest, ADivisionWithDriversButNoRequirementsSaysSo)
{
    TraceAssessment::add(a.drivers(),
        { { "CSeq", "BD3.01" }, { "Driver", "Eastern outpost" }, { "Division", "East" }, { "Requirement", "" } });
    TraceAssessment::addUnusualProfile(a, "BD3.01", "Punctual", 1);
    const TraceChain east(a, QStringLiteral("East"));
    EXPECT_TRUE(east.gaps().noRequirements);
    EXPECT_EQ(east.gaps().noRequirementsNote(),
        "Division East has 1 driver but no requirements: nothing is in use, so nothing is traced and no gap is "
        "counted until a requirement is recorded.");
    EXPECT_TRUE(east.drivers().empty());
    EXPECT_TRUE(east.attributesInUse().isEmpty());
    EXPECT_EQ(east.gaps().count(), 0);
    expectGapsAgreeWithTheTrace(east);
    // Every other view is as before.
    EXPECT_FALSE(TraceChain(a, QStringLiteral("All")).gaps().noRequirements);
}

// The matrix holds a cell exactly where the trace holds a step, with the
// best priority that carries it.
TEST_F(TraceChainTest, CoverageMatrixAgreesWithTheTrace)
{
    TraceAssessment::addUnusualProfile(a, "BD2.02", "Availability", QVariant());
    const TraceChain chain(a, QStringLiteral("All"));
    const CoverageMatrix m(chain);
    EXPECT_EQ(m.drivers(), (QStringList { "BD1.01", "BD1.02", "BD2.01", "BD2.02" }));
    EXPECT_EQ(m.attributes(), (QStringList { "Availability", "Integrity", "Resilience", "Traceability" }));
    const std::vector<std::vector<int>> cells = {
        { 3, 1, 3, 1 }, // BD1.01: Responsive 3, Accurate 1
        { 2, -1, 2, -1 }, // BD1.02: Responsive 2; Lonely reaches nothing
        { 1, -1, -1, 1 }, // BD2.01: Punctual 1
        { 0, -1, -1, -1 }, // BD2.02: Availability named without a priority
    };
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(m.cell(d, s), cells[size_t(d)][size_t(s)]) << d << "," << s;
    EXPECT_EQ(std::vector<bool>({ m.withoutControl(0), m.withoutControl(1), m.withoutControl(2), m.withoutControl(3) }),
        (std::vector<bool> { false, false, true, false }));
    QSet<QString> stepped;
    chain.eachLink([&](const QString& driver, const QString&, const TraceStep& s) {
        stepped.insert(driver + "|" + s.securityAttribute);
    });
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(
                m.cell(d, s) != CoverageMatrix::notCarried, stepped.contains(m.drivers()[d] + "|" + m.attributes()[s]));
}

}
