// Opening a store: what the file is, whether it may be written, creating it
// whole, and bringing an older store up to date.
#include "store/store.h"

#include "files/atomic_file.h"
#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store_messages.h"
#include "store/work_state.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// Marks a SQLite file as a Quarrix store ("QRX1").
constexpr int kApplicationId = 0x51525831;
// How long the store waits for another program's command to finish.
constexpr int kBusyWaitMs = 2000;
// The column that keeps a table's row ids, so that SQLite never hands out an
// id again once it was used (AUTOINCREMENT). It takes the name of the row id
// itself, so every query by "rowid" reads it.
const QString kRowIdColumn = QStringLiteral("rowid");

QString sqlType(FieldType type)
{
    switch (type) {
    case FieldType::Boolean:
    case FieldType::Word:
        return QStringLiteral("INTEGER");
    default:
        return QStringLiteral("TEXT");
    }
}

StoreCondition condition(StoreProblem problem, const QString& message)
{
    return { problem, message };
}

// What the first bytes say the file is; `wal` tells a store left in
// write-ahead mode (by an older Quarrix), which needs files beside it to be
// read unless it is read as it stands.
StoreCondition describeHeader(const QString& path, bool* wal)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return condition(StoreProblem::Unreadable,
            QStringLiteral("Cannot open the store file '%1': %2").arg(path, file.errorString()));
    const QByteArray head = file.read(32);
    if (head.isEmpty() || head.startsWith(QByteArray("SQLite format 3\0", 16))) {
        *wal = head.size() > 19 && head.at(18) == 2 && head.at(19) == 2;
        return {};
    }
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return condition(StoreProblem::NotAStore,
            QStringLiteral("The file '%1' is a legacy database file, not a Quarrix store. "
                           "Move it aside and start Quarrix again to create a new store.")
                .arg(path));
    return condition(StoreProblem::NotAStore,
        QStringLiteral("The file '%1' is not a Quarrix store: it is not a database file.").arg(path));
}

const QString kReadOnlyEnd = QStringLiteral("Quarrix opened it for reading only: nothing can be saved in it.");

// Whether this process may write the store: the file itself, and the folder
// where the journal goes while a command writes. Asked with the effective
// user's rights, as the writes would be made.
StoreCondition writeAccess(const QString& path)
{
    const QFileInfo info(path);
    if (::faccessat(AT_FDCWD, QFile::encodeName(info.absoluteFilePath()).constData(), W_OK, AT_EACCESS) != 0) {
        const int error = errno;
        if (error == EROFS)
            return condition(StoreProblem::ReadOnlyFolder,
                QStringLiteral("The store file '%1' lies on a file system that cannot be written (%2). %3")
                    .arg(path, AtomicFile::systemReason(error), kReadOnlyEnd));
        return condition(StoreProblem::ReadOnlyFile,
            QStringLiteral("The store file '%1' is read-only (%2). %3")
                .arg(path, AtomicFile::systemReason(error), kReadOnlyEnd));
    }
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        return condition(StoreProblem::ReadOnlyFolder,
            QStringLiteral("There is no permission to write in the folder '%1' of the store file '%2' (%3), and the "
                           "store needs it for its journal while it saves. %4")
                .arg(info.absolutePath(), path, AtomicFile::systemReason(error), kReadOnlyEnd));
    }
    return {};
}

