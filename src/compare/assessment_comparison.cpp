#include "compare/assessment_comparison.h"

#include "compare/compared_assessment.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace {

// How a compared field's values read and show.
enum class FieldKind {
    Text, // one line
    Words, // free text, shown as a word-level difference
    List, // items, one per line
    Number, // a whole number, or nothing
};

struct ComparedField {
    const char* name;
    FieldKind kind = FieldKind::Text;
};

// The fields of each kind of record, in the order of FactRecord::values.
const std::vector<ComparedField> kRequirementFields = { { "Requirement", FieldKind::Words }, { "Division" },
    { "Priority" }, { "Activity" }, { "Source", FieldKind::Words } };
const std::vector<ComparedField> kDriverFields = { { "Driver", FieldKind::Words }, { "Division" }, { "Group" },
    { "Activity" }, { "Requirements", FieldKind::List } };
const std::vector<ComparedField> kApplicationFields = { { "Domain" }, { "Owner" }, { "Division" },
    { "Description", FieldKind::Words }, { "Attributes", FieldKind::List } };
const std::vector<ComparedField> kRiskFields
    = { { "Likelihood" }, { "Impact" }, { "Score", FieldKind::Number }, { "Risk", FieldKind::Words } };
const std::vector<ComparedField> kControlFields = { { "XId" }, { "section_title" }, { "subsection_title" },
    { "subsection", FieldKind::Words }, { "control_title", FieldKind::Words }, { "control", FieldKind::Words } };
const std::vector<ComparedField> kAttributeFields
    = { { "Group" }, { "Grx" }, { "Tier" }, { "Description", FieldKind::Words }, { "Profile", FieldKind::Words } };

QVariant fieldValue(const ComparedField& field, const QString& value)
{
    switch (field.kind) {
    case FieldKind::List:
        return value.isEmpty() ? QStringList() : value.split(QLatin1Char('\n'));
    case FieldKind::Number:
        return value.isEmpty() ? QVariant() : QVariant(value.toLongLong());
    default:
        return value;
    }
}

std::vector<FieldChange> fieldChanges(
    const std::vector<ComparedField>& fields, const QStringList& before, const QStringList& after)
{
    std::vector<FieldChange> changes;
    for (qsizetype i = 0; i < qsizetype(fields.size()); ++i)
        if (before.value(i) != after.value(i))
            changes.push_back(
                { QString::fromLatin1(fields[size_t(i)].name), fieldValue(fields[size_t(i)], before.value(i)),
                    fieldValue(fields[size_t(i)], after.value(i)), fields[size_t(i)].kind == FieldKind::Words });
    return changes;
}

// What a comparison of one kind of record needs to know of it.
struct RecordKind {
    const std::vector<ComparedField>& fields;
    // The text that tells a renamed record (empty: never renamed).
    std::function<QString(const FactRecord&)> renameText = nullptr;
    int labelField = -1; // the value shown beside the key
    // The item naming a record by its key; a single value unless given.
    std::function<ChangeItem(const QString& key)> itemOf = nullptr;
};

ChangeItem itemFor(const RecordKind& kind, const FactRecord& record)
{
    ChangeItem item = kind.itemOf ? kind.itemOf(record.key) : ChangeItem::named(record.key);
    if (kind.labelField >= 0)
        item.label = record.values.value(kind.labelField).section(QLatin1Char('\n'), 0, 0);
    return item;
}

