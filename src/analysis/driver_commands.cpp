#include "analysis/driver_commands.h"

#include "analysis/requirement_lines.h"
#include "store/assessment.h"
#include "store/line_list.h"

namespace {

Table& showDriver(Assessment& assessment, qint64 rowId)
{
    return recordToChange(assessment.drivers(), rowId, "driver");
}

bool identifierInUse(Store& store, const QString& cseq)
{
    SqlStatement& used = store.cached(QStringLiteral("SELECT EXISTS(SELECT 1 FROM Drivers WHERE COALESCE(CSeq,'')=?)"));
    used.bind(1, cseq);
    const bool found = used.step() && used.columnInt64(0) != 0;
    used.reset();
    return found;
}

}

void saveDriver(Assessment& assessment, qint64 rowId, const DriverValues& values)
{
    Store::Transaction tx(assessment.store());
    Table& drivers = showDriver(assessment, rowId);
    const QString oldId = drivers.text(QStringLiteral("CSeq"));
    drivers.edit();
    drivers.setText(QStringLiteral("CSeq"), values.id);
    drivers.setText(QStringLiteral("Requirement"), LineList::build(values.requirementLines));
    drivers.setText(QStringLiteral("Driver"), values.driver);
    drivers.setText(QStringLiteral("Division"), values.division);
    drivers.setText(QStringLiteral("Activity"), values.activity);
    drivers.setText(QStringLiteral("Group"), values.group);
    drivers.post();
    // The profile rows follow the identifier as stored.
    DriverProfile::moveRows(assessment.driverProfiles(), oldId, drivers.text(QStringLiteral("CSeq")));
    tx.commit();
}

void renameDriver(Assessment& assessment, qint64 rowId, const QString& newId)
{
    Store::Transaction tx(assessment.store());
    Table& drivers = showDriver(assessment, rowId);
    const QString oldId = drivers.text(QStringLiteral("CSeq"));
    drivers.edit();
    try {
        drivers.setText(QStringLiteral("CSeq"), newId);
        drivers.post();
    } catch (...) {
        drivers.cancel();
        throw;
    }
    DriverProfile::moveRows(assessment.driverProfiles(), oldId, drivers.text(QStringLiteral("CSeq")));
    tx.commit();
}

void deleteDriver(Assessment& assessment, qint64 rowId)
{
    Store& store = assessment.store();
    {
        Store::Transaction tx(store);
        Table& drivers = showDriver(assessment, rowId);
        const QString cseq = drivers.text(QStringLiteral("CSeq"));
        drivers.remove();
        if (!identifierInUse(store, cseq)) {
            SqlStatement& drop = store.cached(QStringLiteral("DELETE FROM DrAtt WHERE COALESCE(CSeq,'')=?"));
            drop.bind(1, cseq);
            drop.run();
        }
        tx.commit();
    }
    assessment.driverProfiles().refresh();
}
