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

// What the trace is missing. Every list is distinct and sorted by code value,
// and each is a fact the trace shows or lacks.
struct TraceGaps {
    // Requirements within the filter that no driver within the filter names.
    QStringList requirementsWithoutDriver;
    // Drivers within the filter that carry nothing in use: no trace row.
    QStringList driversWithoutProfile;
    // Attributes other than security attributes, profiled at 1 to 3 by a
    // driver within the filter, from which the mappings reach no attribute
    // the taxonomy holds. A security attribute profiled directly is carried
    // as it is and never listed here.
    QStringList profiledWithoutSecurity;
    // Attributes in use without a control entry holding a colon.
    QStringList securityWithoutControls;
    // Identifiers of those entries that name no control of the catalogue.
    QStringList unknownControls;
    // Profile rows whose driver does not exist, "CSeq: Attribute", whatever
    // the filter: they belong to no division and put nothing in use.
    QStringList orphanProfileRows;

    // For each requirement of requirementsWithoutDriver that drivers of other
    // divisions name: those drivers, "CSeq (Division)", sorted.
    QHash<QString, QStringList> namedOutsideFilter;
    // Drivers are within the filter but no requirement is: nothing is in use
    // and nothing is traced, so the five lists before orphanProfileRows stay
    // empty and noRequirementsNote() says why.
    bool noRequirements = false;
    QString noRequirementsNote() const;

    int count() const;

    // The six lists under the names the command line gives them, in order.
    struct Named {
        const char* key;
        const QStringList* items;
    };
    std::vector<Named> named() const;

private:
    friend class TraceChain;
    QString m_division;
    int m_driversInView = 0;
};

// The whole trace from requirements through drivers, profiles and the
// attributes in use to controls, for one division filter ("All", or the
// division whose requirements and drivers count). The attributes in use are
// derived in memory (AttributesInUse), so the trace, its gaps and the in-use
// derivation read the same carried set, and the store is only read.
class TraceChain {
public:
    TraceChain(Assessment& assessment, const QString& division);

    const QString& division() const { return m_division; }
    // The drivers within the filter that lead to at least one control or
    // attribute in use, sorted by identifier (drivers sharing one are merged).
    const std::vector<DriverTrace>& drivers() const { return m_drivers; }
    // Every driver identifier within the filter, sorted, each once.
    const QStringList& driversInView() const { return m_driversInView; }
    // The attributes in use, sorted by name.
    const QStringList& attributesInUse() const { return m_attributesInUse; }
    bool hasControls(const QString& attributeInUse) const { return m_withControls.contains(attributeInUse); }
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
    QString m_division;
    std::vector<DriverTrace> m_drivers;
    QStringList m_driversInView, m_attributesInUse;
    QSet<QString> m_withControls;
    TraceGaps m_gaps;
    QHash<QString, QString> m_requirementTexts, m_driverTexts, m_controlTitles; // first record of each
};

// Which drivers carry which security attributes in use, and how strongly:
// drivers within the filter as rows, the attributes in use as columns, both
// sorted. Worked out from the trace, so a cell is filled exactly when the
// trace holds a step of that driver to that attribute.
class CoverageMatrix {
public:
    explicit CoverageMatrix(const TraceChain& chain);

    static constexpr int notCarried = -1;
    static constexpr int noPriority = 0; // carried only by rows whose priority is not 1 to 3

    const QStringList& drivers() const { return m_drivers; }
    const QStringList& attributes() const { return m_attributes; }
    // The best (lowest) priority 1 to 3 that carries the attribute to the
    // driver, noPriority, or notCarried.
    int cell(int driver, int attribute) const { return m_cells[size_t(driver * m_attributes.size() + attribute)]; }
    // The attribute in use has no control entry holding a colon.
    bool withoutControl(int attribute) const { return m_withoutControl[size_t(attribute)]; }

private:
    QStringList m_drivers, m_attributes;
    std::vector<int> m_cells;
    std::vector<bool> m_withoutControl;
};
