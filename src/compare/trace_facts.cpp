#include "compare/trace_facts.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "analysis/trace_chain.h"
#include "analysis/trace_output.h"
#include "store/assessment.h"

#include <QSet>
#include <algorithm>

namespace TraceFacts {

void read(Assessment& assessment, const QString& division, AssessmentFacts& facts)
{
    applyDivisionFilter(assessment.requirements(), division);
    applyDivisionFilter(assessment.drivers(), division);
    deriveAttributesInUse(assessment, division);

    QSet<QString> inUse;
    assessment.store()
        .cached(QStringLiteral("SELECT Attribute FROM Attribute WHERE InUse"))
        .eachRow([&](SqlStatement& s) { inUse.insert(s.text(0)); });
    facts.attributesInUse = QStringList(inUse.cbegin(), inUse.cend());
    std::sort(facts.attributesInUse.begin(), facts.attributesInUse.end());

    const TraceChain chain(assessment, division);
    for (const DriverTrace& driver : chain.drivers()) {
        TracedDriver& traced = facts.trace[driver.cseq];
        traced.requirements = driver.requirements;
        traced.requirements.removeDuplicates(); // already sorted
        traced.steps.reserve(driver.steps.size());
        for (const TraceStep& step : driver.steps)
            traced.steps.emplace_back(step.securityAttribute, step.control);
        std::sort(traced.steps.begin(), traced.steps.end());
        traced.steps.erase(std::unique(traced.steps.begin(), traced.steps.end()), traced.steps.end());
    }
    for (const auto& [gap, names] : TraceOutput::gapLists(chain.gaps()))
        for (const QString& name : *names)
            facts.gaps.push_back({ gap, name });
}

}
