#include "store/store.h"

#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/table.h"
#include "store/work_state.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <sqlite3.h>

// Marks a SQLite file as a Quarrix store ("QRX1").
static constexpr int kApplicationId = 0x51525831;

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

static QString sqlType(FieldType type)
{
    switch (type) {
    case FieldType::Boolean:
    case FieldType::Word:
        return QStringLiteral("INTEGER");
    default:
        return QStringLiteral("TEXT");
    }
}

Store::Store(sqlite3* db, const QString& path)
    : m_db(db)
    , m_path(path)
{
    for (const TableDef& def : Schema::tables())
        m_writes.push_back({ def.name.toUtf8(), 0 });
    sqlite3_update_hook(m_db, &Store::countWrite, this);
}

Store::~Store()
{
    m_cache.clear();
    sqlite3_close(m_db);
}

static QString describeHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open the store file '%1': %2").arg(path, file.errorString());
    const QByteArray head = file.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return {};
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return QStringLiteral("The file '%1' is a legacy database file, not a Quarrix store. "
                              "Move it aside and start Quarrix again to create a new store.")
            .arg(path);
    return QStringLiteral("The file '%1' is not a Quarrix store: it is not a database file.").arg(path);
}

std::unique_ptr<Store> Store::open(const QString& path, bool createIfMissing, QString* error)
{
    const bool exists = QFileInfo::exists(path);
    if (!exists && !createIfMissing) {
        *error = QStringLiteral("Could not find the store file '%1'.").arg(path);
        return nullptr;
    }
    if (exists) {
        const QString problem = describeHeader(path);
        if (!problem.isEmpty()) {
            *error = problem;
            return nullptr;
        }
    }
    sqlite3* db = nullptr;
    // One thread uses a store, so the connection needs no mutex of its own.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (exists ? 0 : SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("Cannot open the store file '%1': %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return nullptr;
    }
    return prepare(db, path, exists, error);
}

// Sets up a connection just opened: checks the schema of a store that has
// one (adding the fields later versions added), creates it otherwise.
std::unique_ptr<Store> Store::prepare(sqlite3* db, const QString& path, bool hasSchema, QString* error)
{
    std::unique_ptr<Store> store(new Store(db, path));
    try {
        sqlite3_busy_timeout(db, 2000);
        // The file is checked before anything is written to it: a file that
        // is refused keeps every byte it had.
        MissingFields addLater;
        if (hasSchema) {
            const QString problem = store->checkSchema(&addLater);
            if (!problem.isEmpty()) {
                *error = problem;
                return nullptr;
            }
        }
        // A new store gets pages of 16 KiB: a whole-assessment write (an
        // archive load, an import) then reads, logs and copies back a
        // quarter as many pages as with SQLite's 4 KiB. The size is fixed
        // once the file has its first page, so older stores keep theirs.
        if (!hasSchema)
            store->exec(QStringLiteral("PRAGMA page_size=16384"));
        store->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        store->exec(QStringLiteral("PRAGMA synchronous=FULL"));
        // A whole-assessment write (an archive load, an import) stays in the
        // page cache until it commits instead of spilling pages into the log
        // and reading them back; rollback copies of a nested savepoint stay
        // in memory instead of a temporary file.
        store->exec(QStringLiteral("PRAGMA cache_size=-65536"));
        store->exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
        const QString problem = hasSchema ? QString() : createSchema(db);
        if (!problem.isEmpty()) {
            *error = problem;
            return nullptr;
        }
        store->addFields(addLater);
        WorkState::ensure(*store);
    } catch (const QuarrixError& e) {
        *error = QStringLiteral("The file '%1' is not a Quarrix store: %2").arg(path, e.message());
        return nullptr;
    }
    return store;
}

std::unique_ptr<Store> Store::openInMemory(QString* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("Cannot open a store in memory: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return nullptr;
    }
    return prepare(db, QStringLiteral(":memory:"), false, error);
}

std::unique_ptr<Store> Store::openCopyInMemory(const QString& copyOf, QString* error)
{
    if (!QFileInfo::exists(copyOf)) {
        *error = QStringLiteral("Could not find the store file '%1'.").arg(copyOf);
        return nullptr;
    }
    if (const QString problem = describeHeader(copyOf); !problem.isEmpty()) {
        *error = problem;
        return nullptr;
    }
    sqlite3* source = nullptr;
    sqlite3* db = nullptr;
    auto fail = [&](const QString& what) {
        *error = QStringLiteral("Cannot read the store file '%1': %2").arg(copyOf, what);
        sqlite3_close(source);
        sqlite3_close(db);
        return nullptr;
    };
    if (sqlite3_open_v2(
            QFile::encodeName(copyOf).constData(), &source, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(source)));
    sqlite3_busy_timeout(source, 2000);
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    // A copy into memory needs the source's page size.
    sqlite3_stmt* pageSize = nullptr;
    int bytes = 0;
    if (sqlite3_prepare_v2(source, "PRAGMA page_size", -1, &pageSize, nullptr) == SQLITE_OK
        && sqlite3_step(pageSize) == SQLITE_ROW)
        bytes = sqlite3_column_int(pageSize, 0);
    sqlite3_finalize(pageSize);
    if (bytes <= 0)
        return fail(QString::fromUtf8(sqlite3_errmsg(source)));
    sqlite3_exec(
        db, QByteArray("PRAGMA page_size=" + QByteArray::number(bytes)).constData(), nullptr, nullptr, nullptr);
    // One step copies every page under one read lock of the source: the copy
    // is one snapshot even while another program writes the file.
    sqlite3_backup* backup = sqlite3_backup_init(db, "main", source, "main");
    if (!backup)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    const int stepped = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE)
        return fail(QString::fromUtf8(sqlite3_errstr(stepped)));
    sqlite3_close(source);
    source = nullptr;
    return prepare(db, copyOf, true, error);
}

