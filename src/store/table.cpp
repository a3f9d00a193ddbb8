#include "store/table.h"

#include "store/quarrix_error.h"
#include "store/store.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

QString columnList(const TableDef& def)
{
    QStringList names;
    for (const FieldDef& f : def.fields)
        names << quoteIdentifier(f.name);
    return names.join(QLatin1String(", "));
}

bool sameValue(const QVariant& stored, const QString& wanted)
{
    return (stored.isValid() ? stored.toString() : QString()) == wanted;
}

}

Table::Table(Store& store, const TableDef& def, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_def(def)
{
    m_store.attach(this);
}

Table::~Table()
{
    m_store.detach(this);
}

void Table::requireOpen() const
{
    if (!m_open)
        throw QuarrixError(QStringLiteral("The table %1 is not open.").arg(m_def.name));
}

int Table::fieldIndex(const QString& field) const
{
    const int index = m_def.fieldIndex(field);
    if (index < 0)
        throw QuarrixError(QStringLiteral("%1: Field '%2' not found").arg(m_def.name, field));
    return index;
}

void Table::load()
{
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(columnList(m_def), quoteIdentifier(m_def.name));
    const bool useFilter = m_filtered && !m_conditions.empty();
    if (useFilter) {
        QStringList terms;
        for (const FilterCondition& c : m_conditions) {
            const FieldDef& f = m_def.fields[c.field];
            const bool textual = f.type == FieldType::Text || f.type == FieldType::Memo;
            terms << QStringLiteral("COALESCE(%1,%2)=?")
                         .arg(quoteIdentifier(f.name), textual ? QStringLiteral("''") : QStringLiteral("0"));
        }
        sql += QStringLiteral(" WHERE ") + terms.join(QLatin1String(" AND "));
    }
    sql += QStringLiteral(" ORDER BY ") + TableExpressions::orderClause(m_def, m_sortKeys);

    SqlStatement& query = m_store.cached(sql);
    query.reset();
    if (useFilter) {
        int i = 1;
        for (const FilterCondition& c : m_conditions) {
            const FieldDef& f = m_def.fields[c.field];
            if (f.type == FieldType::Text || f.type == FieldType::Memo)
                query.bind(i++, c.value.toString());
            else
                query.bind(i++, c.value.toLongLong());
        }
    }
    std::vector<Record> rows;
    const int fieldCount = int(m_def.fields.size());
    try {
        while (query.step()) {
            Record r;
            r.rowid = query.columnInt64(0);
            r.values.reserve(fieldCount);
            for (int i = 0; i < fieldCount; ++i)
                r.values.push_back(query.column(i + 1));
            rows.push_back(std::move(r));
        }
    } catch (...) {
        query.reset();
        throw;
    }
    query.reset();
    m_rows = std::move(rows);
}

void Table::open()
{
    if (m_open)
        return;
    load();
    m_open = true;
    m_state = State::Browse;
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    notifyReset();
    Q_EMIT currentChanged(m_current);
    Q_EMIT afterMove();
}

void Table::close()
{
    if (!m_open)
        return;
    checkBrowse();
    m_open = false;
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
    notifyReset();
}

void Table::refresh()
{
    requireOpen();
    checkBrowse();
    const qint64 rowid = hasRecord() ? m_rows[m_current].rowid : 0;
    const int oldIndex = m_current;
    load();
    m_current = -1;
    for (int i = 0; i < int(m_rows.size()) && rowid; ++i)
        if (m_rows[i].rowid == rowid) {
            m_current = i;
            break;
        }
    if (m_current < 0 && !m_rows.empty())
        m_current = std::clamp(oldIndex, 0, int(m_rows.size()) - 1);
    m_eof = m_rows.empty();
    m_bof = m_rows.empty();
    notifyReset();
    Q_EMIT currentChanged(m_current);
}

void Table::closeAfterFailure()
{
    m_state = State::Browse;
    m_modified = false;
    m_open = false;
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
    notifyReset();
}

void Table::reloadAfterRollback()
{
    m_state = State::Browse;
    m_modified = false;
    refresh();
}

void Table::setCurrent(int row)
{
    m_current = row;
    Q_EMIT currentChanged(row);
}

void Table::first()
{
    requireOpen();
    checkBrowse();
    Q_EMIT beforeMove();
    setCurrent(m_rows.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.empty();
    Q_EMIT afterMove();
}

void Table::next()
{
    requireOpen();
    checkBrowse();
    Q_EMIT beforeMove();
    if (m_current + 1 < int(m_rows.size())) {
        setCurrent(m_current + 1);
        m_bof = false;
        m_eof = false;
        Q_EMIT afterMove();
    } else {
        m_eof = true;
    }
}

void Table::prior()
{
    requireOpen();
    checkBrowse();
    Q_EMIT beforeMove();
    if (m_current > 0) {
        setCurrent(m_current - 1);
        m_bof = false;
        m_eof = false;
        Q_EMIT afterMove();
    } else {
        m_bof = true;
    }
}

void Table::last()
{
    requireOpen();
    checkBrowse();
    Q_EMIT beforeMove();
    setCurrent(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    Q_EMIT afterMove();
}

void Table::moveTo(int row)
{
    requireOpen();
    if (row < 0 || row >= int(m_rows.size()) || row == m_current)
        return;
    checkBrowse();
    Q_EMIT beforeMove();
    setCurrent(row);
    m_bof = m_eof = false;
    Q_EMIT afterMove();
}

QVariant Table::readValue(int field) const
{
    if (m_state != State::Browse)
        return m_buffer.values[field];
    if (!hasRecord())
        return {};
    return m_rows[m_current].values[field];
}

QString Table::textAt(int row, int field) const
{
    const QVariant v = valueAt(row, field);
    if (!v.isValid())
        return {};
    if (m_def.fields[field].type == FieldType::Boolean)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QVariant Table::valueAt(int row, int field) const
{
    if (row == m_current && m_state != State::Browse)
        return m_buffer.values[field];
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    return m_rows[row].values[field];
}

qint64 Table::rowIdAt(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return 0;
    return m_rows[row].rowid;
}

QString Table::text(const QString& field) const
{
    const int index = fieldIndex(field);
    const QVariant v = readValue(index);
    if (!v.isValid())
        return {};
    if (m_def.fields[index].type == FieldType::Boolean)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

bool Table::boolean(const QString& field) const
{
    const QVariant v = readValue(fieldIndex(field));
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1");
    }
    return v.toLongLong() != 0;
}

int Table::integer(const QString& field) const
{
    const QVariant v = readValue(fieldIndex(field));
    if (!v.isValid())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (s.trimmed().isEmpty())
            return 0;
        bool ok = false;
        const int n = s.trimmed().toInt(&ok);
        if (!ok)
            throw QuarrixError(QStringLiteral("'%1' is not a valid integer value").arg(s));
        return n;
    }
    return int(v.toLongLong());
}

QVariant Table::textToValue(int field, const QString& value) const
{
    return storedValue(m_def.fields[field], value);
}

QVariant Table::storedValue(const FieldDef& f, const QString& value)
{
    switch (f.type) {
    case FieldType::Text:
        return value.left(f.width);
    case FieldType::Memo:
        return value;
    case FieldType::Boolean: {
        const QString s = value.trimmed();
        if (s.isEmpty())
            return {};
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1"))
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || s == QLatin1String("0"))
            return false;
        throw QuarrixError(QStringLiteral("'%1' is not a valid boolean value").arg(value));
    }
    case FieldType::Word: {
        if (value.isEmpty())
            return {};
        bool ok = false;
        const qint64 n = value.trimmed().toLongLong(&ok);
        if (!ok)
            throw QuarrixError(QStringLiteral("'%1' is not a valid integer value").arg(value));
        if (n < 0 || n > 65535)
            throw QuarrixError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is 0 to 65535")
                                   .arg(value, f.name));
        return n;
    }
    }
    return {};
}

void Table::writeValue(int field, const QVariant& value)
{
    requireOpen();
    if (m_state == State::Browse)
        edit();
    m_buffer.values[field] = value;
    m_modified = true;
}

void Table::setText(const QString& field, const QString& value)
{
    const int index = fieldIndex(field);
    writeValue(index, textToValue(index, value));
}

void Table::setBoolean(const QString& field, bool value)
{
    const int index = fieldIndex(field);
    const FieldDef& f = m_def.fields[index];
    if (f.type == FieldType::Boolean)
        writeValue(index, value);
    else
        writeValue(index, textToValue(index, value ? QStringLiteral("True") : QStringLiteral("False")));
}

void Table::setInteger(const QString& field, int value)
{
    const int index = fieldIndex(field);
    writeValue(index, textToValue(index, QString::number(value)));
}

void Table::append()
{
    requireOpen();
    checkBrowse();
    Q_EMIT beforeMove();
    m_buffer = Record();
    m_buffer.values.assign(m_def.fields.size(), QVariant());
    m_rows.push_back(m_buffer);
    m_state = State::Insert;
    m_modified = true;
    m_bof = m_eof = false;
    notifyReset();
    setCurrent(int(m_rows.size()) - 1);
    Q_EMIT afterMove();
}

void Table::edit()
{
    requireOpen();
    if (m_state != State::Browse)
        return;
    if (!hasRecord()) {
        // Editing an empty table starts its first record.
        m_buffer = Record();
        m_buffer.values.assign(m_def.fields.size(), QVariant());
        m_rows.push_back(m_buffer);
        m_current = int(m_rows.size()) - 1;
        m_state = State::Insert;
        m_modified = true;
        m_bof = m_eof = false;
        notifyReset();
        Q_EMIT currentChanged(m_current);
        return;
    }
    m_buffer = m_rows[m_current];
    m_state = State::Edit;
    m_modified = false;
}

void Table::post()
{
    requireOpen();
    if (m_state == State::Browse)
        return;
    const int n = int(m_def.fields.size());
    if (m_state == State::Insert) {
        QStringList marks;
        for (int i = 0; i < n; ++i)
            marks << QStringLiteral("?");
        SqlStatement& insert
            = m_store.cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(quoteIdentifier(m_def.name), columnList(m_def), marks.join(QLatin1Char(','))));
        for (int i = 0; i < n; ++i)
            insert.bind(i + 1, m_buffer.values[i]);
        insert.run();
        m_buffer.rowid = sqlite3_last_insert_rowid(m_store.handle());
    } else if (m_modified) {
        QStringList sets;
        for (const FieldDef& f : m_def.fields)
            sets << quoteIdentifier(f.name) + QStringLiteral("=?");
        SqlStatement& update = m_store.cached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?")
                                                  .arg(quoteIdentifier(m_def.name), sets.join(QLatin1String(", "))));
        for (int i = 0; i < n; ++i)
            update.bind(i + 1, m_buffer.values[i]);
        update.bind(n + 1, m_buffer.rowid);
        update.run();
    }
    m_rows[m_current] = m_buffer;
    m_state = State::Browse;
    m_modified = false;
    if (!m_disabled)
        Q_EMIT rowChanged(m_current);
    else
        m_resetPending = true;
}