// The tables and first record of a new store, in one transaction.
QString createSchema(sqlite3* db)
{
    QString sql = QStringLiteral("BEGIN;PRAGMA application_id=%1;").arg(kApplicationId);
    for (const TableDef& def : Schema::tables()) {
        QStringList columns { quoteIdentifier(kRowIdColumn) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT") };
        for (const FieldDef& f : def.fields)
            columns << quoteIdentifier(f.name) + QLatin1Char(' ') + sqlType(f.type);
        sql += QStringLiteral("CREATE TABLE %1 (%2);")
                   .arg(quoteIdentifier(def.name), columns.join(QLatin1String(", ")));
        if (!def.keyOrder.isEmpty())
            sql += QStringLiteral("CREATE INDEX %1 ON %2 (%3 COLLATE NOCASE);")
                       .arg(quoteIdentifier(QStringLiteral("ix_") + def.name), quoteIdentifier(def.name),
                           quoteIdentifier(def.keyOrder.first()));
    }
    sql += WorkState::createSql(true);
    sql += QStringLiteral("INSERT INTO \"System\" DEFAULT VALUES;COMMIT;");
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return StoreMessages::lastError(db);
    return {};
}

// Builds a new store under a temporary name beside path and renames it into
// place once it is whole and on disk, so that a failure (a full disk, a
// killed process) leaves no store file, not a part of one. A file that
// appeared at path meanwhile (another program's new store) is kept unless
// `replace` is set.
StoreCondition createWhole(const QString& path, bool replace, bool* created)
{
    const auto failed = [&](StoreProblem problem, const QString& reason) {
        return condition(problem, QStringLiteral("Cannot create the store file '%1': %2").arg(path, reason));
    };
    try {
        AtomicFile::Replacement file(path);
        sqlite3* db = nullptr;
        const QByteArray temp = QFile::encodeName(file.tempPath());
        bool built
            = sqlite3_open_v2(temp.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK;
        // A new store gets pages of 16 KiB: a whole-assessment write (an
        // archive load, an import) then reads, logs and copies back a
        // quarter as many pages as with SQLite's 4 KiB. The size is fixed
        // once the file has its first page. No journal: a file that fails
        // half-way is thrown away.
        built = built
            && sqlite3_exec(db, "PRAGMA page_size=16384;PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr)
                == SQLITE_OK
            && createSchema(db).isEmpty();
        if (!built) {
            const StoreCondition why
                = failed(StoreMessages::problemOf(db) == StoreProblem::DiskFull ? StoreProblem::DiskFull
                                                                                : StoreProblem::CannotCreate,
                    StoreMessages::reason(db));
            sqlite3_close(db);
            return why;
        }
        sqlite3_close(db);
        if (replace)
            file.commit();
        *created = replace || file.commitUnlessPresent();
    } catch (const QuarrixError& e) {
        // The atomic writer's message names the file; its reason follows.
        const QString reason = e.message().section(QStringLiteral("': "), 1, -1);
        return failed(
            reason.contains(AtomicFile::systemReason(ENOSPC)) ? StoreProblem::DiskFull : StoreProblem::CannotCreate,
            reason);
    }
    return {};
}

QByteArray uriOf(const QString& path, bool readOnly, bool immutable)
{
    QByteArray uri = "file:" + QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/");
    uri += readOnly ? "?mode=ro" : "?mode=rw";
    if (immutable)
        uri += "&immutable=1";
    return uri;
}

}

std::unique_ptr<Store> Store::open(const QString& path, bool createIfMissing, QString* error)
{
    StoreCondition failure;
    std::unique_ptr<Store> store
        = open(path, createIfMissing ? StoreOpening::CreateIfMissing : StoreOpening::Existing, &failure);
    if (!store)
        *error = failure.message;
    return store;
}

std::unique_ptr<Store> Store::open(const QString& path, StoreOpening how, StoreCondition* failure)
{
    *failure = {};
    const QFileInfo info(path);
    if (!info.exists()) {
        if (how == StoreOpening::Existing) {
            *failure
                = condition(StoreProblem::Missing, QStringLiteral("Could not find the store file '%1'.").arg(path));
            return nullptr;
        }
        bool created = false;
        *failure = createWhole(path, false, &created);
        if (!failure->isNone())
            return nullptr;
        std::unique_ptr<Store> store = openFile(path, how, failure);
        if (store)
            store->m_new = created;
        return store;
    }
    return openFile(path, how, failure);
}

std::unique_ptr<Store> Store::openInMemory(QString* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("Cannot open a store in memory: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Store> store(new Store(db, QStringLiteral(":memory:")));
    if (const QString problem = createSchema(db); !problem.isEmpty()) {
        *error = QStringLiteral("Cannot make a store in memory: %1").arg(problem);
        return nullptr;
    }
    return store;
}

std::unique_ptr<Store> Store::openCopyInMemory(const QString& copyOf, QString* error)
{
    if (!QFileInfo::exists(copyOf)) {
        *error = QStringLiteral("Could not find the store file '%1'.").arg(copyOf);
        return nullptr;
    }
    bool wal = false;
    if (const StoreCondition header = describeHeader(copyOf, &wal); !header.isNone()) {
        *error = header.message;
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
    if (sqlite3_open_v2(uriOf(copyOf, true, false).constData(), &source,
            SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr)
        != SQLITE_OK)
        return fail(StoreMessages::reason(source));
    sqlite3_busy_timeout(source, kBusyWaitMs);
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
        return fail(StoreMessages::reason(source));
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

    // The copy is checked and brought up to date as the file would be.
    std::unique_ptr<Store> store(new Store(db, copyOf));
    FoundSchema found;
    StoreCondition problem = store->readSchema(&found);
    if (problem.isNone() && found.fields.isEmpty())
        problem = condition(
            StoreProblem::Unfinished, QStringLiteral("The store file '%1' is empty: it holds no tables.").arg(copyOf));
    MissingFields addLater;
    if (problem.isNone())
        if (const QString notAStore = store->checkSchema(found, &addLater); !notAStore.isEmpty())
            problem = condition(StoreProblem::NotAStore, notAStore);
    if (!problem.isNone()) {
        *error = problem.message;
        return nullptr;
    }
    try {
        store->exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
        store->prepareForWriting(found, addLater);
    } catch (const QuarrixError& e) {
        *error = e.message();
        return nullptr;
    }
    return store;
}

std::unique_ptr<Store> Store::connect(const QString& path, bool readOnly, bool immutable, StoreCondition* failure)
{
    sqlite3* db = nullptr;
    // One thread at a time uses a store, so the connection needs no mutex of its own.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    if (sqlite3_open_v2(uriOf(path, readOnly, immutable).constData(), &db, flags, nullptr) != SQLITE_OK) {
        *failure = condition(StoreMessages::problemOf(db), StoreMessages::lastError(db));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyWaitMs);
    std::unique_ptr<Store> store(new Store(db, path));
    // A whole-assessment write (an archive load, an import) stays in the page
    // cache until it commits instead of spilling pages and reading them back;
    // rollback copies of a nested savepoint and the shadows of a store open
    // for reading stay in memory.
    try {
        store->exec(QStringLiteral("PRAGMA cache_size=-65536;PRAGMA temp_store=MEMORY"));
    } catch (const QuarrixError& e) {
        *failure = condition(StoreMessages::problemOf(db), e.message());
        return nullptr;
    }
    return store;
}

std::unique_ptr<Store> Store::openFile(const QString& path, StoreOpening how, StoreCondition* failure)
{
    if (QFileInfo(path).isDir()) {
        *failure = condition(
            StoreProblem::NotAStore, QStringLiteral("The store file '%1' is a folder, not a Quarrix store.").arg(path));
        return nullptr;
    }
    bool wal = false;
    *failure = describeHeader(path, &wal);
    if (!failure->isNone())
        return nullptr;
    StoreCondition readOnly = writeAccess(path);
    // A store in write-ahead mode needs files beside it even to be read;
    // one that may not be written is read as it stands instead.
    std::unique_ptr<Store> store = connect(path, !readOnly.isNone(), wal && !readOnly.isNone(), failure);
    if (!store)
        return nullptr;
    // The file is checked before anything is written to it: a file that is
    // refused keeps every byte it had.
    FoundSchema found;
    *failure = store->readSchema(&found);
    if (!failure->isNone())
        return nullptr;
    if (found.fields.isEmpty()) {
        if (how == StoreOpening::CreateOrReplaceUnfinished && readOnly.isNone()) {
            store.reset();
            bool created = false;
            *failure = createWhole(path, true, &created);
            if (!failure->isNone())
                return nullptr;
            store = openFile(path, StoreOpening::Existing, failure);
            if (store)
                store->m_new = true;
            return store;
        }
        *failure = condition(StoreProblem::Unfinished,
            QStringLiteral("The store file '%1' is empty: it holds no tables, as a failed attempt to create it may "
                           "have left it. It can be created again in its place (quarrix-cli init does that).")
                .arg(path));
        return nullptr;
    }
    MissingFields addLater;
    const QString notAStore = store->checkSchema(found, &addLater);
    if (!notAStore.isEmpty()) {
        *failure = condition(StoreProblem::NotAStore, notAStore);
        return nullptr;
    }
    const QString damage = store->damage();
    if (!damage.isEmpty()) {
        readOnly = condition(StoreProblem::Damaged,
            QStringLiteral("The store file '%1' is damaged (%2). Quarrix opened it for reading only: save an archive "
                           "of what can still be read, then load it into a new store.")
                .arg(path, damage));
        if (!store->isReadOnly()) {
            store.reset();
            store = connect(path, true, wal, failure);
            if (!store)
                return nullptr;
        }
    }
    try {
        if (readOnly.isNone())
            store->prepareForWriting(found, addLater);
        else
            store->prepareForReading(found, addLater, readOnly);
    } catch (const QuarrixError& e) {
        *failure = condition(StoreMessages::problemOf(store->handle()), e.message());
        return nullptr;
    }
    return store;
}

StoreCondition Store::readSchema(FoundSchema* found)
{
    try {
        // Every table's fields in one query, names in lower case.
        SqlStatement columns(m_db,
            QStringLiteral("SELECT lower(m.name), lower(p.name), p.pk FROM sqlite_schema AS m, "
                           "pragma_table_info(m.name) AS p WHERE m.type='table'"));
        columns.eachRow([&](SqlStatement& row) {
            const QString table = row.text(0);
            const QString field = row.text(1);
            found->fields[table].insert(field);
            if (row.columnInt64(2) == 1 && field == kRowIdColumn)
                found->withRowIdColumn.insert(table);
        });
    } catch (const QuarrixError& e) {
        const StoreProblem problem = StoreMessages::problemOf(m_db);
        return condition(problem == StoreProblem::ReadOnlyFile ? StoreProblem::Unreadable : problem, e.message());
    }
    return {};
}

QString Store::checkSchema(const FoundSchema& found, MissingFields* addLater) const
{
    QStringList problems;
    for (const TableDef& def : Schema::tables()) {
        const auto table = found.fields.constFind(def.name.toLower());
        if (table == found.fields.constEnd()) {
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

QString Store::damage()
{
    // SQLite's quick check reads every page and tells the first fault it
    // finds; "ok" when there is none.
    try {
        SqlStatement check(m_db, QStringLiteral("PRAGMA quick_check(1)"));
        QString verdict = check.step() ? check.text(0) : QString();
        check.reset();
        if (verdict == QLatin1String("ok"))
            return {};
        // One line, without the name of the schema it was found in.
        verdict.remove(QStringLiteral("*** in database main ***"));
        return verdict.simplified();
    } catch (const QuarrixError&) {
        return QString::fromUtf8(sqlite3_errstr(sqlite3_errcode(m_db)));
    }
}

void Store::prepareForWriting(const FoundSchema& found, const MissingFields& addLater)
{
    // A rollback journal: it exists only while a command writes, and the file
    // alone holds every commit. A store left in write-ahead mode by an older
    // Quarrix leaves it when no other program has it open; otherwise it
    // stays there and each commit is copied into the file at once.
    try {
        exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    } catch (const QuarrixError&) {
        // another connection has the file open in write-ahead mode
    }
    SqlStatement mode(m_db, QStringLiteral("PRAGMA journal_mode"));
    m_checkpointEachCommit = mode.step() && mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    mode.reset();
    exec(QStringLiteral("PRAGMA synchronous=FULL"));

    std::vector<const TableDef*> withoutRowIdColumn;
    for (const TableDef& def : Schema::tables())
        if (!found.withRowIdColumn.contains(def.name.toLower()))
            withoutRowIdColumn.push_back(&def);
    const bool stateMissing = !found.fields.contains(QStringLiteral("workstate"));
    if (addLater.empty() && withoutRowIdColumn.empty() && !stateMissing)
        return;
    // An older store is brought up to date at once, all or nothing; nothing
    // of the assessment changes, so its archived mark stays.
    ArchiveMarkKept unchanged(*this);
    Transaction tx(*this);
    addFields(addLater);
    for (const TableDef* def : withoutRowIdColumn)
        giveRowIdColumn(*def);
    if (stateMissing)
        WorkState::ensure(*this);
    tx.commit();
}

void Store::addFields(const MissingFields& fields)
{
    for (const auto& [def, f] : fields)
        exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                 .arg(quoteIdentifier(def->name), quoteIdentifier(f->name), sqlType(f->type)));
}

void Store::giveRowIdColumn(const TableDef& def)
{
    // The table is copied into a new one that keeps its row ids in a column
    // of its own, every field as it was declared and every row under the id
    // it had: the ids that editors and risk entries (AppControl.AppId) hold
    // keep naming the same records.
    QStringList columns, declared;
    SqlStatement info(m_db, QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid"));
    info.bind(1, def.name);
    info.eachRow([&](SqlStatement& row) {
        columns << quoteIdentifier(row.text(0));
        declared << quoteIdentifier(row.text(0)) + QLatin1Char(' ') + row.text(1);
    });
    // Dropping the table drops its indexes and triggers (the one that forgets
    // an imported control's origin with its record among them): they are
    // made again on the copy, as they were.
    QStringList attached;
    SqlStatement owned(m_db,
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type IN ('index','trigger') AND sql IS NOT NULL "
                       "AND tbl_name = ? COLLATE NOCASE"));
    owned.bind(1, def.name);
    owned.eachRow([&](SqlStatement& row) { attached << row.text(0); });
    const QString table = quoteIdentifier(def.name);
    const QString copy = quoteIdentifier(QStringLiteral("quarrix_new_") + def.name);
    const QString list = columns.join(QLatin1String(", "));
    exec(QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY AUTOINCREMENT, %3)")
             .arg(copy, quoteIdentifier(kRowIdColumn), declared.join(QLatin1String(", "))));
    exec(QStringLiteral("INSERT INTO %1 (%2, %3) SELECT rowid, %3 FROM %4 ORDER BY rowid")
             .arg(copy, quoteIdentifier(kRowIdColumn), list, table));
    exec(QStringLiteral("DROP TABLE %1").arg(table));
    exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(copy, table));
    for (const QString& sql : attached)
        exec(sql);
    if (!def.keyOrder.isEmpty())
        exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3 COLLATE NOCASE)")
                 .arg(quoteIdentifier(QStringLiteral("ix_") + def.name), table, quoteIdentifier(def.keyOrder.first())));
}

void Store::prepareForReading(const FoundSchema& found, const MissingFields& missing, const StoreCondition& reason)
{
    m_readOnly = reason;
    StoreMessages::setReadOnlyReason(m_db, reason.message);
    // What an older store lacks is shown as empty fields, and the archived
    // mark is kept in memory: views and a table of the connection's own,
    // which are found before the file's tables of the same name. The file
    // is not touched.
    for (const TableDef& def : Schema::tables()) {
        QStringList columns { QStringLiteral("rowid AS rowid") };
        bool lacking = false;
        for (const FieldDef& f : def.fields) {
            const bool absent = std::any_of(
                missing.begin(), missing.end(), [&](const auto& m) { return m.first == &def && m.second == &f; });
            lacking = lacking || absent;
            columns << (absent ? QStringLiteral("NULL AS %1") : QStringLiteral("%1")).arg(quoteIdentifier(f.name));
        }
        if (lacking)
            exec(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT %2 FROM main.%1")
                     .arg(quoteIdentifier(def.name), columns.join(QLatin1String(", "))));
    }
    WorkState::shadow(*this, found.fields.contains(QStringLiteral("workstate")));
}
