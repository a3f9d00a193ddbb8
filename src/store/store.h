#pragma once

#include "store/sql_statement.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct FieldDef;
struct TableDef;
class Table;

// The assessment store: one SQLite file holding the eleven tables. Every
// statement outside a transaction is committed (and synced) when it returns,
// so a killed process never loses or corrupts what was posted.
class Store {
public:
    ~Store();

    // Opens the store at path. A missing file is created with the full schema
    // when createIfMissing is set. Returns nullptr and fills *error with a
    // message naming the file when it is missing or not a Quarrix store.
    static std::unique_ptr<Store> open(const QString& path, bool createIfMissing, QString* error);
    // A store in memory, for work that must not touch any file: empty with
    // the full schema, or a copy of the store at copyOf, read in one read
    // transaction through a read-only connection (the file is never written).
    // Returns nullptr with a message as open() does.
    static std::unique_ptr<Store> openInMemory(QString* error);
    static std::unique_ptr<Store> openCopyInMemory(const QString& copyOf, QString* error);

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }

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

    // All-or-nothing group of writes. Nested groups use savepoints. A group
    // that is not committed is rolled back when it ends, and every open table
    // then re-reads the file so no cursor shows rows that were undone.
    class Transaction {
    public:
        explicit Transaction(Store& store);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Store& m_store;
        QString m_name;
        bool m_done = false;
    };

    void attach(Table* table);
    void detach(Table* table);

private:
    using MissingFields = std::vector<std::pair<const TableDef*, const FieldDef*>>;
    struct WriteCount {
        QByteArray table; // as the schema names it, UTF-8
        quint64 count = 0;
    };

    Store(sqlite3* db, const QString& path);
    static std::unique_ptr<Store> prepare(sqlite3* db, const QString& path, bool hasSchema, QString* error);
    static QString createSchema(sqlite3* db);
    QString checkSchema(MissingFields* addLater);
    void addFields(const MissingFields& fields);
    static void countWrite(void* store, int operation, const char* database, const char* table, long long rowid);
    WriteCount* writeCount(const char* table);
    void reloadOpenTables();

    sqlite3* m_db;
    QString m_path;
    int m_depth = 0;
    std::vector<Table*> m_tables;
    std::vector<std::pair<QString, std::unique_ptr<SqlStatement>>> m_cache;
    std::vector<WriteCount> m_writes;
    WriteCount* m_lastWritten = nullptr;
    quint64 m_undone = 0; // rollbacks and other connections' commits: every table may differ
    qint64 m_dataVersion = -1;
};

QString quoteIdentifier(const QString& name);
