#include "store/work_state.h"

#include "store/store.h"

namespace {

const char* const kAssessmentTables[]
    = { "Requirements", "Drivers", "DrAtt", "Attribute", "BTAtt", "TSAtt", "Controls", "Applications", "AppControl" };

bool assessmentEmpty(Store& store)
{
    for (const char* name : kAssessmentTables) {
        SqlStatement& any = store.cached(
            QStringLiteral("SELECT EXISTS(SELECT 1 FROM %1)").arg(quoteIdentifier(QString::fromLatin1(name))));
        const bool found = any.step() && any.columnInt64(0) != 0;
        any.reset();
        if (found)
            return false;
    }
    return true;
}

}

namespace WorkState {

void ensure(Store& store)
{
    SqlStatement& rows
        = store.cached(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name='WorkState'"));
    const bool present = rows.step() && rows.columnInt64(0) > 0;
    rows.reset();
    if (present)
        return;
    Store::Transaction tx(store);
    store.exec(QStringLiteral("CREATE TABLE \"WorkState\" (\"Archived\" INTEGER NOT NULL)"));
    SqlStatement& insert = store.cached(QStringLiteral("INSERT INTO \"WorkState\" (\"Archived\") VALUES (?)"));
    insert.bind(1, assessmentEmpty(store) ? 1 : 0);
    insert.run();
    tx.commit();
}

bool archived(Store& store)
{
    SqlStatement& read = store.cached(QStringLiteral("SELECT \"Archived\" FROM \"WorkState\" LIMIT 1"));
    const bool value = !read.step() || read.columnInt64(0) != 0;
    read.reset();
    return value;
}

void setArchived(Store& store, bool value)
{
    SqlStatement& write = store.cached(QStringLiteral("UPDATE \"WorkState\" SET \"Archived\"=?"));
    write.bind(1, value ? 1 : 0);
    write.run();
}

}
