#include "store/store.h"

#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store_messages.h"
#include "store/table.h"
#include "store/work_state.h"

#include <algorithm>
#include <sqlite3.h>

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Store::Store(sqlite3* db, const QString& path)
    : m_db(db)
    , m_path(path)
{
    for (const TableDef& def : Schema::tables())
        m_writes.push_back({ def.name.toUtf8(), 0, def.work });
    sqlite3_update_hook(m_db, &Store::countWrite, this);
}

Store::~Store()
{
    m_cache.clear();
    StoreMessages::forget(m_db);
    sqlite3_close(m_db);
}

void Store::exec(const QString& sql)
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw QuarrixError(StoreMessages::lastError(m_db));
}

SqlStatement& Store::cached(const QString& sql)
{
    for (auto& entry : m_cache)
        if (entry.first == sql)
            return *entry.second;
    m_cache.emplace_back(sql, std::make_unique<SqlStatement>(m_db, sql));
    return *m_cache.back().second;
}

void Store::deleteAll(const QString& tableName)
{
    const TableDef* def = Schema::find(tableName);
    if (!def)
        throw QuarrixError(QStringLiteral("The table '%1' does not exist.").arg(tableName));
    Transaction tx(*this);
    exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(def->name)));
    // Emptied in one step, the table's rows are not reported one by one.
    noteWrite(writeCount(def->name.toUtf8().constData()));
    tx.commit();
}

void Store::countWrite(void* store, int, const char* database, const char* table, long long)
{
    // The shadows of a store open for reading live in the temporary schema.
    if (qstrcmp(database, "main") != 0)
        return;
    auto* self = static_cast<Store*>(store);
    if (WriteCount* written = self->writeCount(table)) {
        self->noteWrite(written);
        return;
    }
    // A table kept beside the schema's (the report details) holds the
    // analyst's work as well; the mark itself and SQLite's own do not.
    if (sqlite3_stricmp(table, "WorkState") != 0 && sqlite3_strnicmp(table, "sqlite_", 7) != 0 && self->m_markKept == 0)
        self->m_assessmentWritten = true;
}

void Store::noteWrite(WriteCount* written)
{
    if (!written)
        return;
    ++written->count;
    if (written->work && m_markKept == 0)
        m_assessmentWritten = true;
}

Store::WriteCount* Store::writeCount(const char* table)
{
    // Bulk writes hit one table row after row: try the last one first.
    if (m_lastWritten && sqlite3_stricmp(m_lastWritten->table.constData(), table) == 0)
        return m_lastWritten;
    for (WriteCount& w : m_writes)
        if (sqlite3_stricmp(w.table.constData(), table) == 0)
            return m_lastWritten = &w;
    return nullptr;
}

void Store::checkDataVersion()
{
    // Another connection's commit changes the data version; which of its
    // tables it wrote is not known here, so each may have changed.
    SqlStatement& version = cached(QStringLiteral("PRAGMA data_version"));
    version.reset();
    const qint64 now = version.step() ? version.columnInt64(0) : 0;
    version.reset();
    if (now != m_dataVersion) {
        if (m_dataVersion >= 0) {
            ++m_undone;
            ++m_othersCommits;
        }
        m_dataVersion = now;
    }
}

quint64 Store::tableVersion(const QString& tableName)
{
    checkDataVersion();
    const WriteCount* written = writeCount(tableName.toUtf8().constData());
    return m_undone + (written ? written->count : 0);
}

quint64 Store::changesByOthers()
{
    checkDataVersion();
    return m_othersCommits;
}

void Store::attach(Table* table)
{
    m_tables.push_back(table);
}

void Store::detach(Table* table)
{
    m_tables.erase(std::remove(m_tables.begin(), m_tables.end(), table), m_tables.end());
}

void Store::reloadOpenTables()
{
    // Runs while an error unwinds: a table that cannot be re-read is closed
    // rather than letting a second error end the program.
    for (Table* table : m_tables) {
        if (!table->isOpen())
            continue;
        try {
            table->reloadAfterRollback();
        } catch (const std::exception&) {
            table->closeAfterFailure();
        }
    }
}

void Store::finishWrites()
{
    // In the same commit as the change itself: the mark can never say
    // "archived" for work that is not.
    if (m_assessmentWritten)
        WorkState::setArchived(*this, false);
    m_assessmentWritten = false;
}

bool Store::workArchived()
{
    // A write made outside any group is marked by the next group's commit;
    // until then it counts already.
    return WorkState::archived(*this) && !(m_depth == 0 && m_assessmentWritten);
}

void Store::setWorkArchived(bool archived)
{
    if (archived == WorkState::archived(*this) && !(archived && m_assessmentWritten))
        return;
    Transaction tx(*this);
    m_assessmentWritten = false;
    WorkState::setArchived(*this, archived);
    tx.commit();
}

void Store::afterCommit()
{
    if (m_checkpointEachCommit)
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

Store::Transaction::Transaction(Store& store)
    : m_store(store)
    , m_changesAtStart(store.totalChanges())
{
    if (m_store.m_depth == 0) {
        // The write lock is taken at once: a group that read first and wrote
        // later could not wait for another program's write to end.
        m_store.exec(m_store.isReadOnly() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        m_name = QStringLiteral("q%1").arg(m_store.m_depth);
        m_store.exec(QStringLiteral("SAVEPOINT %1").arg(m_name));
    }
    ++m_store.m_depth;
}

Store::Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        if (m_name.isEmpty()) {
            m_store.exec(QStringLiteral("ROLLBACK"));
        } else {
            m_store.exec(QStringLiteral("ROLLBACK TO %1").arg(m_name));
            m_store.exec(QStringLiteral("RELEASE %1").arg(m_name));
        }
    } catch (const QuarrixError&) {
        // the connection already rolled back on its own
    }
    --m_store.m_depth;
    if (m_store.m_depth == 0)
        m_store.m_assessmentWritten = false;
    // A group that changed no row (one whose only write failed) undid nothing.
    if (m_store.totalChanges() == m_changesAtStart)
        return;
    ++m_store.m_undone; // rows read since the group began may be undone
    if (m_store.m_depth == 0)
        m_store.reloadOpenTables();
}

void Store::Transaction::commit()
{
    if (m_name.isEmpty()) {
        m_store.finishWrites();
        m_store.exec(QStringLiteral("COMMIT"));
    } else {
        m_store.exec(QStringLiteral("RELEASE %1").arg(m_name));
    }
    m_done = true;
    --m_store.m_depth;
    if (m_name.isEmpty())
        m_store.afterCommit();
}

Store::Snapshot::Snapshot(Store& store)
    : m_group(store)
{
}

Store::Snapshot::~Snapshot()
{
    try {
        m_group.commit();
    } catch (const std::exception&) {
        // the group rolls back what it could not commit
    }
}

Store::ArchiveMarkKept::ArchiveMarkKept(Store& store)
    : m_store(store)
{
    ++m_store.m_markKept;
}

Store::ArchiveMarkKept::~ArchiveMarkKept()
{
    --m_store.m_markKept;
}

qint64 Store::totalChanges() const
{
    return sqlite3_total_changes64(m_db);
}