void Table::cancel()
{
    if (m_state == State::Insert) {
        m_rows.erase(m_rows.begin() + m_current);
        m_state = State::Browse;
        m_current = std::min(m_current, int(m_rows.size()) - 1);
        m_eof = m_bof = m_rows.empty();
        notifyReset();
        Q_EMIT currentChanged(m_current);
        return;
    }
    m_state = State::Browse;
    m_modified = false;
}

void Table::checkBrowse()
{
    if (m_state != State::Browse)
        post();
}

void Table::remove()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    m_state = State::Browse;
    if (!hasRecord())
        throw QuarrixError(QStringLiteral("Cannot perform this operation on an empty table (%1).").arg(m_def.name));
    Q_EMIT beforeMove();
    SqlStatement& del = m_store.cached(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoteIdentifier(m_def.name)));
    del.bind(1, m_rows[m_current].rowid);
    del.run();
    m_rows.erase(m_rows.begin() + m_current);
    if (m_current >= int(m_rows.size()))
        m_current = int(m_rows.size()) - 1;
    m_eof = m_bof = m_rows.empty();
    notifyReset();
    Q_EMIT currentChanged(m_current);
    Q_EMIT afterMove();
}

void Table::setFilter(const QString& expression)
{
    auto conditions = TableExpressions::parseFilter(m_def, expression);
    m_filter = expression;
    m_conditions = std::move(conditions);
    if (m_open && m_filtered)
        refresh();
}

