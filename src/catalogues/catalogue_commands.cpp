#include "catalogues/catalogue_commands.h"

#include "catalogues/attribute_links.h"
#include "catalogues/catalogue_keys.h"
#include "store/assessment.h"

namespace {

// Appends a record with the given fields and posts it as one change: the
// displays hear of it once, with the record in its place.
qint64 appendRecord(Table& table, const std::vector<std::pair<QString, QString>>& fields)
{
    {
        const DisplaySuspended suspended { &table };
        table.append();
        try {
            for (const auto& [field, value] : fields)
                table.setText(field, value);
            table.post();
        } catch (...) {
            table.cancel();
            throw;
        }
    }
    return table.currentRowId();
}

}

void saveAttribute(Assessment& assessment, qint64 rowId, const AttributeValues& values)
{
    // The key first: a sequence that is not a whole number stops the save
    // before the record is touched.
    const QString key = CatalogueKeys::attributeSortKey(values.sequence, values.name);
    const bool knownTier = values.tier == QLatin1String("Business") || values.tier == QLatin1String("Technical")
        || values.tier == QLatin1String("Security");
    Table& t = assessment.attribute();
    Store::Transaction tx(assessment.store());
    recordToChange(t, rowId, "attribute");
    const QString oldName = t.text(QStringLiteral("Attribute"));
    const bool linksMove = AttributeRename::linksToMove(assessment, rowId, values.name).total() > 0;
    t.edit();
    try {
        t.setText(QStringLiteral("Attribute"), values.name);
        t.setText(QStringLiteral("Group"), values.group);
        t.setText(QStringLiteral("Tier"), knownTier ? values.tier : QStringLiteral("Business"));
        t.setText(QStringLiteral("Grx"), values.sequence);
        t.setText(QStringLiteral("GrAtt"), key);
        t.setText(QStringLiteral("Description"), values.description);
        t.post();
    } catch (...) {
        t.cancel();
        throw;
    }
    // The links follow the name, in the same transaction.
    if (linksMove)
        AttributeRename::moveLinks(assessment, oldName, t.text(QStringLiteral("Attribute")));
    tx.commit();
}

qint64 addAttribute(Assessment& assessment)
{
    const QString name = QStringLiteral("Attribute Name");
    const QString sequence = QStringLiteral("0");
    return appendRecord(assessment.attribute(),
        { { QStringLiteral("Attribute"), name }, { QStringLiteral("Group"), QStringLiteral("Group Name") },
            { QStringLiteral("Grx"), sequence },
            { QStringLiteral("GrAtt"), CatalogueKeys::attributeSortKey(sequence, name) } });
}

void saveControl(Assessment& assessment, qint64 rowId, const ControlSetRow& values)
{
    Table& t = assessment.controls();
    recordToChange(t, rowId, "control");
    t.edit();
    try {
        t.setText(QStringLiteral("Id"), values.id);
        t.setText(QStringLiteral("XId"), values.xid);
        t.setText(QStringLiteral("section_title"), values.sectionTitle);
        t.setText(QStringLiteral("subsection_title"), values.subsectionTitle);
        t.setText(QStringLiteral("subsection"), values.subsection);
        t.setText(QStringLiteral("control_title"), values.controlTitle);
        t.setText(QStringLiteral("control"), values.control);
        t.post();
    } catch (...) {
        t.cancel();
        throw;
    }
}

qint64 addControl(Assessment& assessment)
{
    return appendRecord(assessment.controls(), { { QStringLiteral("Id"), QStringLiteral("99.99.99") } });
}
