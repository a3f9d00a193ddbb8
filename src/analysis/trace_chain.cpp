#include "analysis/trace_chain.h"

#include "analysis/attributes_in_use.h"
#include "analysis/carried_attributes.h"
#include "analysis/requirement_lines.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/table_expressions.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <tuple>

namespace {

QStringList sortedDistinct(const QSet<QString>& items)
{
    QStringList out(items.cbegin(), items.cend());
    std::sort(out.begin(), out.end());
    return out;
}

bool isSecurityTier(const QString& tier)
{
    return tier.compare(QLatin1String("Security"), Qt::CaseInsensitive) == 0;
}

}

int TraceGaps::count() const
{
    int n = 0;
    for (const Named& list : named())
        n += int(list.items->size());
    return n;
}

std::vector<TraceGaps::Named> TraceGaps::named() const
{
    return { { "requirements_without_driver", &requirementsWithoutDriver },
        { "drivers_without_profile", &driversWithoutProfile },
        { "profiled_without_security", &profiledWithoutSecurity },
        { "security_without_controls", &securityWithoutControls }, { "unknown_controls", &unknownControls },
        { "orphan_profile_rows", &orphanProfileRows } };
}

QString TraceGaps::noRequirementsNote() const
{
    if (!noRequirements)
        return {};
    const QString who = m_division == QLatin1String("All") ? QStringLiteral("The assessment")
                                                           : QStringLiteral("Division %1").arg(m_division);
    return QStringLiteral("%1 has %2 but no requirements: nothing is in use, so nothing is traced and no gap is "
                          "counted until a requirement is recorded.")
        .arg(
            who, m_driversInView == 1 ? QStringLiteral("1 driver") : QStringLiteral("%1 drivers").arg(m_driversInView));
}

