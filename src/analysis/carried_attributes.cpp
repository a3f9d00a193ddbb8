#include "analysis/carried_attributes.h"

#include "store/line_list.h"
#include "store/store.h"

#include <vector>

namespace {

using Mapping = QHash<QString, QStringList>;

// Read straight from the store, so the catalogue tab's filters stay as they are.
Mapping readMapping(Store& store, const char* table, const char* from, const char* to)
{
    Mapping map;
    SqlStatement& q
        = store.cached(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY rowid")
                           .arg(quoteIdentifier(QString::fromLatin1(from)), quoteIdentifier(QString::fromLatin1(to)),
                               quoteIdentifier(QString::fromLatin1(table))));
    q.reset();
    q.eachRow([&](SqlStatement& s) { map[s.text(0)].append(s.text(1)); });
    return map;
}

}

AttributeMappings AttributeMappings::read(Store& store)
{
    AttributeMappings m;
    m.m_businessToTechnical = readMapping(store, "BTAtt", "BusAtt", "TechAtt");
    m.m_technicalToSecurity = readMapping(store, "TSAtt", "TechAtt", "SecAtt");
    for (const QStringList& names : std::as_const(m.m_technicalToSecurity))
        for (const QString& name : names)
            m.m_securityNames.insert(name);
    return m;
}

QStringList AttributeMappings::securityNames(const QString& business) const
{
    QStringList names;
    QSet<QString> seen;
    for (const QString& tech : m_businessToTechnical.value(business))
        for (const QString& sec : m_technicalToSecurity.value(tech))
            if (!seen.contains(sec)) {
                seen.insert(sec);
                names.append(sec);
            }
    return names;
}

QStringList controlEntryIdentifiers(const QString& secControls)
{
    QStringList ids;
    for (const QString& entry : LineList::split(secControls)) {
        const qsizetype colon = entry.indexOf(QLatin1Char(':'));
        if (colon >= 0)
            ids << entry.left(colon);
    }
    return ids;
}

bool isProfiledPriority(const QVariant& priority)
{
    bool ok = false;
    const qlonglong p = priority.toLongLong(&ok);
    return priority.isValid() && ok && p >= 1 && p <= 3;
}

namespace {

// What a profile row brings, worked out once for each profiled attribute and
// whether the row's priority counts for the chain.
struct Reach {
    QStringList reached;
    QStringList brings;
    std::vector<int> numbers; // brings, as attribute numbers
};

// Numbers names in the order they are first met.
class Numbering {
public:
    int number(const QString& name)
    {
        const auto it = m_numbers.constFind(name);
        if (it != m_numbers.constEnd())
            return *it;
        m_numbers.insert(name, int(m_names.size()));
        m_names << name;
        return int(m_names.size()) - 1;
    }
    const QString& name(int number) const { return m_names[number]; }
    int size() const { return int(m_names.size()); }

private:
    QHash<QString, int> m_numbers;
    QStringList m_names;
};

}

CarriedAttributes CarriedAttributes::read(Store& store)
{
    CarriedAttributes c;
    const AttributeMappings mappings = AttributeMappings::read(store);
    QHash<QString, Reach> reaches[2]; // by profiled attribute; [1]: priority 1 to 3
    Numbering attributes, drivers;
    std::vector<std::vector<int>> carriedBy, carriers; // driver -> attributes, attribute -> drivers
    std::vector<std::vector<bool>> met; // driver -> attribute numbers already carried
    SqlStatement& q = store.cached(QStringLiteral("SELECT CSeq, Attribute, Priority FROM DrAtt ORDER BY rowid"));
    q.reset();
    q.eachRow([&](SqlStatement& s) {
        ProfileReach row { s.text(0), s.text(1), s.column(2), {}, {} };
        const bool counts = isProfiledPriority(row.priority);
        QHash<QString, Reach>::const_iterator reach = reaches[counts].constFind(row.attribute);
        if (reach == reaches[counts].constEnd()) {
            Reach r;
            if (counts)
                r.reached = mappings.securityNames(row.attribute);
            r.brings << row.attribute;
            for (const QString& name : r.reached)
                if (name != row.attribute)
                    r.brings << name;
            for (const QString& name : r.brings)
                r.numbers.push_back(attributes.number(name));
            reach = reaches[counts].insert(row.attribute, r);
        }
        row.reached = reach->reached;
        row.brings = reach->brings;
        const size_t driver = size_t(drivers.number(row.cseq));
        carriedBy.resize(size_t(drivers.size()));
        met.resize(size_t(drivers.size()));
        carriers.resize(size_t(attributes.size()));
        std::vector<bool>& seen = met[driver];
        seen.resize(size_t(attributes.size()));
        for (int attribute : reach->numbers)
            if (!seen[size_t(attribute)]) {
                seen[size_t(attribute)] = true;
                carriedBy[driver].push_back(attribute);
                carriers[size_t(attribute)].push_back(int(driver));
            }
        c.m_rows.push_back(std::move(row));
    });
    for (int d = 0; d < drivers.size(); ++d) {
        QStringList& names = c.m_attributesOf[drivers.name(d)];
        for (int attribute : carriedBy[size_t(d)])
            names << attributes.name(attribute);
    }
    for (int a = 0; a < attributes.size(); ++a) {
        QStringList& names = c.m_driversOf[attributes.name(a)];
        for (int driver : carriers[size_t(a)])
            names << drivers.name(driver);
    }
    return c;
}

const QStringList& CarriedAttributes::driversCarrying(const QString& attribute) const
{
    static const QStringList none;
    const auto it = m_driversOf.constFind(attribute);
    return it == m_driversOf.constEnd() ? none : *it;
}

const QStringList& CarriedAttributes::carriedBy(const QString& cseq) const
{
    static const QStringList none;
    const auto it = m_attributesOf.constFind(cseq);
    return it == m_attributesOf.constEnd() ? none : *it;
}

bool CarriedAttributes::carries(const QString& cseq, const QString& attribute) const
{
    return carriedBy(cseq).contains(attribute);
}
