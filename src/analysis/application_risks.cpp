#include "analysis/application_risks.h"

#include "compare/risk_score.h"
#include "store/store.h"

#include <algorithm>

QString ScoredRisk::level() const
{
    if (score >= 6)
        return QStringLiteral("High");
    if (score >= 3)
        return QStringLiteral("Medium");
    if (score >= 1)
        return QStringLiteral("Low");
    return QStringLiteral("Unrated");
}

ApplicationRisks ApplicationRisks::read(Store& store)
{
    ApplicationRisks risks;
    // An entry keeps its application's row id as text; the join compares it
    // as a number, so the entries follow their applications' order.
    store
        .cached(
            QStringLiteral("SELECT a.Application, r.Attribute, r.Likelihood, r.Impact, r.Risk FROM AppControl AS r "
                           "JOIN Applications AS a ON a.rowid = CAST(r.AppId AS INTEGER) ORDER BY a.rowid, r.rowid"))
        .eachRow([&](SqlStatement& s) {
            ScoredRisk entry { s.text(0), s.text(1), s.text(2), s.text(3), s.text(4), 0 };
            entry.score = RiskScore::of(entry.likelihood, entry.impact).value_or(0);
            risks.m_byAttribute[entry.attribute].push_back(risks.m_entries.size());
            risks.m_entries.push_back(std::move(entry));
        });
    return risks;
}

std::vector<const ScoredRisk*> ApplicationRisks::of(const QString& attribute) const
{
    std::vector<const ScoredRisk*> out;
    for (size_t i : m_byAttribute.value(attribute))
        out.push_back(&m_entries[i]);
    return out;
}

ApplicationRisks::Matrix ApplicationRisks::matrix() const
{
    Matrix counts {};
    for (const ScoredRisk& entry : m_entries)
        if (entry.rated())
            ++counts[size_t(*RiskScore::rating(entry.likelihood) - 1)][size_t(*RiskScore::rating(entry.impact) - 1)];
    return counts;
}

int ApplicationRisks::unratedCount() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const ScoredRisk& e) { return !e.rated(); }));
}