// Compares records of one kind, both sides in key order with one record per
// key. Returns the renames found, old key -> new key.
QHash<QString, QString> compareRecords(const std::vector<FactRecord>& before, const std::vector<FactRecord>& after,
    const RecordKind& kind, KindChanges& out)
{
    std::vector<const FactRecord*> removed, added;
    auto b = before.begin();
    auto a = after.begin();
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && b->key < a->key)) {
            removed.push_back(&*b++);
        } else if (b == before.end() || a->key < b->key) {
            added.push_back(&*a++);
        } else {
            std::vector<FieldChange> fields = fieldChanges(kind.fields, b->values, a->values);
            if (!fields.empty()) {
                ChangeItem item = itemFor(kind, *a);
                item.fields = std::move(fields);
                out.changed.push_back(std::move(item));
            }
            ++b;
            ++a;
        }
    }

    // A removed and an added record with the same text are one record
    // renamed; several with one text pair up in key order.
    QHash<QString, QString> renames;
    if (kind.renameText) {
        QHash<QString, std::vector<const FactRecord*>> removedByText;
        for (const FactRecord* r : removed)
            if (const QString text = kind.renameText(*r); !text.isEmpty())
                removedByText[text].push_back(r);
        std::vector<const FactRecord*> stillAdded;
        QSet<const FactRecord*> renamedAway;
        for (const FactRecord* r : added) {
            auto found = removedByText.find(kind.renameText(*r));
            if (found == removedByText.end() || found->empty() || kind.renameText(*r).isEmpty()) {
                stillAdded.push_back(r);
                continue;
            }
            const FactRecord* old = found->front();
            found->erase(found->begin());
            renamedAway.insert(old);
            renames.insert(old->key, r->key);
            ChangeItem item = itemFor(kind, *r);
            item.oldKey = old->key;
            item.fields = fieldChanges(kind.fields, old->values, r->values);
            out.changed.push_back(std::move(item));
        }
        added = stillAdded;
        removed.erase(std::remove_if(
                          removed.begin(), removed.end(), [&](const FactRecord* r) { return renamedAway.contains(r); }),
            removed.end());
        std::stable_sort(out.changed.begin(), out.changed.end(),
            [](const ChangeItem& x, const ChangeItem& y) { return x.keyText() < y.keyText(); });
    }
    for (const FactRecord* r : added)
        out.added.push_back(itemFor(kind, *r));
    for (const FactRecord* r : removed)
        out.removed.push_back(itemFor(kind, *r));
    return renames;
}

QString renamed(const QHash<QString, QString>& renames, const QString& key)
{
    return renames.value(key, key);
}

// The earlier side's requirement identifiers of a driver under their new keys.
std::vector<FactRecord> driversUnderNewKeys(std::vector<FactRecord> drivers, const QHash<QString, QString>& renames)
{
    if (renames.isEmpty())
        return drivers;
    for (FactRecord& d : drivers) {
        QString& ids = d.values[4];
        if (ids.isEmpty())
            continue;
        QStringList list = ids.split(QLatin1Char('\n'));
        for (QString& id : list)
            id = renamed(renames, id);
        std::sort(list.begin(), list.end());
        list.removeDuplicates();
        ids = list.join(QLatin1Char('\n'));
    }
    return drivers;
}

ChangeItem parts(std::initializer_list<ChangeItem::Part> key)
{
    ChangeItem item;
    item.key = key;
    return item;
}

// Items present on one side only, both sides sorted and distinct.
template <class T, class Make>
void setDifference(const std::vector<T>& before, const std::vector<T>& after, KindChanges& out, Make make)
{
    std::vector<T> gone, come;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(come));
    for (const T& t : come)
        out.added.push_back(make(t));
    for (const T& t : gone)
        out.removed.push_back(make(t));
}

