#include "analysis/trace_chain.h"

#include "analysis/carried_attributes.h"
#include "analysis/requirement_lines.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/store.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <tuple>

namespace {

// As the division filter selects: "All" every record, any other text
// (empty included) the records of exactly that division.
bool withinFilter(const QString& division, const QString& recordDivision)
{
    return division == QLatin1String("All") || recordDivision == division;
}

QStringList sortedDistinct(const QSet<QString>& items)
{
    QStringList out(items.cbegin(), items.cend());
    std::sort(out.begin(), out.end());
    return out;
}

}

int TraceGaps::count() const
{
    return int(requirementsWithoutDriver.size() + driversWithoutProfile.size() + profiledWithoutSecurity.size()
        + securityWithoutControls.size() + unknownControls.size());
}

TraceChain::TraceChain(Assessment& assessment, const QString& division, const QSet<QString>* inUseNames)
{
    Store& store = assessment.store();

    // Attributes: every name, and the control identifiers of those in use
    // (the first row of a name marked in use).
    QSet<QString> attributeNames;
    QHash<QString, QStringList> inUse;
    store.cached(QStringLiteral("SELECT Attribute, InUse, SecControls FROM Attribute ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            const QString name = s.text(0);
            attributeNames.insert(name);
            const bool marked = inUseNames ? inUseNames->contains(name) : s.column(1).toBool();
            if (marked && !inUse.contains(name))
                inUse.insert(name, controlEntryIdentifiers(s.text(2)));
        });
    store.cached(QStringLiteral("SELECT Id, control_title FROM Controls ORDER BY rowid")).eachRow([&](SqlStatement& s) {
        if (!m_controlTitles.contains(s.text(0)))
            m_controlTitles.insert(s.text(0), s.text(1));
    });

    // Drivers within the filter with their requirement identifiers; every
    // driver's lines name requirements.
    std::map<QString, QStringList> requirementsOf;
    QSet<QString> named;
    store.cached(QStringLiteral("SELECT CSeq, Requirement, Division, Driver FROM Drivers ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            const QStringList lines = LineList::split(s.text(1));
            QStringList ids;
            for (const QString& line : lines)
                ids << RequirementLines::identifier(line);
            for (const QString& id : ids)
                named.insert(id);
            if (!withinFilter(division, s.text(2)))
                return;
            if (!m_driverTexts.contains(s.text(0)))
                m_driverTexts.insert(s.text(0), s.text(3));
            if (ids.isEmpty())
                ids << QString();
            requirementsOf[s.text(0)] += ids;
        });

    // Requirements within the filter: those no line names, and the texts of
    // those the filter's drivers name.
    QSet<QString> shown, unnamed;
    for (const auto& [cseq, ids] : requirementsOf)
        for (const QString& id : ids)
            shown.insert(id);
    store.cached(QStringLiteral("SELECT RSeq, Division, Requirement FROM Requirements ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            if (!withinFilter(division, s.text(1)))
                return;
            const QString id = s.text(0);
            if (!named.contains(id))
                unnamed.insert(id);
            else if (shown.contains(id) && !m_requirementTexts.contains(id))
                m_requirementTexts.insert(id, s.text(2));
        });

    const CarriedAttributes carried = CarriedAttributes::read(store);
    QHash<QString, std::vector<const ProfileReach*>> rowsOf;
    for (const ProfileReach& row : carried.rows())
        rowsOf[row.cseq].push_back(&row);

    // Where a profile row leads: each attribute in use it brings with each of
    // that attribute's control identifiers (or none), sorted; and whether
    // its chain reaches any attribute at all. Rows of one profiled attribute
    // bring the same, so each is worked out once.
    struct Leads {
        std::vector<std::pair<QString, QString>> steps;
        bool reachesAttribute = false;
    };
    QHash<QString, Leads> leadsOf[2]; // by profiled attribute; [1]: priority 1 to 3
    auto leadsOfRow = [&](const ProfileReach& row) -> const Leads& {
        const bool counts = isProfiledPriority(row.priority);
        auto found = leadsOf[counts].constFind(row.attribute);
        if (found != leadsOf[counts].constEnd())
            return *found;
        Leads l;
        for (const QString& name : row.brings) {
            const auto controls = inUse.constFind(name);
            if (controls == inUse.constEnd())
                continue;
            if (controls->isEmpty())
                l.steps.emplace_back(name, QString());
            for (const QString& id : *controls)
                l.steps.emplace_back(name, id);
        }
        std::stable_sort(l.steps.begin(), l.steps.end());
        l.reachesAttribute = std::any_of(row.reached.cbegin(), row.reached.cend(),
            [&](const QString& name) { return attributeNames.contains(name); });
        return *leadsOf[counts].insert(row.attribute, l);
    };

    QSet<QString> unprofiled, reachingNothing;
    for (auto& [cseq, requirements] : requirementsOf) {
        DriverTrace d { cseq, requirements, {} };
        std::sort(d.requirements.begin(), d.requirements.end());
        std::vector<const ProfileReach*> rows = rowsOf.value(cseq);
        std::stable_sort(rows.begin(), rows.end(),
            [](const ProfileReach* x, const ProfileReach* y) { return x->attribute < y->attribute; });
        size_t stepCount = 0;
        for (const ProfileReach* row : rows)
            stepCount += leadsOfRow(*row).steps.size();
        d.steps.reserve(stepCount);
        bool profiled = false;
        for (auto group = rows.begin(); group != rows.end();) {
            const auto groupEnd = std::find_if(
                group, rows.end(), [&](const ProfileReach* r) { return r->attribute != (*group)->attribute; });
            const size_t first = d.steps.size();
            for (auto row = group; row != groupEnd; ++row) {
                const Leads& leads = leadsOfRow(**row);
                if (isProfiledPriority((*row)->priority)) {
                    profiled = true;
                    if (!leads.reachesAttribute)
                        reachingNothing.insert((*row)->attribute);
                }
                for (const auto& [security, control] : leads.steps)
                    d.steps.push_back({ (*row)->attribute, (*row)->priority, security, control });
            }
            // Rows naming the same attribute twice merge in step order.
            if (groupEnd - group > 1)
                std::stable_sort(
                    d.steps.begin() + qsizetype(first), d.steps.end(), [](const TraceStep& x, const TraceStep& y) {
                        return std::tie(x.securityAttribute, x.control) < std::tie(y.securityAttribute, y.control);
                    });
            group = groupEnd;
        }
        if (!profiled)
            unprofiled.insert(cseq);
        if (!d.steps.empty())
            m_drivers.push_back(std::move(d));
    }

    QSet<QString> withoutControls, unknown;
    for (auto it = inUse.cbegin(); it != inUse.cend(); ++it) {
        if (it->isEmpty())
            withoutControls.insert(it.key());
        for (const QString& id : *it)
            if (!m_controlTitles.contains(id))
                unknown.insert(id);
    }
    m_gaps = { sortedDistinct(unnamed), sortedDistinct(unprofiled), sortedDistinct(reachingNothing),
        sortedDistinct(withoutControls), sortedDistinct(unknown) };
}
