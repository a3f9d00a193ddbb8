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

QString createSql(bool archived)
{
    return QStringLiteral("CREATE TABLE \"WorkState\" (\"Archived\" INTEGER NOT NULL);"
                          "INSERT INTO \"WorkState\" (\"Archived\") VALUES (%1);")
        .arg(archived ? 1 : 0);
}

void ensure(Store& store)
{
    SqlStatement& rows
        = store.cached(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name='WorkState'"));
    const bool present = rows.step() && rows.columnInt64(0) > 0;
    rows.reset();
    if (present)
        return;
    Store::Transaction tx(store);
    store.exec(createSql(assessmentEmpty(store)));
    tx.commit();
}

void shadow(Store& store, bool present)
{
    if (present)
        store.exec(QStringLiteral("CREATE TEMP TABLE \"WorkState\" AS SELECT \"Archived\" FROM main.\"WorkState\""));
    else
        store.exec(QStringLiteral("CREATE TEMP TABLE \"WorkState\" (\"Archived\" INTEGER NOT NULL);"
                                  "INSERT INTO temp.\"WorkState\" VALUES (%1)")
                       .arg(assessmentEmpty(store) ? 1 : 0));
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
