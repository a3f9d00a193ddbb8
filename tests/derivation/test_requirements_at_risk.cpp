// The requirements at risk, in order of urgency, and the risk matrix counts.
#include "analysis/application_risks.h"
#include "analysis/in_use_derivation.h"
#include "analysis/requirements_at_risk.h"
#include "analysis/security_risk_store.h"
#include "compare/risk_score.h"
#include "support/risk_assessment.h"
#include "support/temp_store.h"

namespace {

// Rates an application's risk entry of an attribute anew.
void setRisk(Assessment& a, const char* application, const char* attribute, const char* likelihood, const char* impact)
{
    Table& apps = a.applications();
    for (int row = 0; row < apps.recordCount(); ++row)
        if (apps.textAt(row, apps.fieldIndex("Application")) == QLatin1String(application))
            RiskStore::write(a, apps.rowIdAt(row), QLatin1String(application), QLatin1String(attribute),
                { QString(), QLatin1String(likelihood), QLatin1String(impact) });
}

class RequirementsAtRiskTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        RiskAssessment::build(a);
    }

    // Each requirement at risk as "id score priority worst-application/attribute [uncontrolled]".
    QStringList atRisk(const QString& division)
    {
        deriveAttributesInUse(a, division);
        QStringList out;
        for (const RequirementAtRisk& r : RequirementsAtRisk::list(a, division, ApplicationRisks::read(a.store()))) {
            QString line
                = QStringLiteral("%1 %2 p%3").arg(r.rseq).arg(RequirementsAtRisk::urgency(r)).arg(r.bestPriority);
            if (r.worst)
                line += QStringLiteral(" %1 %2 %3/%4")
                            .arg(r.worst->level())
                            .arg(r.worst->score)
                            .arg(r.worst->application, r.worst->attribute);
            if (!r.uncontrolled.isEmpty())
                line += QStringLiteral(" [") + r.uncontrolled.join(u',') + u']';
            out << line;
        }
        return out;
    }
};

}

TEST_F(RequirementsAtRiskTest, ListedByScoreThenWithoutControlsThenPriorityThenIdentifier)
{
    const struct {
        const char* name;
        QString division;
        std::function<void(Assessment&)> change;
        QStringList expected;
    } cases[] = {
        { "all divisions: scored first, then those at risk only for want of a control", "All", nullptr,
            { "R1 9 p1 High 9 Portal/SA", "R3 4 p1 Medium 4 Portal/SB", "R6 0 p1 [SD]",
                "R2 0 p2 Medium 3 Ledger/SF [SD]" } },
        { "a division counts its own requirements and drivers", "North", nullptr,
            { "R1 9 p1 High 9 Portal/SA", "R2 0 p2 Medium 3 Ledger/SF [SD]" } },
        { "the other division", "South", nullptr, { "R3 4 p1 Medium 4 Portal/SB", "R6 0 p1 [SD]" } },
        { "equal scores go by the best priority of a chain to what is at risk", "All",
            [](Assessment& t) { setRisk(t, "Portal", "SA", "Low", "Low"); },
            { "R3 4 p1 Medium 4 Portal/SB", "R1 4 p3 Medium 4 Portal/SB", "R6 0 p1 [SD]",
                "R2 0 p2 Medium 3 Ledger/SF [SD]" } },
        { "equal scores and priorities go by identifier", "All",
            [](Assessment& t) {
                setRisk(t, "Portal", "SA", "Low", "Low");
                setRisk(t, "Portal", "SB", "Low", "Low");
                setRisk(t, "Ledger", "SB", "Low", "Low");
                setRisk(t, "Ledger", "SC", "High", "Medium");
            },
            { "R3 6 p2 High 6 Ledger/SC", "R4 6 p2 High 6 Ledger/SC", "R6 0 p1 [SD]",
                "R2 0 p2 Medium 3 Ledger/SF [SD]" } },
        { "a score below 4 puts nothing at risk; an unrated entry never does", "All",
            [](Assessment& t) {
                setRisk(t, "Portal", "SA", "Medium", "Low");
                setRisk(t, "Portal", "SB", "Low", "Medium");
                setRisk(t, "Ledger", "SE", "Severe", "Severe");
            },
            { "R6 0 p1 [SD]", "R2 0 p2 Medium 3 Ledger/SF [SD]" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        a.clearDatabase();
        RiskAssessment::build(a);
        if (c.change)
            c.change(a);
        EXPECT_EQ(atRisk(c.division), c.expected);
    }
}

TEST_F(RequirementsAtRiskTest, MatrixCountsRatedEntriesByLikelihoodAndImpact)
{
    const ApplicationRisks risks = ApplicationRisks::read(a.store());
    // Rows: likelihood Low, Medium, High; columns: impact Low, Medium, High.
    const ApplicationRisks::Matrix expected { { { 1, 0, 2 }, { 0, 1, 0 }, { 0, 0, 1 } } };
    EXPECT_EQ(risks.matrix(), expected);
    EXPECT_EQ(risks.unratedCount(), 1);
    ASSERT_EQ(risks.entries().size(), 6u);
    // Entries follow their application, and an entry of an application
    // deleted without them is left out.
    EXPECT_EQ(risks.of("SB").size(), 2u);
    EXPECT_EQ(risks.of("SB").front()->application, "Portal");
    addRow(
        a.appControl(), { { "AppId", "999" }, { "Attribute", "SA" }, { "Likelihood", "High" }, { "Impact", "High" } });
    EXPECT_EQ(ApplicationRisks::read(a.store()).entries().size(), 6u);

    const struct {
        const char* likelihood;
        const char* impact;
        int score;
        const char* level;
    } levels[] = { { "Low", "Low", 1, "Low" }, { "Low", "Medium", 2, "Low" }, { "Low", "High", 3, "Medium" },
        { "Medium", "Medium", 4, "Medium" }, { "High", "Medium", 6, "High" }, { "High", "High", 9, "High" },
        { "high", "High", 0, "Unrated" }, { "", "Low", 0, "Unrated" } };
    for (const auto& l : levels) {
        ScoredRisk r;
        r.score = RiskScore::of(QLatin1String(l.likelihood), QLatin1String(l.impact)).value_or(0);
        EXPECT_EQ(r.score, l.score) << l.likelihood << "/" << l.impact;
        EXPECT_EQ(r.level(), QLatin1String(l.level)) << l.likelihood << "/" << l.impact;
    }
}
