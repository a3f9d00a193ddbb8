#pragma once

#include "store/sql_statement.h"
#include "store/store_condition.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct FieldDef;
struct TableDef;
class Table;

// The assessment store: one SQLite file holding the eleven tables. Every
// write is committed (and synced) before the call that made it returns, and
// the store keeps a rollback journal beside the file only while it writes, so
// the file alone always holds the work: a copy of it taken between commands
// is a whole store, and a killed process never loses or corrupts what was
// posted.
//
// The store is shared: another program (the command line, a second window)
// may change it at any time. Row ids are never used twice, so a row id
// remembered before such a change names the same record or none; every write
// and every read for an output runs in one transaction, so it sees one state
// of the store, and the store waits up to two seconds for another program's
// command to finish before it gives up, saying that the store is locked.
class Store {
public:
    ~Store();

    // Opens the store at path. A missing file is created whole (with the full
    // schema, under a temporary name renamed into place) when `how` allows.
    // A store that may not be written (the file, or the folder its journal
    // needs) or that the check on open finds damaged opens for reading only:
    // see readOnlyReason(). Returns nullptr and fills *failure, with a
    // message naming the file and the system's reason, when no store can be
    // opened at all.
    static std::unique_ptr<Store> open(const QString& path, StoreOpening how, StoreCondition* failure);
    // As above; a missing file is created when createIfMissing is set.
    static std::unique_ptr<Store> open(const QString& path, bool createIfMissing, QString* error);
    // A store in memory, for work that must not touch any file: empty with
    // the full schema, or a copy of the store at copyOf, read in one read
    // transaction through a read-only connection (the file is never written)
    // and brought up to date as an opened store would be. Returns nullptr
    // with a message as open() does.
    static std::unique_ptr<Store> openInMemory(QString* error);
    static std::unique_ptr<Store> openCopyInMemory(const QString& copyOf, QString* error);

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }
    // Whether this open created the store (a new, empty assessment).
    bool isNew() const { return m_new; }

    // Whether the store can only be read, and why: every write is then
    // refused with that reason and nothing is written to the file or beside it.
    bool isReadOnly() const { return !m_readOnly.isNone(); }
    const StoreCondition& readOnlyReason() const { return m_readOnly; }

    // Whether every change of the assessment is in an archive (the work's
    // archived mark). Setting it covers every write made so far, those of
    // the group still open included; any later change clears it again.
    bool workArchived();
    void setWorkArchived(bool archived);

    void exec(const QString& sql);
    // Rows inserted, changed or deleted through this connection since it opened.
    qint64 totalChanges() const;
    SqlStatement& cached(const QString& sql); // prepared once per store

    // The delete-all statement: empties the named table.
    void deleteAll(const QString& tableName);

    // Grows whenever rows of the named table may have changed: a write through
    // this connection, a rollback, or a commit by another connection. Rows read
    // at one version are still what the file holds while it stays the same.
    quint64 tableVersion(const QString& tableName);

    // Grows with every commit another connection (another program) made to the
    // file, as far as this connection has seen: asking looks at the file. A
    // window remembers it when it loads a record and asks again before it
    // saves or moves, to notice that the record may have changed under it.
    quint64 changesByOthers();

    // All-or-nothing group of writes. The outermost group holds the store's
    // write lock from its start (other programs may read but wait to write);
    // nested groups use savepoints. A group that is not committed is rolled
    // back when it ends, and every open table then re-reads the file so no
    // cursor shows rows that were undone. Committing a group that changed the
    // assessment marks the work as not archived.
    class Transaction {
    public:
        explicit Transaction(Store& store);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Store& m_store;
        QString m_name; // empty for the outermost group
        qint64 m_changesAtStart;
        bool m_done = false;
    };

    // One state of the store for a command that reads it to write a file (an
    // archive, a report, a workbook): no other program's commit lands while
    // it lives. What the command writes meanwhile (an edit saved on the way,
    // derived marks) is committed when it ends, however the command ends.
    class Snapshot {
    public:
        explicit Snapshot(Store& store);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

    private:
        Transaction m_group;
    };

    // While one lives, the writes of this connection leave the work's
    // archived mark alone: they change what is not the analyst's work
    // (derived marks, settings).
    class ArchiveMarkKept {
    public:
        explicit ArchiveMarkKept(Store& store);
        ~ArchiveMarkKept();
        ArchiveMarkKept(const ArchiveMarkKept&) = delete;
        ArchiveMarkKept& operator=(const ArchiveMarkKept&) = delete;

    private:
        Store& m_store;
    };

    void attach(Table* table);
    void detach(Table* table);

private:
    using MissingFields = std::vector<std::pair<const TableDef*, const FieldDef*>>;
    struct WriteCount {
        QByteArray table; // as the schema names it, UTF-8
        quint64 count = 0;
        bool work = true; // the analyst's work: a write marks it as not archived
    };
    // The tables of the file (names in lower case) with their fields.
    struct FoundSchema {
        QHash<QString, QSet<QString>> fields;
        QSet<QString> withRowIdColumn; // tables that keep their row ids in a column of their own
    };

    Store(sqlite3* db, const QString& path);
    static std::unique_ptr<Store> openFile(const QString& path, StoreOpening how, StoreCondition* failure);
    static std::unique_ptr<Store> connect(const QString& path, bool readOnly, bool immutable, StoreCondition* failure);
    StoreCondition readSchema(FoundSchema* found);
    QString checkSchema(const FoundSchema& found, MissingFields* addLater) const;
    QString damage();
    void prepareForWriting(const FoundSchema& found, const MissingFields& addLater);
    void prepareForReading(const FoundSchema& found, const MissingFields& missing, const StoreCondition& reason);
    void addFields(const MissingFields& fields);
    void giveRowIdColumn(const TableDef& def);
    static void countWrite(void* store, int operation, const char* database, const char* table, long long rowid);
    WriteCount* writeCount(const char* table);
    void noteWrite(WriteCount* written);
    void checkDataVersion();
    void finishWrites(); // the end of the outermost group's writes, before its commit
    void afterCommit();
    void reloadOpenTables();

    sqlite3* m_db;
    QString m_path;
    StoreCondition m_readOnly;
    bool m_new = false;
    // Set when the file stays in write-ahead mode (another connection had it
    // open when this one asked to leave it): each commit is then copied into
    // the file at once.
    bool m_checkpointEachCommit = false;
    int m_depth = 0;
    int m_markKept = 0;
    bool m_assessmentWritten = false; // by the outermost group, not yet committed
    std::vector<Table*> m_tables;
    std::vector<std::pair<QString, std::unique_ptr<SqlStatement>>> m_cache;
    std::vector<WriteCount> m_writes;
    WriteCount* m_lastWritten = nullptr;
    quint64 m_undone = 0; // rollbacks and other connections' commits: every table may differ
    quint64 m_othersCommits = 0;
    qint64 m_dataVersion = -1;
};

QString quoteIdentifier(const QString& name);
