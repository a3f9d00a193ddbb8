#include "store/report_details.h"

#include "store/store.h"

namespace {

bool tableExists(Store& store)
{
    SqlStatement& query = store.cached(
        QStringLiteral("SELECT EXISTS(SELECT 1 FROM sqlite_master WHERE type='table' AND name='ReportDetails')"));
    const bool exists = query.step() && query.columnInt64(0) != 0;
    query.reset();
    return exists;
}

struct Stored {
    ReportDetails details;
    bool disclaimerGiven = false;
};

Stored stored(Store& store)
{
    Stored s;
    if (!tableExists(store))
        return s;
    store
        .cached(QStringLiteral(
            "SELECT ReleasedBy, Contact, Address, Commentary, Disclaimer FROM ReportDetails ORDER BY rowid LIMIT 1"))
        .eachRow([&](SqlStatement& row) {
            s.details = { row.text(0), row.text(1), row.text(2), row.text(3), row.text(4) };
            s.disclaimerGiven = row.column(4).isValid();
        });
    return s;
}

}

namespace ReportDetailsStore {

QString defaultDisclaimer()
{
    return QStringLiteral(
        "This report reflects the business requirements, drivers and controls recorded during the assessment, "
        "as they stood on the date of the report. It rests on the information the enterprise provided and on the "
        "analyst's judgement; it is not a guarantee that the enterprise is secure, and it should be read together "
        "with the enterprise's own risk assessments.");
}

ReportDetails read(Store& store)
{
    Stored s = stored(store);
    if (!s.disclaimerGiven)
        s.details.disclaimer = defaultDisclaimer();
    return s.details;
}

bool anyGiven(Store& store)
{
    const Stored s = stored(store);
    const ReportDetails& d = s.details;
    return !d.releasedBy.isEmpty() || !d.contact.isEmpty() || !d.address.isEmpty() || !d.commentary.isEmpty()
        || s.disclaimerGiven;
}

void write(Store& store, const ReportDetails& details)
{
    Store::Transaction tx(store);
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"ReportDetails\" (\"ReleasedBy\" TEXT, \"Contact\" TEXT, "
                              "\"Address\" TEXT, \"Commentary\" TEXT, \"Disclaimer\" TEXT)"));
    store.exec(QStringLiteral("DELETE FROM \"ReportDetails\""));
    SqlStatement& insert = store.cached(QStringLiteral(
        "INSERT INTO ReportDetails (ReleasedBy, Contact, Address, Commentary, Disclaimer) VALUES (?, ?, ?, ?, ?)"));
    int at = 1;
    for (const QString* value : { &details.releasedBy, &details.contact, &details.address, &details.commentary })
        insert.bindText(at++, value->toUtf8());
    if (details.disclaimer == defaultDisclaimer())
        insert.bind(at, QVariant());
    else
        insert.bindText(at, details.disclaimer.toUtf8());
    insert.run();
    tx.commit();
}

void clear(Store& store)
{
    if (tableExists(store))
        store.exec(QStringLiteral("DELETE FROM \"ReportDetails\""));
}

}
