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
    m_table = quoteIdentifier(def->name);
    for (const QString& name : fields) {
        const int index = def->fieldIndex(name);
        if (index < 0)
            throw QuarrixError(QStringLiteral("%1: Field '%2' not found").arg(def->name, name));
        m_fields.push_back(&def->fields[size_t(index)]);
        m_columns << quoteIdentifier(m_fields.back()->name);
    }
    m_values.resize(m_fields.size());
    m_single = &statementFor(1); // an unknown column shows now, not at the first insert
}

void BulkInsert::set(int position, const QString& text)
{
    Value& v = m_values[size_t(m_queued) * m_fields.size() + size_t(position)];
    v.size = -1;
    v.variant = qsizetype(m_variants.size());
    m_variants.push_back(Table::storedValue(*m_fields[size_t(position)], text));
}

int plainWord(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 5)
        return -1;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n <= 65535 ? n : -1;
}

void BulkInsert::setUtf8(int position, QByteArrayView text)
{
    const FieldDef& field = *m_fields[size_t(position)];
    if (field.type == FieldType::Word) {
        // Blanks, signs, an empty value and errors take set()'s way.
        const int number = plainWord(text);
        if (number < 0) {
            set(position, QString::fromUtf8(text));
            return;
        }
        Value& v = m_values[size_t(m_queued) * m_fields.size() + size_t(position)];
        v.size = Value::kNumber;
        v.offset = number;
        return;
    }
    // A character takes a byte or more, so text of no more bytes than the
    // field's width is stored as it is.
    if (field.type != FieldType::Memo && (field.type != FieldType::Text || text.size() > field.width)) {
        set(position, QString::fromUtf8(text));
        return;
    }
    Value& v = m_values[size_t(m_queued) * m_fields.size() + size_t(position)];
    v.offset = m_bytes.size();
    v.size = text.size();
    m_bytes.append(text);
}

SqlStatement& BulkInsert::statementFor(int records)
{
    QString row = QStringLiteral("(?");
    for (size_t i = 1; i < m_fields.size(); ++i)
        row += QStringLiteral(",?");
    row += QLatin1Char(')');
    QStringList rows;
    for (int i = 0; i < records; ++i)
        rows << row;
    return m_store.cached(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                              .arg(m_table, m_columns.join(QLatin1String(", ")), rows.join(QLatin1Char(','))));
}

void BulkInsert::bindRecords(SqlStatement& statement, int first, int records)
{
    const size_t count = m_fields.size();
    int parameter = 1;
    for (size_t i = size_t(first) * count; i < size_t(first + records) * count; ++i, ++parameter) {
        const Value& v = m_values[i];
        if (v.size == Value::kNumber)
            statement.bindInteger(parameter, v.offset);
        else if (v.size < 0)
            statement.bind(parameter, m_variants[size_t(v.variant)]);
        else
            statement.bindTextKept(parameter, QByteArrayView(m_bytes.constData() + v.offset, v.size));
    }
}

void BulkInsert::add()
{
    ++m_queued;
    if (m_queued == kGroup)
        flush();
    else
        m_values.resize(size_t(m_queued + 1) * m_fields.size());
}

void BulkInsert::writeQueued()
{
    if (m_queued == kGroup) {
        if (!m_group)
            m_group = &statementFor(kGroup);
        bindRecords(*m_group, 0, kGroup);
        m_group->run();
        return;
    }
    // A part group goes in record by record: preparing a statement of its
    // own size would cost more than the runs it saves.
    for (int record = 0; record < m_queued; ++record) {
        bindRecords(*m_single, record, 1);
        m_single->run();
    }
}

void BulkInsert::clearQueue()
{
    m_queued = 0;
    m_values.resize(m_fields.size());
    m_bytes.resize(0); // unlike clear(), keeps the buffer for the next group
    m_variants.clear();
}

void BulkInsert::flush()
{
    writeQueued();
    clearQueue();
}

qint64 BulkInsert::insert()
{
    // The record being set sits after the queued ones and goes in after them.
    writeQueued();
    bindRecords(*m_single, m_queued, 1);
    m_single->run();
    clearQueue();
    return sqlite3_last_insert_rowid(m_store.handle());
}