void Table::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (m_open)
        refresh();
}

void Table::setSort(const QString& expression)
{
    auto keys = TableExpressions::parseSort(m_def, expression);
    m_sort = expression;
    m_sortKeys = std::move(keys);
    if (m_open)
        refresh();
}

bool Table::locate(const QString& fields, const QStringList& values)
{
    requireOpen();
    checkBrowse();
    const QStringList names = fields.split(QLatin1Char(';'));
    if (names.size() != values.size())
        throw QuarrixError(QStringLiteral("Locate on %1 needs one value per field.").arg(m_def.name));
    std::vector<int> indexes;
    for (const QString& n : names)
        indexes.push_back(fieldIndex(n.trimmed()));
    for (int row = 0; row < int(m_rows.size()); ++row) {
        bool match = true;
        for (size_t k = 0; k < indexes.size() && match; ++k)
            match = sameValue(m_rows[row].values[indexes[k]], values[int(k)]);
        if (match) {
            Q_EMIT beforeMove();
            setCurrent(row);
            m_bof = m_eof = false;
            Q_EMIT afterMove();
            return true;
        }
    }
    return false;
}

void Table::suspendNotifications()
{
    ++m_disabled;
}

void Table::resumeNotifications()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0 && m_resetPending) {
        m_resetPending = false;
        Q_EMIT rowsReset();
        Q_EMIT currentChanged(m_current);
    }
}

void Table::notifyReset()
{
    if (m_disabled)
        m_resetPending = true;
    else
        Q_EMIT rowsReset();
}
