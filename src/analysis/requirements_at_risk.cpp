#include "analysis/requirements_at_risk.h"

#include "analysis/trace_chain.h"
#include "store/assessment.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <tuple>

namespace {

constexpr int kAtRiskScore = 4;
constexpr int kShownScore = 3;

int priorityOf(const QVariant& priority)
{
    const qlonglong p = priority.isValid() ? priority.toLongLong() : 0;
    return p >= 1 && p <= 3 ? int(p) : 4;
}

struct Reach {
    QHash<QString, int> attributes; // reached attribute -> best priority of a chain to it
};

}

namespace RequirementsAtRisk {

int urgency(const RequirementAtRisk& r)
{
    return r.worst && r.worst->score >= kAtRiskScore ? r.worst->score : 0;
}

std::vector<RequirementAtRisk> list(Assessment& assessment, const QString& division, const ApplicationRisks& risks)
{
    const TraceChain chain(assessment, division);
    const QStringList& withoutControls = chain.gaps().securityWithoutControls;
    const QSet<QString> uncontrolled(withoutControls.cbegin(), withoutControls.cend());

    // What each requirement reaches, by identifier.
    std::map<QString, Reach> reach;
    chain.eachLink([&](const QString&, const QString& requirement, const TraceStep& step) {
        if (requirement.isEmpty())
            return;
        QHash<QString, int>& reached = reach[requirement].attributes;
        reached[step.securityAttribute] = std::min(reached.value(step.securityAttribute, 4), priorityOf(step.priority));
    });

    // The highest scoring entry of each attribute (the first on a tie).
    QHash<QString, const ScoredRisk*> worstOf;
    for (const ScoredRisk& entry : risks.entries()) {
        const ScoredRisk*& worst = worstOf[entry.attribute];
        if (!worst || entry.score > worst->score)
            worst = &entry;
    }

    std::vector<RequirementAtRisk> out;
    const bool all = division == QLatin1String("All");
    assessment.store()
        .cached(QStringLiteral("SELECT RSeq, Requirement, Division, Activity FROM Requirements ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            const auto found = reach.find(s.text(0));
            if (found == reach.end() || (!all && s.text(2) != division))
                return;
            RequirementAtRisk r { s.text(0), s.text(1), s.text(3), std::nullopt, {}, 4 };
            bool atRisk = false;
            const ScoredRisk* shown = nullptr;
            for (auto it = found->second.attributes.cbegin(); it != found->second.attributes.cend(); ++it) {
                const ScoredRisk* worst = worstOf.value(it.key());
                const bool scored = worst && worst->score >= kAtRiskScore;
                const bool withoutControl = uncontrolled.contains(it.key());
                // Entries lie in their order in one vector, so the lower address is the earlier.
                if (worst && worst->score >= kShownScore
                    && (!shown || worst->score > shown->score || (worst->score == shown->score && worst < shown)))
                    shown = worst;
                if (withoutControl)
                    r.uncontrolled << it.key();
                if (scored || withoutControl) {
                    atRisk = true;
                    r.bestPriority = std::min(r.bestPriority, it.value());
                }
            }
            if (!atRisk)
                return;
            if (shown)
                r.worst = *shown;
            std::sort(r.uncontrolled.begin(), r.uncontrolled.end());
            out.push_back(std::move(r));
        });
    // A requirement stored twice under one identifier is listed once.
    std::stable_sort(out.begin(), out.end(), [](const RequirementAtRisk& x, const RequirementAtRisk& y) {
        return std::make_tuple(-urgency(x), x.bestPriority, x.rseq)
            < std::make_tuple(-urgency(y), y.bestPriority, y.rseq);
    });
    out.erase(std::unique(out.begin(), out.end(),
                  [](const RequirementAtRisk& x, const RequirementAtRisk& y) { return x.rseq == y.rseq; }),
        out.end());
    return out;
}

}