template <class T> std::vector<T> sortedDistinct(std::vector<T> items)
{
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

void compareSystem(const AssessmentFacts& before, const AssessmentFacts& after, KindChanges& out)
{
    ChangeItem system = ChangeItem::named(QStringLiteral("System"));
    // Both sides read the same fields in the same order; a side without a
    // System record reads none.
    const auto& fields = after.identity.empty() ? before.identity : after.identity;
    for (size_t i = 0; i < fields.size(); ++i) {
        const QString field = fields[i].first;
        const QString old = i < before.identity.size() ? before.identity[i].second : QString();
        const QString value = i < after.identity.size() ? after.identity[i].second : QString();
        if (old != value)
            system.fields.push_back({ field, old, value, field == QLatin1String("Description") });
    }
    if (!system.fields.empty())
        out.changed.push_back(std::move(system));
    const std::pair<const char*, QStringList AssessmentFacts::*> lists[]
        = { { "division", &AssessmentFacts::divisions }, { "group", &AssessmentFacts::groups },
              { "activity", &AssessmentFacts::activities } };
    for (const auto& [name, list] : lists) {
        const QStringList was = before.*list;
        const QStringList is = after.*list;
        for (const QString& item : is)
            if (!was.contains(item))
                out.added.push_back(parts({ { QString::fromLatin1(name), item } }));
        for (const QString& item : was)
            if (!is.contains(item))
                out.removed.push_back(parts({ { QString::fromLatin1(name), item } }));
    }
}

void compareProfiles(const AssessmentFacts& before, const AssessmentFacts& after,
    const QHash<QString, QString>& driverRenames, KindChanges& out)
{
    // The first row of each driver and attribute.
    auto rowsOf = [](const AssessmentFacts& facts, const QHash<QString, QString>& renames) {
        std::map<std::pair<QString, QString>, QVariant> rows;
        for (const AssessmentFacts::ProfileRow& row : facts.profiles)
            rows.emplace(std::pair { renamed(renames, row.driver), row.attribute }, row.priority);
        return rows;
    };
    const auto was = rowsOf(before, driverRenames);
    const auto is = rowsOf(after, {});
    auto item = [](const std::pair<QString, QString>& key, const QVariant& priority) {
        return parts({ { QStringLiteral("driver"), key.first }, { QStringLiteral("attribute"), key.second },
            { QStringLiteral("priority"), priority } });
    };
    for (const auto& [key, priority] : is) {
        const auto old = was.find(key);
        if (old == was.end()) {
            out.added.push_back(item(key, priority));
        } else if (old->second != priority) {
            ChangeItem changed = item(key, priority);
            changed.key.emplace_back(QStringLiteral("old_priority"), old->second);
            out.changed.push_back(std::move(changed));
        }
    }
    for (const auto& [key, priority] : was)
        if (!is.count(key))
            out.removed.push_back(item(key, priority));
}

void compareAssignments(const AssessmentFacts& before, const AssessmentFacts& after, KindChanges& out)
{
    // An attribute's objectives come before its controls.
    using Assigned = std::tuple<QString, int, QString>; // attribute, 0 objective or 1 control, id
    auto assigned = [](const AssessmentFacts& facts) {
        std::vector<Assigned> all;
        for (const AssessmentFacts::Assignment& a : facts.assignments)
            all.emplace_back(a.attribute, a.objective ? 0 : 1, a.id);
        return sortedDistinct(std::move(all));
    };
    setDifference(assigned(before), assigned(after), out, [](const Assigned& a) {
        return parts({ { QStringLiteral("security_attribute"), std::get<0>(a) },
            { std::get<1>(a) == 0 ? QStringLiteral("objective") : QStringLiteral("control"), std::get<2>(a) } });
    });
}

// The chains (requirement, driver, security attribute, control) that one
// side has and the other not. A driver whose requirements and steps are the
// same on both sides has every chain on both, so only the others are walked.
void compareTrace(const AssessmentFacts& before, const AssessmentFacts& after,
    const QHash<QString, QString>& requirementRenames, const QHash<QString, QString>& driverRenames, KindChanges& out)
{
    std::map<QString, TracedDriver> was;
    for (const auto& [driver, traced] : before.trace) {
        TracedDriver& t = was[renamed(driverRenames, driver)];
        for (const QString& r : traced.requirements)
            t.requirements << renamed(requirementRenames, r);
        t.steps.insert(t.steps.end(), traced.steps.begin(), traced.steps.end());
    }
    for (auto& [driver, traced] : was) {
        std::sort(traced.requirements.begin(), traced.requirements.end());
        traced.requirements.removeDuplicates();
        traced.steps = sortedDistinct(std::move(traced.steps));
    }
    using Chain = std::tuple<QString, QString, QString, QString>; // requirement, driver, security, control
    std::vector<Chain> added, removed;
    static const TracedDriver none;
    // The chains of one side's driver missing from the other's.
    auto missing
        = [](const QString& driver, const TracedDriver& from, const TracedDriver& other, std::vector<Chain>& into) {
              const QSet<QString> otherRequirements(other.requirements.cbegin(), other.requirements.cend());
              for (const QString& requirement : from.requirements) {
                  const bool requirementThere = otherRequirements.contains(requirement);
                  for (const auto& step : from.steps)
                      if (!requirementThere || !std::binary_search(other.steps.begin(), other.steps.end(), step))
                          into.emplace_back(requirement, driver, step.first, step.second);
              }
          };
    auto isAt = after.trace.begin();
    auto wasAt = was.begin();
    while (isAt != after.trace.end() || wasAt != was.end()) {
        if (isAt == after.trace.end() || (wasAt != was.end() && wasAt->first < isAt->first)) {
            missing(wasAt->first, wasAt->second, none, removed);
            ++wasAt;
        } else if (wasAt == was.end() || isAt->first < wasAt->first) {
            missing(isAt->first, isAt->second, none, added);
            ++isAt;
        } else {
            const TracedDriver& o = wasAt->second;
            const TracedDriver& n = isAt->second;
            if (o.requirements != n.requirements || o.steps != n.steps) {
                missing(isAt->first, n, o, added);
                missing(wasAt->first, o, n, removed);
            }
            ++isAt;
            ++wasAt;
        }
    }
    std::sort(added.begin(), added.end());
    std::sort(removed.begin(), removed.end());
    auto item = [](const Chain& c) {
        return parts({ { QStringLiteral("requirement"), std::get<0>(c) }, { QStringLiteral("driver"), std::get<1>(c) },
            { QStringLiteral("security_attribute"), std::get<2>(c) }, { QStringLiteral("control"), std::get<3>(c) } });
    };
    out.added.reserve(added.size());
    for (const Chain& c : added)
        out.added.push_back(item(c));
    out.removed.reserve(removed.size());
    for (const Chain& c : removed)
        out.removed.push_back(item(c));
}

void countChange(KindChanges& out, const char* name, qint64 before, qint64 after)
{
    out.counts.push_back({ QString::fromLatin1(name), before, after });
}

qint64 distinctValues(const std::vector<FactRecord>& records, const std::function<QString(const FactRecord&)>& of)
{
    QSet<QString> values;
    for (const FactRecord& r : records)
        values.insert(of(r));
    values.remove(QString());
    return values.size();
}

void compareCatalogue(const AssessmentFacts& before, const AssessmentFacts& after, KindChanges& out)
{
    const RecordKind controls { kControlFields,
        [](const FactRecord& r) {
            return r.values[4].isEmpty() ? QString() : r.values[4] + QLatin1Char('\n') + r.values[5];
        },
        4 };
    compareRecords(before.controls, after.controls, controls, out);
    auto objective = [](const FactRecord& r) { return r.key.left(5); };
    auto section = [](const FactRecord& r) { return r.values[1]; };
    countChange(out, "controls", qint64(before.controls.size()), qint64(after.controls.size()));
    countChange(
        out, "objectives", distinctValues(before.controls, objective), distinctValues(after.controls, objective));
    countChange(out, "sections", distinctValues(before.controls, section), distinctValues(after.controls, section));
}

void compareTaxonomy(const AssessmentFacts& before, const AssessmentFacts& after, KindChanges& out)
{
    const RecordKind attributes { kAttributeFields, [](const FactRecord& r) { return r.values[3]; } };
    compareRecords(before.attributes, after.attributes, attributes, out);
    setDifference(before.businessToTechnical, after.businessToTechnical, out, [](const auto& link) {
        return parts({ { QStringLiteral("business"), link.first }, { QStringLiteral("technical"), link.second } });
    });
    setDifference(before.technicalToSecurity, after.technicalToSecurity, out, [](const auto& link) {
        return parts({ { QStringLiteral("technical"), link.first }, { QStringLiteral("security"), link.second } });
    });
    auto ofTier = [](const AssessmentFacts& facts, const char* tier) {
        return qint64(std::count_if(facts.attributes.begin(), facts.attributes.end(),
            [&](const FactRecord& r) { return r.values[2].compare(QLatin1String(tier), Qt::CaseInsensitive) == 0; }));
    };
    countChange(out, "attributes", qint64(before.attributes.size()), qint64(after.attributes.size()));
    for (const char* tier : { "business", "technical", "security" })
        countChange(out, tier, ofTier(before, tier), ofTier(after, tier));
    countChange(out, "business_to_technical", qint64(before.businessToTechnical.size()),
        qint64(after.businessToTechnical.size()));
    countChange(out, "technical_to_security", qint64(before.technicalToSecurity.size()),
        qint64(after.technicalToSecurity.size()));
}

void compareGaps(const AssessmentFacts& before, const AssessmentFacts& after,
    const QHash<QString, QString>& requirementRenames, const QHash<QString, QString>& driverRenames,
    ChangeReport& report)
{
    // The gap lists in their order, then the names in code order.
    QHash<QString, int> order;
    for (const GapChange& g : before.gaps)
        order.insert(g.gap, int(order.size()));
    for (const GapChange& g : after.gaps)
        if (!order.contains(g.gap))
            order.insert(g.gap, int(order.size()));
    using Gap = std::tuple<int, QString, QString>;
    auto gaps = [&](const AssessmentFacts& facts, bool earlier) {
        std::vector<Gap> out;
        for (const GapChange& g : facts.gaps) {
            QString name = g.name;
            if (earlier && g.gap == QLatin1String("requirements_without_driver"))
                name = renamed(requirementRenames, name);
            else if (earlier && g.gap == QLatin1String("drivers_without_profile"))
                name = renamed(driverRenames, name);
            out.emplace_back(order.value(g.gap), g.gap, name);
        }
        return sortedDistinct(std::move(out));
    };
    const std::vector<Gap> was = gaps(before, true);
    const std::vector<Gap> is = gaps(after, false);
    std::vector<Gap> closed, opened;
    std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(closed));
    std::set_difference(is.begin(), is.end(), was.begin(), was.end(), std::back_inserter(opened));
    for (const Gap& g : opened)
        report.newGaps.push_back({ std::get<1>(g), std::get<2>(g) });
    for (const Gap& g : closed)
        report.closedGaps.push_back({ std::get<1>(g), std::get<2>(g) });
}

}

