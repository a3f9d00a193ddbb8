#pragma once

#include <QStringList>
#include <vector>

class SqlStatement;
class Store;
struct FieldDef;

// Writes many records into one table through one prepared insert, straight
// into the store: no cursor moves and no notifications per record. The bulk
// writers (the archive load, the catalogue imports) use it inside their
// transaction and have the open tables re-read the store once at the end.
// Values are stored as the table engine stores a text (Table::storedValue):
// cut to the field's width, a number for a word field.
class BulkInsert {
public:
    // The fields named are the columns of each record, in that order; the
    // table's other fields stay unset.
    BulkInsert(Store& store, const QString& table, const QStringList& fields);

    // The value of the field at this position among those named, for the
    // next insert. Every field is set before each insert.
    void set(int position, const QString& text);
    // As set(), from UTF-8 text, which most values are bound as without
    // passing through a QString.
    void setUtf8(int position, QByteArrayView text);
    // Inserts the record set; returns its row id.
    qint64 insert();

private:
    Store& m_store;
    std::vector<const FieldDef*> m_fields;
    SqlStatement* m_insert = nullptr;
};
