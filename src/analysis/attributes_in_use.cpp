#include "analysis/attributes_in_use.h"

#include "analysis/carried_attributes.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/table_expressions.h"

#include <QByteArray>

bool divisionPasses(const QString& division, const QString& recordDivision)
{
    return division == QLatin1String("All") || recordDivision == division;
}

AttributesInUse AttributesInUse::derive(Store& store, const QString& division)
{
    AttributesInUse result;
    const bool all = division == QLatin1String("All");
    SqlStatement& requirements
        = store.cached(all ? QStringLiteral("SELECT EXISTS(SELECT 1 FROM Requirements)")
                           : QStringLiteral("SELECT EXISTS(SELECT 1 FROM Requirements WHERE COALESCE(Division,'')=?)"));
    requirements.reset();
    if (!all)
        requirements.bind(1, division);
    result.m_requirementsInView = requirements.step() && requirements.columnInt64(0) != 0;
    requirements.reset();
    if (!result.m_requirementsInView)
        return result;

    // The business attributes of the counted rows, found in one scan. The
    // few distinct names are picked out here by their bytes, which costs
    // less than asking the store for distinct rows.
    SqlStatement& profile
        = store.cached(all ? QStringLiteral("SELECT Attribute FROM DrAtt WHERE Priority BETWEEN 1 AND 3 "
                                            "AND COALESCE(CSeq,'') IN (SELECT COALESCE(CSeq,'') FROM Drivers)")
                           : QStringLiteral("SELECT Attribute FROM DrAtt WHERE Priority BETWEEN 1 AND 3 "
                                            "AND COALESCE(CSeq,'') IN (SELECT COALESCE(CSeq,'') FROM Drivers "
                                            "WHERE COALESCE(Division,'')=?)"));
    profile.reset();
    if (!all)
        profile.bind(1, division);
    const AttributeMappings mappings = AttributeMappings::read(store);
    QSet<QByteArray> seen;
    QSet<QString> needed;
    profile.eachRow([&](SqlStatement& s) {
        const QByteArrayView name = s.utf8(0);
        if (seen.contains(QByteArray::fromRawData(name.data(), name.size())))
            return;
        seen.insert(name.toByteArray());
        for (const QString& sec : mappings.securityNames(QString::fromUtf8(name)))
            needed.insert(sec);
    });
    if (needed.isEmpty())
        return result;

    static const QString byKey = QStringLiteral("SELECT rowid, Attribute FROM Attribute ORDER BY ")
        + TableExpressions::orderClause(*Schema::find(QStringLiteral("Attribute")), {});
    store.cached(byKey).eachRow([&](SqlStatement& s) {
        const QString name = s.text(1);
        if (needed.contains(name) && !result.m_names.contains(name)) {
            result.m_names.insert(name);
            result.m_rowIds.insert(s.columnInt64(0));
        }
    });
    return result;
}
