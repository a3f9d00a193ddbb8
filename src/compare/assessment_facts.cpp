#include "compare/assessment_facts.h"

#include "analysis/requirement_lines.h"
#include "compare/risk_score.h"
#include "compare/trace_facts.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

bool withinDivision(const QString& division, const QString& recordDivision)
{
    return division == QLatin1String("All") || recordDivision == division;
}

// Runs the query and keeps the first row of each key, in key order. make
// gives a row's record, or false to pass the row over.
template <class Make> std::vector<FactRecord> firstOfEachKey(Store& store, const char* sql, Make make)
{
    std::vector<FactRecord> records;
    QSet<QString> seen;
    store.cached(QString::fromLatin1(sql)).eachRow([&](SqlStatement& s) {
        FactRecord record;
        if (!make(s, record) || seen.contains(record.key))
            return;
        seen.insert(record.key);
        records.push_back(std::move(record));
    });
    std::sort(records.begin(), records.end(), [](const FactRecord& x, const FactRecord& y) { return x.key < y.key; });
    return records;
}

QString sortedList(QStringList items)
{
    items.removeAll(QString());
    std::sort(items.begin(), items.end());
    items.removeDuplicates();
    return items.join(QLatin1Char('\n'));
}

// The distinct pairs of two columns, sorted.
std::vector<std::pair<QString, QString>> pairs(Store& store, const char* sql)
{
    std::vector<std::pair<QString, QString>> out;
    store.cached(QString::fromLatin1(sql)).eachRow([&](SqlStatement& s) { out.emplace_back(s.text(0), s.text(1)); });
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

void readSystem(Store& store, AssessmentFacts& facts)
{
    store
        .cached(QStringLiteral(
            "SELECT AssID, Assessment, Enterprise, Description, Divisions, Groups, Activities FROM System LIMIT 1"))
        .eachRow([&](SqlStatement& s) {
            facts.identity = { { QStringLiteral("AssID"), s.text(0) }, { QStringLiteral("Assessment"), s.text(1) },
                { QStringLiteral("Enterprise"), s.text(2) },
                { QStringLiteral("Description"), AssessmentFactsReader::comparedText(s.text(3)) } };
            facts.divisions = LineList::split(s.text(4));
            facts.groups = LineList::split(s.text(5));
            facts.activities = LineList::split(s.text(6));
        });
    for (const auto& [field, value] : facts.identity) {
        if (field == QLatin1String("AssID"))
            facts.source.assessmentId = value;
        else if (field == QLatin1String("Assessment"))
            facts.source.title = value;
    }
}

void readRecords(Store& store, AssessmentFacts& facts)
{
    using AssessmentFactsReader::comparedText;
    const QString& division = facts.division;
    facts.requirements = firstOfEachKey(store,
        "SELECT RSeq, Requirement, Division, Priority, Activity, Source FROM Requirements ORDER BY rowid",
        [&](SqlStatement& s, FactRecord& r) {
            if (!withinDivision(division, s.text(2)))
                return false;
            r = { s.text(0), { s.text(1), s.text(2), s.text(3), s.text(4), comparedText(s.text(5)) } };
            return true;
        });
    facts.drivers = firstOfEachKey(store,
        "SELECT CSeq, Driver, Division, \"Group\", Activity, Requirement FROM Drivers ORDER BY rowid",
        [&](SqlStatement& s, FactRecord& r) {
            if (!withinDivision(division, s.text(2)))
                return false;
            QStringList ids;
            for (const QString& line : LineList::split(s.text(5)))
                ids << RequirementLines::identifier(line);
            r = { s.text(0), { s.text(1), s.text(2), s.text(3), s.text(4), sortedList(ids) } };
            return true;
        });

    QSet<QString> driversInView;
    for (const FactRecord& d : facts.drivers)
        driversInView.insert(d.key);
    const bool all = division == QLatin1String("All");
    store.cached(QStringLiteral("SELECT CSeq, Attribute, Priority FROM DrAtt ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            if (!all && !driversInView.contains(s.text(0)))
                return;
            // A priority reads as a number whichever way the store holds it.
            QVariant priority = s.column(2);
            bool number = false;
            const qlonglong value = priority.toLongLong(&number);
            if (number)
                priority = value;
            facts.profiles.push_back({ s.text(0), s.text(1), priority });
        });

    // Applications by name, a repeated name numbered in stored order; risk
    // entries belong to their application by its row id (by name in stores
    // older than the row id).
    QHash<qint64, QString> applicationKey;
    QHash<QString, QString> keyOfName;
    QHash<QString, int> timesNamed;
    store
        .cached(QStringLiteral("SELECT rowid, Application, Domain, Owner, Division, Description, SecAtt "
                               "FROM Applications ORDER BY rowid"))
        .eachRow([&](SqlStatement& s) {
            if (!withinDivision(division, s.text(4)))
                return;
            const QString name = s.text(1);
            const int times = ++timesNamed[name];
            const QString key = times == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(times);
            applicationKey.insert(s.columnInt64(0), key);
            if (times == 1)
                keyOfName.insert(name, key);
            facts.applications.push_back({ key,
                { s.text(2), s.text(3), s.text(4), comparedText(s.text(5)), sortedList(LineList::split(s.text(6))) } });
        });
    std::sort(facts.applications.begin(), facts.applications.end(),
        [](const FactRecord& x, const FactRecord& y) { return x.key < y.key; });
    facts.risks = firstOfEachKey(store,
        "SELECT AppId, Application, Attribute, Likelihood, Impact, Risk FROM AppControl ORDER BY rowid",
        [&](SqlStatement& s, FactRecord& r) {
            bool numbered = false;
            const qint64 id = s.text(0).toLongLong(&numbered);
            const QString application = numbered ? applicationKey.value(id) : keyOfName.value(s.text(1));
            if (application.isEmpty())
                return false; // of an application outside the division, or of none
            const std::optional<int> score = RiskScore::of(s.text(3), s.text(4));
            r = { application + QLatin1Char('\n') + s.text(2),
                { s.text(3), s.text(4), score ? QString::number(*score) : QString(), comparedText(s.text(5)) } };
            return true;
        });
}

void readCatalogues(Store& store, AssessmentFacts& facts)
{
    using AssessmentFactsReader::comparedText;
    facts.controls = firstOfEachKey(store,
        "SELECT Id, XId, section_title, subsection_title, subsection, control_title, control FROM Controls "
        "ORDER BY rowid",
        [](SqlStatement& s, FactRecord& r) {
            r = { s.text(0),
                { s.text(1), s.text(2), s.text(3), comparedText(s.text(4)), s.text(5), comparedText(s.text(6)) } };
            return true;
        });
    // The assignments of the first row of each attribute name, as the
    // Security Attributes tab shows them.
    QSet<QString> assigned;
    facts.attributes = firstOfEachKey(store,
        "SELECT Attribute, \"Group\", Grx, Tier, Description, Profile, SecObjectives, SecControls FROM Attribute "
        "ORDER BY rowid",
        [&](SqlStatement& s, FactRecord& r) {
            r = { s.text(0), { s.text(1), s.text(2), s.text(3), comparedText(s.text(4)), comparedText(s.text(5)) } };
            if (assigned.contains(r.key))
                return true;
            assigned.insert(r.key);
            for (const QString& entry : LineList::split(s.text(6)))
                facts.assignments.push_back({ r.key, true, RequirementLines::identifier(entry) });
            for (const QString& entry : LineList::split(s.text(7)))
                facts.assignments.push_back({ r.key, false, RequirementLines::identifier(entry) });
            return true;
        });
    facts.businessToTechnical = pairs(store, "SELECT BusAtt, TechAtt FROM BTAtt");
    facts.technicalToSecurity = pairs(store, "SELECT TechAtt, SecAtt FROM TSAtt");
}

}

namespace AssessmentFactsReader {

QString comparedText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

AssessmentFacts read(Assessment& assessment, const QString& division)
{
    AssessmentFacts facts;
    facts.division = division;
    Store& store = assessment.store();
    readSystem(store, facts);
    readRecords(store, facts);
    readCatalogues(store, facts);
    TraceFacts::read(assessment, division, facts);
    return facts;
}

}