namespace AssessmentComparison {

ChangeReport compare(const AssessmentFacts& before, const AssessmentFacts& after)
{
    ChangeReport report;
    report.before = before.source;
    report.after = after.source;
    report.division = after.division;

    compareSystem(before, after, report[ChangeKind::System]);
    auto firstValue = [](const FactRecord& r) { return r.values[0]; };
    const QHash<QString, QString> requirementRenames = compareRecords(before.requirements, after.requirements,
        { kRequirementFields, firstValue, 0 }, report[ChangeKind::Requirements]);
    const QHash<QString, QString> driverRenames
        = compareRecords(driversUnderNewKeys(before.drivers, requirementRenames), after.drivers,
            { kDriverFields, firstValue, 0 }, report[ChangeKind::Drivers]);
    compareProfiles(before, after, driverRenames, report[ChangeKind::Profiles]);

    std::vector<QString> inUseBefore(before.attributesInUse.begin(), before.attributesInUse.end());
    std::vector<QString> inUseAfter(after.attributesInUse.begin(), after.attributesInUse.end());
    setDifference(sortedDistinct(inUseBefore), sortedDistinct(inUseAfter), report[ChangeKind::AttributesInUse],
        [](const QString& name) { return ChangeItem::named(name); });
    compareAssignments(before, after, report[ChangeKind::Controls]);
    compareTrace(before, after, requirementRenames, driverRenames, report[ChangeKind::Trace]);

    compareRecords(
        before.applications, after.applications, { kApplicationFields, nullptr, 3 }, report[ChangeKind::Applications]);
    const RecordKind risks { kRiskFields, nullptr, -1, [](const QString& key) {
                                const qsizetype cut = key.indexOf(QLatin1Char('\n'));
                                return parts({ { QStringLiteral("application"), key.left(cut) },
                                    { QStringLiteral("attribute"), key.mid(cut + 1) } });
                            } };
    compareRecords(before.risks, after.risks, risks, report[ChangeKind::Risks]);

    compareCatalogue(before, after, report[ChangeKind::Catalogue]);
    compareTaxonomy(before, after, report[ChangeKind::Taxonomy]);
    compareGaps(before, after, requirementRenames, driverRenames, report);
    return report;
}

ChangeReport compareFiles(const QString& before, const QString& after, const QString& division)
{
    const AssessmentFacts earlier = ComparedAssessment::read(before, division);
    const AssessmentFacts later = ComparedAssessment::read(after, division);
    return compare(earlier, later);
}

}