QString Store::createSchema(sqlite3* db)
{
    QString sql = QStringLiteral("BEGIN;PRAGMA application_id=%1;").arg(kApplicationId);
    for (const TableDef& def : Schema::tables()) {
        QStringList columns;
        for (const FieldDef& f : def.fields)
            columns << quoteIdentifier(f.name) + QLatin1Char(' ') + sqlType(f.type);
        sql += QStringLiteral("CREATE TABLE %1 (%2);")
                   .arg(quoteIdentifier(def.name), columns.join(QLatin1String(", ")));
        if (!def.keyOrder.isEmpty())
            sql += QStringLiteral("CREATE INDEX %1 ON %2 (%3 COLLATE NOCASE);")
                       .arg(quoteIdentifier(QStringLiteral("ix_") + def.name), quoteIdentifier(def.name),
                           quoteIdentifier(def.keyOrder.first()));
    }
    sql += QStringLiteral("INSERT INTO \"System\" DEFAULT VALUES;COMMIT;");
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message);
        sqlite3_free(message);
        return QStringLiteral("Cannot create the store: %1").arg(text);
    }
    return {};
}

QString Store::checkSchema(MissingFields* addLater)
{
    // Every table's fields in one query, names in lower case.
    QHash<QString, QSet<QString>> present;
    SqlStatement columns(m_db,
        QStringLiteral("SELECT lower(m.name), lower(p.name) FROM sqlite_schema AS m, pragma_table_info(m.name) AS p "
                       "WHERE m.type='table'"));
    while (columns.step())
        present[columns.column(0).toString()].insert(columns.column(1).toString());
    QStringList problems;
    for (const TableDef& def : Schema::tables()) {
        const auto table = present.constFind(def.name.toLower());
        if (table == present.constEnd()) {
            problems << QStringLiteral("table %1 is missing").arg(def.name);
            continue;
        }
        for (const FieldDef& f : def.fields) {
            if (table->contains(f.name.toLower()))
                continue;
            if (f.addedLater)
                addLater->emplace_back(&def, &f);
            else
                problems << QStringLiteral("field %1.%2 is missing").arg(def.name, f.name);
        }
    }
    if (problems.isEmpty())
        return {};
    return QStringLiteral("The file '%1' is not a Quarrix store: %2.").arg(m_path, problems.join(QLatin1String(", ")));
}

void Store::addFields(const MissingFields& fields)
{
    for (const auto& [def, f] : fields)
        exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                 .arg(quoteIdentifier(def->name), quoteIdentifier(f->name), sqlType(f->type)));
}

void Store::exec(const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message);
        sqlite3_free(message);
        throw QuarrixError(text);
    }
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
    exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(def->name)));
    // Emptied in one step, the table's rows are not reported one by one.
    if (WriteCount* written = writeCount(def->name.toUtf8().constData()))
        ++written->count;
}

void Store::countWrite(void* store, int, const char*, const char* table, long long)
{
    if (WriteCount* written = static_cast<Store*>(store)->writeCount(table))
        ++written->count;
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

quint64 Store::tableVersion(const QString& tableName)
{
    // Another connection's commit changes the data version; which of its
    // tables it wrote is not known here, so each may have changed.
    SqlStatement& version = cached(QStringLiteral("PRAGMA data_version"));
    version.reset();
    const qint64 now = version.step() ? version.columnInt64(0) : 0;
    version.reset();
    if (now != m_dataVersion) {
        if (m_dataVersion >= 0)
            ++m_undone;
        m_dataVersion = now;
    }
    const WriteCount* written = writeCount(tableName.toUtf8().constData());
    return m_undone + (written ? written->count : 0);
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

Store::Transaction::Transaction(Store& store)
    : m_store(store)
{
    m_name = QStringLiteral("q%1").arg(++m_store.m_depth);
    m_store.exec(QStringLiteral("SAVEPOINT %1").arg(m_name));
}

Store::Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_store.exec(QStringLiteral("ROLLBACK TO %1").arg(m_name));
        m_store.exec(QStringLiteral("RELEASE %1").arg(m_name));
    } catch (const QuarrixError&) {
        // the connection already rolled back on its own
    }
    ++m_store.m_undone; // rows read since the savepoint may be undone
    --m_store.m_depth;
    if (m_store.m_depth == 0)
        m_store.reloadOpenTables();
}

void Store::Transaction::commit()
{
    m_store.exec(QStringLiteral("RELEASE %1").arg(m_name));
    m_done = true;
    --m_store.m_depth;
}

qint64 Store::totalChanges() const
{
    return sqlite3_total_changes64(m_db);
}
