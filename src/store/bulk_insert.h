#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVariant>
#include <vector>

class SqlStatement;
class Store;
struct FieldDef;

// A word field's value as most texts give it: one to five digits, no more
// than 65535; -1 for anything else (blanks, a sign, nothing, too large),
// which the caller reads the slow way.
int plainWord(QByteArrayView text);

// Writes many records into one table through prepared inserts, straight into
// the store: no cursor moves and no notifications per record. The bulk
// writers (the archive load, the catalogue imports) use it inside their
// transaction and have the open tables re-read the store once at the end.
// Values are stored as the table engine stores a text (Table::storedValue):
// cut to the field's width, a number for a word field.
//
// A record is either inserted at once (insert(), which tells its row id) or
// queued (add()); queued records go into the store in groups through one
// statement per group, which costs SQLite much less per record, and in the
// order they were queued. flush() writes what is queued; it must run before
// the transaction commits.
class BulkInsert {
public:
    // The fields named are the columns of each record, in that order; the
    // table's other fields stay unset.
    BulkInsert(Store& store, const QString& table, const QStringList& fields);

    // The value of the field at this position among those named, for the
    // record being set. Every field is set for each record.
    void set(int position, const QString& text);
    // As set(), from UTF-8 text, which most values are kept as without
    // passing through a QString.
    void setUtf8(int position, QByteArrayView text);
    // Inserts the queued records, then the record set; returns its row id.
    qint64 insert();
    // Queues the record set.
    void add();
    // Inserts the queued records.
    void flush();

private:
    // One value of a record: text kept in m_bytes, a number, or a stored value.
    struct Value {
        static constexpr qsizetype kNumber = -2; // size of a number, held in offset
        qsizetype offset = 0;
        qsizetype size = -1; // -1: the value is variants[variant]
        qsizetype variant = 0;
    };
    static constexpr int kGroup = 64; // records per grouped insert

    SqlStatement& statementFor(int records);
    void bindRecords(SqlStatement& statement, int first, int records);
    void writeQueued(); // the queued records, in one statement
    void clearQueue();

    Store& m_store;
    QString m_table;
    QStringList m_columns;
    std::vector<const FieldDef*> m_fields;
    // The queued records and the one being set, field after field.
    std::vector<Value> m_values;
    QByteArray m_bytes;
    std::vector<QVariant> m_variants;
    int m_queued = 0;
    // The statements for one record and for a full group, which do all
    // inserts; the store's statement cache owns them.
    SqlStatement* m_single = nullptr;
    SqlStatement* m_group = nullptr;
};
