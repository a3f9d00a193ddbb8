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

TraceChain::TraceChain(Assessment& assessment, const QString& division)
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
            if (s.column(1).toBool() && !inUse.contains(name))
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

    QSet<QString> unnamed;
    store.cached(QStringLiteral("SELECT RSeq, Division, Requirement FROM Requirements ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            if (!withinFilter(division, s.text(1)))
                return;
            if (!named.contains(s.text(0)))
                unnamed.insert(s.text(0));
            if (!m_requirementTexts.contains(s.text(0)))
                m_requirementTexts.insert(s.text(0), s.text(2));
        });

    const CarriedAttributes carried = CarriedAttributes::read(store);
    QHash<QString, std::vector<const ProfileReach*>> rowsOf;
    for (const ProfileReach& row : carried.rows())
        rowsOf[row.cseq].push_back(&row);

    QSet<QString> unprofiled, reachingNothing;
    for (auto& [cseq, requirements] : requirementsOf) {
        DriverTrace d { cseq, requirements, {} };
        std::sort(d.requirements.begin(), d.requirements.end());
        bool profiled = false;
        for (const ProfileReach* row : rowsOf.value(cseq)) {
            if (isProfiledPriority(row->priority)) {
                profiled = true;
                if (std::none_of(row->reached.cbegin(), row->reached.cend(),
                        [&](const QString& name) { return attributeNames.contains(name); }))
                    reachingNothing.insert(row->attribute);
            }
            for (const QString& name : row->brings) {
                const auto controls = inUse.constFind(name);
                if (controls == inUse.constEnd())
                    continue;
                if (controls->isEmpty())
                    d.steps.push_back({ row->attribute, row->priority, name, QString() });
                for (const QString& id : *controls)
                    d.steps.push_back({ row->attribute, row->priority, name, id });
            }
        }
        if (!profiled)
            unprofiled.insert(cseq);
        if (d.steps.empty())
            continue;
        std::stable_sort(d.steps.begin(), d.steps.end(), [](const TraceStep& x, const TraceStep& y) {
            if (x.profiledAttribute != y.profiledAttribute)
                return x.profiledAttribute < y.profiledAttribute;
            if (x.securityAttribute != y.securityAttribute)
                return x.securityAttribute < y.securityAttribute;
            return x.control < y.control;
        });
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
