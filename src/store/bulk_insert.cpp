#include "store/bulk_insert.h"

#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/table.h"

#include <sqlite3.h>

BulkInsert::BulkInsert(Store& store, const QString& table, const QStringList& fields)
    : m_store(store)
{
    const TableDef* def = Schema::find(table);
    if (!def)
        throw QuarrixError(QStringLiteral("The table '%1' does not exist.").arg(table));
    QStringList columns, marks;
    for (const QString& name : fields) {
        const int index = def->fieldIndex(name);
        if (index < 0)
            throw QuarrixError(QStringLiteral("%1: Field '%2' not found").arg(def->name, name));
        m_fields.push_back(&def->fields[size_t(index)]);
        columns << quoteIdentifier(m_fields.back()->name);
        marks << QStringLiteral("?");
    }
    m_insert = &store.cached(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoteIdentifier(def->name), columns.join(QLatin1String(", ")), marks.join(QLatin1Char(','))));
}

void BulkInsert::set(int position, const QString& text)
{
    m_insert->bind(position + 1, Table::storedValue(*m_fields[size_t(position)], text));
}

void BulkInsert::setUtf8(int position, QByteArrayView text)
{
    const FieldDef& field = *m_fields[size_t(position)];
    // A character takes a byte or more, so text of no more bytes than the
    // field's width is stored as it is.
    if (field.type == FieldType::Memo || (field.type == FieldType::Text && text.size() <= field.width))
        m_insert->bindText(position + 1, text);
    else
        set(position, QString::fromUtf8(text));
}

qint64 BulkInsert::insert()
{
    m_insert->run();
    return sqlite3_last_insert_rowid(m_store.handle());
}
