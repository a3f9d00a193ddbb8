#include "analysis/in_use_derivation.h"

#include "analysis/attributes_in_use.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/store.h"

#include <vector>

void deriveAttributesInUse(Assessment& assessment, const QString& division)
{
    Table& attribute = assessment.attribute();
    Store& store = assessment.store();
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

    if (assessment.requirements().recordCount() > 0) {
        // Moving first gives a driver editor holding changes its question
        // before the profiles are read, so a saved answer is counted.
        Table& drivers = assessment.drivers();
        const DisplaySuspended pauseDrivers { &drivers };
        drivers.first();
    }
    const AttributesInUse inUse = AttributesInUse::derive(store, division);

    // The new mark of every row; only the changed ones are written.
    const int inUseField = attribute.fieldIndex(QStringLiteral("InUse"));
    std::vector<Table::RowValue> changes;
    for (int row = 0; row < attribute.recordCount(); ++row) {
        const bool marked = inUse.containsRow(attribute.rowIdAt(row));
        const QVariant stored = attribute.valueAt(row, inUseField);
        if (!stored.isValid() || stored.toBool() != marked)
            changes.push_back({ attribute.rowIdAt(row), marked });
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
