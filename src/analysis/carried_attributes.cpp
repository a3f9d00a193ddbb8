#include "analysis/carried_attributes.h"

#include "store/line_list.h"
#include "store/store.h"

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

CarriedAttributes CarriedAttributes::read(Store& store)
{
    CarriedAttributes c;
    const AttributeMappings mappings = AttributeMappings::read(store);
    QHash<QString, QStringList> chains; // business attribute -> names reached, worked out once each
    SqlStatement& q = store.cached(QStringLiteral("SELECT CSeq, Attribute, Priority FROM DrAtt ORDER BY rowid"));
    q.reset();
    q.eachRow([&](SqlStatement& s) {
        ProfileReach row { s.text(0), s.text(1), s.column(2), {}, {} };
        if (isProfiledPriority(row.priority)) {
            auto chain = chains.constFind(row.attribute);
            if (chain == chains.constEnd())
                chain = chains.insert(row.attribute, mappings.securityNames(row.attribute));
            row.reached = *chain;
        }
        row.brings << row.attribute;
        for (const QString& name : row.reached)
            if (name != row.attribute)
                row.brings << name;
        QSet<QString>& carried = c.m_carried[row.cseq];
        for (const QString& name : row.brings) {
            if (carried.contains(name))
                continue;
            carried.insert(name);
            c.m_attributesOf[row.cseq].append(name);
            c.m_driversOf[name].append(row.cseq);
        }
        c.m_rows.push_back(std::move(row));
    });
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
    const auto it = m_carried.constFind(cseq);
    return it != m_carried.constEnd() && it->contains(attribute);
}
