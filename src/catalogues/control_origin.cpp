#include "catalogues/control_origin.h"

#include "store/quarrix_error.h"
#include "store/store.h"

namespace {

bool tablesExist(Store& store)
{
    SqlStatement& q = store.cached(QStringLiteral(
        "SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name IN ('OscalCatalog','OscalControl')"));
    const bool present = q.step() && q.columnInt64(0) == 2;
    q.reset();
    return present;
}

// The tables, and the trigger that forgets a control's origin with its
// record and the catalog with its last control. The trigger is made again
// whenever an import remembers, in case Controls was rebuilt without it.
void ensureTables(Store& store)
{
    store.exec(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS \"OscalCatalog\" (\"Title\" TEXT, \"Uuid\" TEXT, \"Version\" TEXT, "
        "\"FileName\" TEXT, \"Outline\" TEXT);"
        "CREATE TABLE IF NOT EXISTS \"OscalControl\" (\"ControlRow\" INTEGER PRIMARY KEY, \"CatalogOrder\" INTEGER, "
        "\"OscalId\" TEXT, \"Parent\" TEXT, \"GroupPath\" TEXT, \"Json\" TEXT);"
        "CREATE TRIGGER IF NOT EXISTS \"OscalControlForgotten\" AFTER DELETE ON \"Controls\" BEGIN "
        "DELETE FROM \"OscalControl\" WHERE \"ControlRow\" = old.rowid; "
        "DELETE FROM \"OscalCatalog\" WHERE NOT EXISTS (SELECT 1 FROM \"OscalControl\"); END;"));
}

}

namespace ControlOrigin {

void remember(Store& store, const OscalCatalogOrigin& origin, const std::vector<qint64>& rowIds)
{
    if (rowIds.size() != origin.controls.size())
        throw QuarrixError(QStringLiteral("the catalog's controls and the rows made of them differ in number"));
    ensureTables(store);
    forget(store);
    SqlStatement& catalog = store.cached(QStringLiteral("INSERT INTO \"OscalCatalog\" (\"Title\", \"Uuid\", "
                                                        "\"Version\", \"FileName\", \"Outline\") VALUES (?,?,?,?,?)"));
    catalog.bind(1, origin.title);
    catalog.bind(2, origin.uuid);
    catalog.bind(3, origin.version);
    catalog.bind(4, origin.fileName);
    catalog.bindText(5, origin.outline);
    catalog.run();
    SqlStatement& control = store.cached(
        QStringLiteral("INSERT INTO \"OscalControl\" (\"ControlRow\", \"CatalogOrder\", \"OscalId\", \"Parent\", "
                       "\"GroupPath\", \"Json\") VALUES (?,?,?,?,?,?)"));
    for (size_t i = 0; i < rowIds.size(); ++i) {
        const OscalControlOrigin& c = origin.controls[i];
        control.bindInteger(1, rowIds[i]);
        control.bindInteger(2, qint64(i));
        control.bind(3, c.id);
        control.bind(4, c.parent);
        control.bind(5, c.group);
        control.bindTextKept(6, c.json);
        control.run();
    }
}

void forget(Store& store)
{
    if (!tablesExist(store))
        return;
    store.exec(QStringLiteral("DELETE FROM \"OscalControl\"; DELETE FROM \"OscalCatalog\";"));
}

std::optional<Catalog> read(Store& store, bool withJson)
{
    if (!tablesExist(store))
        return std::nullopt;
    Catalog found;
    bool any = false;
    SqlStatement& catalog = store.cached(QStringLiteral(
        "SELECT \"Title\", \"Uuid\", \"Version\", \"FileName\", \"Outline\" FROM \"OscalCatalog\" LIMIT 1"));
    catalog.eachRow([&](SqlStatement& s) {
        any = true;
        found.catalog = { s.text(0), s.text(1), s.text(2), s.text(3), s.utf8(4).toByteArray(), {} };
    });
    if (!any)
        return std::nullopt;
    // Only the origins of records that still exist count.
    SqlStatement& controls = store.cached(withJson
            ? QStringLiteral("SELECT o.\"ControlRow\", o.\"CatalogOrder\", o.\"OscalId\", o.\"Parent\", "
                             "o.\"GroupPath\", o.\"Json\" FROM \"OscalControl\" AS o JOIN \"Controls\" AS c "
                             "ON c.rowid = o.\"ControlRow\"")
            : QStringLiteral("SELECT o.\"ControlRow\", o.\"CatalogOrder\", o.\"OscalId\", o.\"Parent\", "
                             "o.\"GroupPath\" FROM \"OscalControl\" AS o JOIN \"Controls\" AS c "
                             "ON c.rowid = o.\"ControlRow\""));
    controls.eachRow([&](SqlStatement& s) {
        Remembered r;
        r.order = int(s.columnInt64(1));
        r.origin.id = s.text(2);
        r.origin.parent = s.text(3);
        r.origin.group = s.text(4);
        if (withJson)
            r.origin.json = s.utf8(5).toByteArray();
        found.controls.insert(s.columnInt64(0), std::move(r));
    });
    return found;
}

}