TraceChain::TraceChain(Assessment& assessment, const QString& division)
    : m_division(division)
{
    Store& store = assessment.store();
    const AttributesInUse inUse = AttributesInUse::derive(store, division);
    const AttributeMappings mappings = AttributeMappings::read(store);

    // Attributes in key order: every name, the security ones, and the control
    // identifiers of the first row of each name in use.
    QSet<QString> attributeNames, securityNames;
    QHash<QString, QStringList> controlsOf;
    static const QString attributesByKey
        = QStringLiteral("SELECT Attribute, Tier, SecControls FROM Attribute ORDER BY ")
        + TableExpressions::orderClause(*Schema::find(QStringLiteral("Attribute")), {});
    store.cached(attributesByKey).eachRow([&](SqlStatement& s) {
        const QString name = s.text(0);
        attributeNames.insert(name);
        if (isSecurityTier(s.text(1)))
            securityNames.insert(name);
        if (inUse.contains(name) && !controlsOf.contains(name))
            controlsOf.insert(name, controlEntryIdentifiers(s.text(2)));
    });
    store.cached(QStringLiteral("SELECT Id, control_title FROM Controls ORDER BY rowid")).eachRow([&](SqlStatement& s) {
        if (!m_controlTitles.contains(s.text(0)))
            m_controlTitles.insert(s.text(0), s.text(1));
    });

    // Drivers: every identifier (a profile row naming none is an orphan);
    // those within the filter with their requirement identifiers; and which
    // drivers outside the filter name which requirements.
    std::map<QString, QStringList> requirementsOf;
    QSet<QString> allDrivers, namedInView;
    QHash<QString, QStringList> namedOutside;
    store.cached(QStringLiteral("SELECT CSeq, Requirement, Division, Driver FROM Drivers ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            const QString cseq = s.text(0);
            allDrivers.insert(cseq);
            QStringList ids;
            for (const QString& line : LineList::split(s.text(1)))
                ids << RequirementLines::identifier(line);
            if (!divisionPasses(division, s.text(2))) {
                const QString by = QStringLiteral("%1 (%2)").arg(cseq, s.text(2));
                for (const QString& id : ids)
                    if (!namedOutside[id].contains(by))
                        namedOutside[id] << by;
                return;
            }
            for (const QString& id : ids)
                namedInView.insert(id);
            if (!m_driverTexts.contains(cseq))
                m_driverTexts.insert(cseq, s.text(3));
            if (ids.isEmpty())
                ids << QString();
            requirementsOf[cseq] += ids;
        });
    for (const auto& [cseq, ids] : requirementsOf)
        m_driversInView << cseq;

    // Requirements within the filter: those no driver within it names, and
    // the texts of those it does.
    QSet<QString> unnamed;
    store.cached(QStringLiteral("SELECT RSeq, Division, Requirement FROM Requirements ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            if (!divisionPasses(division, s.text(1)))
                return;
            const QString id = s.text(0);
            if (!namedInView.contains(id))
                unnamed.insert(id);
            else if (!m_requirementTexts.contains(id))
                m_requirementTexts.insert(id, s.text(2));
        });

    const CarriedAttributes carried = CarriedAttributes::read(store);
    QHash<QString, std::vector<const ProfileReach*>> rowsOf;
    QSet<QString> orphans;
    for (const ProfileReach& row : carried.rows()) {
        if (allDrivers.contains(row.cseq))
            rowsOf[row.cseq].push_back(&row);
        else
            orphans.insert(row.cseq + QStringLiteral(": ") + row.attribute);
    }
    m_gaps.orphanProfileRows = sortedDistinct(orphans);
    m_gaps.m_division = division;
    m_gaps.m_driversInView = int(m_driversInView.size());
    for (const QString& name : inUse.names()) {
        m_attributesInUse << name;
        if (!controlsOf.value(name).isEmpty())
            m_withControls.insert(name);
    }
    std::sort(m_attributesInUse.begin(), m_attributesInUse.end());

    // Without a requirement in view the chain does not start: nothing is in
    // use, and the note says so instead of lists that would only say it
    // again.
    if (!inUse.requirementsInView() && !m_driversInView.isEmpty()) {
        m_gaps.noRequirements = true;
        return;
    }

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
            const auto controls = controlsOf.constFind(name);
            if (controls == controlsOf.constEnd())
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
    auto isSecurityAttribute
        = [&](const QString& name) { return securityNames.contains(name) || mappings.isSecurityName(name); };

    QSet<QString> carryingNothing, reachingNothing;
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
        for (auto group = rows.begin(); group != rows.end();) {
            const auto groupEnd = std::find_if(
                group, rows.end(), [&](const ProfileReach* r) { return r->attribute != (*group)->attribute; });
            const size_t first = d.steps.size();
            for (auto row = group; row != groupEnd; ++row) {
                const Leads& leads = leadsOfRow(**row);
                if (isProfiledPriority((*row)->priority) && !leads.reachesAttribute
                    && !isSecurityAttribute((*row)->attribute))
                    reachingNothing.insert((*row)->attribute);
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
        if (d.steps.empty())
            carryingNothing.insert(cseq);
        else
            m_drivers.push_back(std::move(d));
    }

    QSet<QString> withoutControls, unknown;
    for (auto it = controlsOf.cbegin(); it != controlsOf.cend(); ++it) {
        if (it->isEmpty())
            withoutControls.insert(it.key());
        for (const QString& id : *it)
            if (!m_controlTitles.contains(id))
                unknown.insert(id);
    }
    m_gaps.requirementsWithoutDriver = sortedDistinct(unnamed);
    m_gaps.driversWithoutProfile = sortedDistinct(carryingNothing);
    m_gaps.profiledWithoutSecurity = sortedDistinct(reachingNothing);
    m_gaps.securityWithoutControls = sortedDistinct(withoutControls);
    m_gaps.unknownControls = sortedDistinct(unknown);
    for (const QString& id : std::as_const(m_gaps.requirementsWithoutDriver))
        if (const auto by = namedOutside.constFind(id); by != namedOutside.constEnd()) {
            QStringList drivers = *by;
            std::sort(drivers.begin(), drivers.end());
            m_gaps.namedOutsideFilter.insert(id, drivers);
        }
}

CoverageMatrix::CoverageMatrix(const TraceChain& chain)
    : m_drivers(chain.driversInView())
    , m_attributes(chain.attributesInUse())
{
    m_cells.assign(size_t(m_drivers.size() * m_attributes.size()), notCarried);
    QHash<QString, int> column;
    for (int a = 0; a < m_attributes.size(); ++a) {
        column.insert(m_attributes[a], a);
        m_withoutControl.push_back(!chain.hasControls(m_attributes[a]));
    }
    QHash<QString, int> row;
    for (int d = 0; d < m_drivers.size(); ++d)
        row.insert(m_drivers[d], d);
    for (const DriverTrace& d : chain.drivers()) {
        const int r = row.value(d.cseq);
        for (const TraceStep& step : d.steps) {
            const auto c = column.constFind(step.securityAttribute);
            if (c == column.constEnd())
                continue;
            int& cell = m_cells[size_t(r * m_attributes.size() + *c)];
            const int priority = isProfiledPriority(step.priority) ? int(step.priority.toLongLong()) : noPriority;
            if (cell == notCarried || (priority != noPriority && (cell == noPriority || priority < cell)))
                cell = priority;
        }
    }
}
