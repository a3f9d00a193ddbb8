#include "compare/trace_facts.h"

#include "analysis/attributes_in_use.h"
#include "analysis/profile_division_filter.h"
#include "analysis/trace_chain.h"
#include "store/assessment.h"

#include <algorithm>

namespace TraceFacts {

void read(Assessment& assessment, const QString& division, AssessmentFacts& facts)
{
    applyDivisionFilter(assessment.requirements(), division);
    applyDivisionFilter(assessment.drivers(), division);
    // Worked out in memory: nothing is written, not even into this copy.
    const AttributesInUse inUse = AttributesInUse::derive(assessment.store(), division);
    for (const FactRecord& attribute : facts.attributes)
        if (inUse.contains(attribute.key))
            facts.attributesInUse << attribute.key; // in key order

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
    for (const TraceGaps::Named& gap : chain.gaps().named())
        for (const QString& name : *gap.items)
            facts.gaps.push_back({ QString::fromLatin1(gap.key), name });
}

}
