#include "analysis/in_use_derivation.h"

#include "analysis/carried_attributes.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/store.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QStringList>
#include <vector>

QSet<QString> securityAttributesNeeded(Assessment& assessment, const QString& division)
{
    QSet<QString> needed;
    if (assessment.requirements().recordCount() == 0)
        return needed;
    Store& store = assessment.store();
    Table& drivers = assessment.drivers();
    const bool all = division == QLatin1String("All");
    QStringList shownDrivers;
    if (!all) {
        const int cseq = drivers.fieldIndex(QStringLiteral("CSeq"));
        for (int row = 0; row < drivers.recordCount(); ++row)
            shownDrivers << drivers.textAt(row, cseq);
    }
    const AttributeMappings mappings = AttributeMappings::read(store);
    // The business attributes of the counted rows, found in one scan; the
    // shown drivers travel as one bound JSON array. The few distinct names
    // are picked out here by their bytes, which costs less than asking
    // the store for distinct rows.
    SqlStatement& profile
        = store.cached(all ? QStringLiteral("SELECT Attribute FROM DrAtt WHERE Priority BETWEEN 1 AND 3")
                           : QStringLiteral("SELECT Attribute FROM DrAtt WHERE Priority BETWEEN 1 AND 3 "
                                            "AND COALESCE(CSeq,'') IN (SELECT value FROM json_each(?))"));
    profile.reset();
    if (!all)
        profile.bind(1,
            QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(shownDrivers)).toJson(QJsonDocument::Compact)));
    QSet<QByteArray> seen;
    profile.eachRow([&](SqlStatement& s) {
        const QByteArrayView name = s.utf8(0);
        if (seen.contains(QByteArray::fromRawData(name.data(), name.size())))
            return;
        seen.insert(name.toByteArray());
        for (const QString& sec : mappings.securityNames(QString::fromUtf8(name)))
            needed.insert(sec);
    });
    return needed;
}

void deriveAttributesInUse(Assessment& assessment, const QString& division)
{
    Table& attribute = assessment.attribute();
    const DisplaySuspended pauseAttribute { &attribute };

    try {
        if (attribute.filtered())
            attribute.setFiltered(false); // the rows are read again when used
        else
            attribute.refresh();
    } catch (const QuarrixError&) {
        // A failed re-read is passed over here; the rows are read again when
        // used below, and an error then ends the derivation.
    }
    // The one move before the marks change: an editor holding changes to the
    // current attribute is asked about them while that attribute is current.
    attribute.first();

    // Moving first gives a driver editor holding changes its question
    // before the profiles are read, so a saved answer is counted.
    if (assessment.requirements().recordCount() > 0) {
        Table& drivers = assessment.drivers();
        const DisplaySuspended pauseDrivers { &drivers };
        drivers.first();
    }
    const QSet<QString> needed = securityAttributesNeeded(assessment, division);

    // The new mark of every row: true only on the first row carrying a needed name.
    const int nameField = attribute.fieldIndex(QStringLiteral("Attribute"));
    const int inUseField = attribute.fieldIndex(QStringLiteral("InUse"));
    std::vector<Table::RowValue> changes;
    QSet<QString> marked;
    for (int row = 0; row < attribute.recordCount(); ++row) {
        const QString name = attribute.textAt(row, nameField);
        const bool inUse = needed.contains(name) && !marked.contains(name);
        if (inUse)
            marked.insert(name);
        const QVariant stored = attribute.valueAt(row, inUseField);
        if (!stored.isValid() || stored.toBool() != inUse)
            changes.push_back({ attribute.rowIdAt(row), inUse });
    }
    // Written in one transaction; the held rows take the marks, so the
    // filter below picks the rows in use from memory.
    attribute.setValues(QStringLiteral("InUse"), changes);
    attribute.setFilter(QStringLiteral("InUse=TRUE"));
    attribute.setFiltered(true);
    attribute.first();
}

void showAttributesInUse(Assessment& assessment, const QString& division)
{
    deriveAttributesInUse(assessment, division);
    assessment.attribute().setSort(QStringLiteral("Attribute ASC"));
}

void releaseAttributesInUse(Assessment& assessment)
{
    Table& attribute = assessment.attribute();
    attribute.setSort(QStringLiteral("GrAtt ASC"));
    attribute.setFiltered(false);
    attribute.first();
}
