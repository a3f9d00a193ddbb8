#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class Assessment;

// One way a profile row of a driver leads to a control: the profiled
// attribute, an attribute in use that the row brings to the driver (see
// CarriedAttributes) and one control identifier of that attribute.
struct TraceStep {
    QString profiledAttribute;
    QVariant priority; // null when never set
    QString securityAttribute;
    QString control; // the text before an entry's first colon; empty when no entry has a colon
};

// A driver within the division filter and where it leads.
struct DriverTrace {
    QString cseq;
    QStringList requirements; // identifiers of its requirement lines, sorted; one empty text when it has none
    std::vector<TraceStep> steps; // sorted by profiled attribute, security attribute, control
};

// What the trace is missing, each list distinct and sorted by code value.
struct TraceGaps {
    QStringList requirementsWithoutDriver; // requirements within the filter that no driver's line names
    QStringList driversWithoutProfile; // drivers within the filter without a row of priority 1 to 3
    QStringList profiledWithoutSecurity; // business attributes of such rows that reach no security attribute
    QStringList securityWithoutControls; // attributes in use without a control entry holding a colon
    QStringList unknownControls; // identifiers of those entries that name no control of the catalogue
    int count() const;
};

// The whole trace from requirements through drivers, profiles and the
// attributes in use to controls, for one division filter ("All", or the
// division whose requirements and drivers count). Reads the in-use marks as
// the in-use derivation left them, so run it for the division first; or,
// given the names in use (securityAttributesNeeded), takes the first
// attribute row of each of them, and writes nothing.
class TraceChain {
public:
    TraceChain(Assessment& assessment, const QString& division, const QSet<QString>* inUseNames = nullptr);

    // The drivers within the filter that lead to at least one control or
    // attribute in use, sorted by identifier (drivers sharing one are merged).
    const std::vector<DriverTrace>& drivers() const { return m_drivers; }
    const TraceGaps& gaps() const { return m_gaps; }

    // What the trace's identifiers stand for, for showing them: empty when
    // the store has no such record.
    QString requirementText(const QString& rseq) const { return m_requirementTexts.value(rseq); }
    QString driverText(const QString& cseq) const { return m_driverTexts.value(cseq); }
    QString controlTitle(const QString& id) const { return m_controlTitles.value(id); }
    bool inCatalogue(const QString& id) const { return m_controlTitles.contains(id); }

    // Every link, one per driver, requirement and step, sorted by driver,
    // requirement, profiled attribute, security attribute and control.
    template <class Fn> void eachLink(Fn fn) const
    {
        for (const DriverTrace& d : m_drivers)
            for (const QString& requirement : d.requirements)
                for (const TraceStep& step : d.steps)
                    fn(d.cseq, requirement, step);
    }

private:
    std::vector<DriverTrace> m_drivers;
    TraceGaps m_gaps;
    QHash<QString, QString> m_requirementTexts, m_driverTexts, m_controlTitles; // first record of each
};
