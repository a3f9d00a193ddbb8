#include "store/table.h"

#include "store/quarrix_error.h"
#include "store/store.h"
#include "store/text_cut.h"

#include <QByteArray>
#include <QMetaMethod>
#include <algorithm>
#include <optional>
#include <sqlite3.h>
#include <unordered_map>

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

bool textual(const FieldDef& f)
{
    return f.type == FieldType::Text || f.type == FieldType::Memo;
}

// The value a filter condition compares with, as it is bound to the query.
QVariant boundValue(const TableDef& def, const FilterCondition& c)
{
    if (textual(def.fields[c.field]))
        return c.value.toString();
    return c.value.toLongLong();
}

// The query's COALESCE(field, '' or 0) = value, for a value held: text matches
// text exactly; a number matches a number; text never matches a number.
bool passes(const QVariant& stored, const QVariant& bound)
{
    if (bound.typeId() == QMetaType::QString)
        return (stored.isValid() ? stored.toString() : QString()) == bound.toString();
    switch (stored.typeId()) {
    case QMetaType::UnknownType:
        return bound.toLongLong() == 0;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return stored.toLongLong() == bound.toLongLong();
    case QMetaType::Double:
        return stored.toDouble() == double(bound.toLongLong());
    default:
        return false;
    }
}

bool sameConditions(const TableDef& def, const FilterCondition& a, const FilterCondition& b)
{
    return a.field == b.field && boundValue(def, a) == boundValue(def, b);
}

bool sameOrder(const std::vector<SortKey>& a, const std::vector<SortKey>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](const SortKey& x, const SortKey& y) { return x.field == y.field && x.descending == y.descending; });
}

// The order of orderTerm(): texts compared as SQLite's NOCASE collation does
// (UTF-8 bytes, ASCII letters folded), numbers as numbers, unset as empty/0.
int compareField(const FieldDef& f, const QVariant& a, const QVariant& b)
{
    if (f.type == FieldType::Text || f.type == FieldType::Memo) {
        const QByteArray x = a.isValid() ? a.toString().toUtf8() : QByteArray();
        const QByteArray y = b.isValid() ? b.toString().toUtf8() : QByteArray();
        const int n = int(std::min(x.size(), y.size()));
        const int r = sqlite3_strnicmp(x.constData(), y.constData(), n);
        return r != 0 ? r : int(x.size() - y.size());
    }
    const qint64 x = a.isValid() ? a.toLongLong() : 0;
    const qint64 y = b.isValid() ? b.toLongLong() : 0;
    return x < y ? -1 : (x > y ? 1 : 0);
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

std::vector<FilterCondition> Table::activeConditions() const
{
    return m_filtered ? m_conditions : std::vector<FilterCondition>();
}

QString Table::whereClause(const std::vector<FilterCondition>& conditions) const
{
    if (conditions.empty())
        return {};
    QStringList terms;
    for (const FilterCondition& c : conditions) {
        const FieldDef& f = m_def.fields[c.field];
        terms << QStringLiteral("COALESCE(%1,%2)=?")
                     .arg(quoteIdentifier(f.name), textual(f) ? QStringLiteral("''") : QStringLiteral("0"));
    }
    return QStringLiteral(" WHERE ") + terms.join(QLatin1String(" AND "));
}

void Table::bindConditions(SqlStatement& query, const std::vector<FilterCondition>& conditions) const
{
    int i = 1;
    for (const FilterCondition& c : conditions)
        query.bind(i++, boundValue(m_def, c));
}

std::vector<Table::Record> Table::readRows() const
{
    const std::vector<FilterCondition> conditions = activeConditions();
    const QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(columnList(m_def), quoteIdentifier(m_def.name))
        + whereClause(conditions) + QStringLiteral(" ORDER BY ") + TableExpressions::orderClause(m_def, m_sortKeys);
    SqlStatement& query = m_store.cached(sql);
    query.reset();
    bindConditions(query, conditions);
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
    return rows;
}

void Table::eachRecordText(
    const std::vector<int>& fields, const std::function<void(const std::vector<QByteArrayView>&)>& take) const
{
    requireOpen();
    const std::vector<FilterCondition> conditions = activeConditions();
    QStringList names;
    for (int f : fields)
        names << quoteIdentifier(m_def.fields[f].name);
    const QString sql
        = QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1String(", ")), quoteIdentifier(m_def.name))
        + whereClause(conditions) + QStringLiteral(" ORDER BY ") + TableExpressions::orderClause(m_def, m_sortKeys);
    SqlStatement& query = m_store.cached(sql);
    query.reset();
    bindConditions(query, conditions);
    std::vector<QByteArrayView> values(fields.size());
    std::vector<QByteArray> converted(fields.size()); // other values, as textAt() shows them
    std::vector<bool> boolean;
    for (int f : fields)
        boolean.push_back(m_def.fields[f].type == FieldType::Boolean);
    query.eachRow([&](SqlStatement& row) {
        for (size_t i = 0; i < fields.size(); ++i) {
            // Text as stored, unless it needs what reading it into a string does.
            if (!boolean[i] && row.holdsText(int(i))) {
                values[i] = row.utf8(int(i));
                if (values[i].isValidUtf8())
                    continue;
            }
            const QVariant v = row.column(int(i));
            QString text;
            if (v.isValid())
                text = boolean[i] ? (v.toBool() ? QStringLiteral("True") : QStringLiteral("False")) : v.toString();
            converted[i] = text.toUtf8();
            values[i] = converted[i];
        }
        take(values);
    });
}

void Table::readHeld() const
{
    const quint64 version = m_store.tableVersion(m_def.name);
    m_rows = readRows();
    m_held.read = true;
    m_held.exact = true;
    m_held.version = version;
    m_held.conditions = activeConditions();
    m_held.sortKeys = m_sortKeys;
    forgetWider();
    const int count = int(m_rows.size());
    m_current = -1;
    if (!m_held.atFirst)
        for (int i = 0; i < count && m_held.keepRowId; ++i)
            if (m_rows[i].rowid == m_held.keepRowId) {
                m_current = i;
                break;
            }
    if (m_current < 0 && count > 0)
        m_current = m_held.atFirst ? 0 : std::clamp(m_held.keepIndex, 0, count - 1);
    m_eof = count == 0;
    m_bof = m_held.atFirst || count == 0;
}

int Table::recordCount() const
{
    if (m_open && !m_held.read && !watched())
        return countRows();
    ensureRead();
    return int(m_rows.size());
}

int Table::countRows() const
{
    const std::vector<FilterCondition> conditions = activeConditions();
    SqlStatement& query = m_store.cached(
        QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoteIdentifier(m_def.name)) + whereClause(conditions));
    query.reset();
    bindConditions(query, conditions);
    int count = 0;
    try {
        count = query.step() ? int(query.columnInt64(0)) : 0;
    } catch (...) {
        query.reset();
        throw;
    }
    query.reset();
    return count;
}

bool Table::watched() const
{
    // A grid, a guard or a hook that hears of a change reads the rows at
    // once, so they are read before it is told.
    static const QMetaMethod signals[]
        = { QMetaMethod::fromSignal(&Table::afterMove), QMetaMethod::fromSignal(&Table::rowsReset),
              QMetaMethod::fromSignal(&Table::rowChanged), QMetaMethod::fromSignal(&Table::currentChanged) };
    return !m_guards.empty() || std::any_of(std::begin(signals), std::end(signals), [this](const QMetaMethod& m) {
        return isSignalConnected(m);
    });
}

bool Table::rowsCurrent() const
{
    return m_held.read && m_held.exact && m_store.tableVersion(m_def.name) == m_held.version;
}

bool Table::ordersOrFilters(int field) const
{
    if (m_held.sortKeys.empty()) {
        for (const QString& key : m_def.keyOrder)
            if (m_def.fieldIndex(key) == field)
                return true;
    }
    return std::any_of(
               m_held.sortKeys.begin(), m_held.sortKeys.end(), [&](const SortKey& k) { return k.field == field; })
        || std::any_of(m_held.conditions.begin(), m_held.conditions.end(),
            [&](const FilterCondition& c) { return c.field == field; });
}

bool Table::keepsOrderAndFilter(const Record& before, const Record& after) const
{
    for (size_t i = 0; i < before.values.size(); ++i)
        if (before.values[i] != after.values[i] && ordersOrFilters(int(i)))
            return false;
    return true;
}

// The rows held serve when they are current and in the order asked for: a
// narrower filter picks among them, a wider one among the wider rows kept.
Table::HeldPick Table::pickHeld(std::vector<Record>* picked) const
{
    if (!m_held.read || !sameOrder(m_held.sortKeys, m_sortKeys) || !rowsCurrent())
        return HeldPick::None;
    const std::vector<FilterCondition> conditions = activeConditions();
    if (includesAll(conditions, m_held.conditions)) {
        if (includesAll(m_held.conditions, conditions))
            return HeldPick::Same;
        *picked = rowsPassing(m_rows, boundTests(conditions, m_held.conditions));
        return HeldPick::Narrower;
    }
    if (!m_held.hasWider || !includesAll(conditions, m_held.widerConditions))
        return HeldPick::None;
    if (includesAll(m_held.widerConditions, conditions))
        return HeldPick::WholeWider;
    *picked = rowsPassing(m_held.wider, boundTests(conditions, m_held.widerConditions));
    return HeldPick::Wider;
}

bool Table::includesAll(const std::vector<FilterCondition>& all, const std::vector<FilterCondition>& some) const
{
    return std::all_of(some.begin(), some.end(), [&](const FilterCondition& s) {
        return std::any_of(
            all.begin(), all.end(), [&](const FilterCondition& a) { return sameConditions(m_def, a, s); });
    });
}

Table::BoundTests Table::boundTests(
    const std::vector<FilterCondition>& conditions, const std::vector<FilterCondition>& alreadyMet) const
{
    BoundTests tests;
    for (const FilterCondition& c : conditions)
        if (!includesAll(alreadyMet, { c }))
            tests.emplace_back(c.field, boundValue(m_def, c));
    return tests;
}

std::vector<Table::Record> Table::rowsPassing(const std::vector<Record>& rows, const BoundTests& tests)
{
    std::vector<Record> passing;
    for (const Record& r : rows)
        if (std::all_of(tests.begin(), tests.end(),
                [&](const std::pair<int, QVariant>& t) { return passes(r.values[t.first], t.second); }))
            passing.push_back(r);
    return passing;
}

void Table::forgetWider() const
{
    m_held.wider.clear();
    m_held.widerConditions.clear();
    m_held.hasWider = false;
}

void Table::dropRows()
{
    // An unread table keeps the place it was to take.
    if (m_held.read) {
        m_held.keepRowId = currentRowId();
        m_held.keepIndex = m_current;
    }
    m_held.atFirst = false;
    m_held.read = false;
    forgetWider();
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
}

void Table::open()
{
    if (m_open)
        return;
    m_open = true;
    m_state = State::Browse;
    m_held = HeldRows();
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
    if (watched()) {
        try {
            ensureRead();
        } catch (...) {
            m_open = false;
            throw;
        }
    }
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
    m_held = HeldRows();
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
    notifyReset();
}

void Table::refresh()
{
    reload(true);
}

// Re-reads the rows. The current record stays current when it still passes;
// otherwise the record at its position (or the last) takes its place, and
// when guarded the guards run first. A guard that wrote to the store may have
// changed the rows, so they are read again then. Rows held that still serve
// are not read; a table nobody watches is read when next used.
void Table::reload(bool guarded)
{
    requireOpen();
    checkBrowse();
    std::vector<Record> rows;
    HeldPick pick = pickHeld(&rows);
    if (pick == HeldPick::None && !watched()) {
        dropRows();
        notifyReset();
        return;
    }
    quint64 version = 0;
    auto read = [&] {
        version = m_store.tableVersion(m_def.name);
        rows = readRows();
        pick = HeldPick::None;
    };
    if (pick == HeldPick::None)
        read();
    auto candidates = [&]() -> const std::vector<Record>& {
        return pick == HeldPick::Same ? m_rows : pick == HeldPick::WholeWider ? m_held.wider : rows;
    };
    const qint64 rowid = currentRowId();
    const int oldIndex = m_current;
    auto currentIn = [&](const std::vector<Record>& in) {
        for (int i = 0; i < int(in.size()) && rowid; ++i)
            if (in[i].rowid == rowid)
                return i;
        return in.empty() ? -1 : std::clamp(oldIndex, 0, int(in.size()) - 1);
    };
    int current = currentIn(candidates());
    const bool moves = (current < 0 ? 0 : candidates()[current].rowid) != rowid;
    if (moves && guarded && !m_guards.empty()) {
        const sqlite3_int64 changes = sqlite3_total_changes64(m_store.handle());
        runMoveGuards();
        if (sqlite3_total_changes64(m_store.handle()) != changes) {
            read();
            current = currentIn(rows);
        }
    }
    const std::vector<FilterCondition> conditions = activeConditions();
    switch (pick) {
    case HeldPick::None:
        m_rows = std::move(rows);
        m_held.read = true;
        m_held.exact = true;
        m_held.version = version;
        m_held.sortKeys = m_sortKeys;
        forgetWider();
        break;
    case HeldPick::Same:
        break;
    case HeldPick::Narrower:
        // The rows held become the wider rows kept, unless wider ones are.
        if (!m_held.hasWider) {
            m_held.wider = std::move(m_rows);
            m_held.widerConditions = m_held.conditions;
            m_held.hasWider = true;
        }
        m_rows = std::move(rows);
        break;
    case HeldPick::Wider:
        m_rows = std::move(rows);
        break;
    case HeldPick::WholeWider:
        m_rows = std::move(m_held.wider);
        forgetWider();
        break;
    }
    m_held.conditions = conditions;
    m_current = current;
    m_orderPending = false;
    m_eof = m_rows.empty();
    m_bof = m_rows.empty();
    notifyReset();
    Q_EMIT currentChanged(m_current);
    if (moves && guarded)
        Q_EMIT afterMove();
}

void Table::closeAfterFailure()
{
    m_state = State::Browse;
    m_modified = false;
    m_open = false;
    m_held = HeldRows();
    m_rows.clear();
    m_current = -1;
    m_eof = m_bof = true;
    notifyReset();
}

void Table::reloadAfterRollback()
{
    // Runs while an error unwinds: no guard may ask anything, and the editors
    // keep what the analyst typed, so no move is announced.
    m_state = State::Browse;
    m_modified = false;
    reload(false);
}

void Table::addMoveGuard(QObject* owner, MoveGuard guard)
{
    m_guards.push_back({ owner, std::move(guard) });
    connect(owner, &QObject::destroyed, this, [this, owner] {
        m_guards.erase(
            std::remove_if(m_guards.begin(), m_guards.end(), [owner](const Guard& g) { return g.owner == owner; }),
            m_guards.end());
    });
}

void Table::runMoveGuards()
{
    // A guard may register or drop guards while it runs (a tab rebuilt), so
    // the list is copied first.
    const std::vector<Guard> guards = m_guards;
    for (const Guard& g : guards)
        if (g.decide() == MoveDecision::Stop)
            throw MoveStopped();
}

void Table::setCurrent(int row)
{
    m_current = row;
    Q_EMIT currentChanged(row);
}

void Table::first()
{
    requireOpen();
    if (!m_held.read && !watched()) {
        // Nobody sees the move: the rows start at their first record when read.
        m_held.atFirst = true;
        m_held.keepRowId = 0;
        m_held.keepIndex = 0;
        return;
    }
    ensureRead();
    checkBrowse();
    runMoveGuards();
    setCurrent(m_rows.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.empty();
    Q_EMIT afterMove();
}

void Table::next()
{
    requireOpen();
    ensureRead();
    checkBrowse();
    if (m_current + 1 < int(m_rows.size())) {
        runMoveGuards();
        // A guard that saved may have moved the current record in the order.
        setCurrent(std::min(m_current + 1, int(m_rows.size()) - 1));
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
    ensureRead();
    checkBrowse();
    if (m_current > 0) {
        runMoveGuards();
        setCurrent(std::max(m_current - 1, 0));
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
    ensureRead();
    checkBrowse();
    runMoveGuards();
    setCurrent(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    Q_EMIT afterMove();
}

void Table::moveTo(int row)
{
    requireOpen();
    ensureRead();
    if (row < 0 || row >= int(m_rows.size()) || row == m_current)
        return;
    moveToRowId(m_rows[row].rowid);
}

bool Table::moveToRowId(qint64 rowId)
{
    requireOpen();
    checkBrowse();
    if (rowOf(rowId) < 0)
        return false;
    if (currentRowId() == rowId)
        return true;
    runMoveGuards();
    // Found again: a guard that saved may have moved records in the order.
    const int row = rowOf(rowId);
    if (row < 0)
        return false;
    setCurrent(row);
    m_bof = m_eof = false;
    Q_EMIT afterMove();
    return true;
}

int Table::rowOf(qint64 rowId) const
{
    if (rowId == 0)
        return -1;
    ensureRead();
    for (int row = 0; row < int(m_rows.size()); ++row)
        if (m_rows[row].rowid == rowId)
            return row;
    return -1;
}

QVariant Table::readValue(int field) const
{
    if (m_state != State::Browse)
        return m_buffer.values[field];
    ensureRead();
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
    ensureRead();
    if (row == m_current && m_state != State::Browse)
        return m_buffer.values[field];
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    return m_rows[row].values[field];
}

qint64 Table::rowIdAt(int row) const
{
    ensureRead();
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
        return cutToCharacters(value, f.width);
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
    ensureRead();
    checkBrowse();
    runMoveGuards();
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
    // An edit that leaves the order's and the filter's fields alone keeps the
    // rows held what a read would give; anything else has them read again.
    const bool keepsRowsCurrent
        = m_state == State::Edit && m_modified && rowsCurrent() && keepsOrderAndFilter(m_rows[m_current], m_buffer);
    // What the edit changes: a post that changes nothing writes nothing, and
    // one that changes only what is not the analyst's work (a setting, a
    // derived mark) leaves the work's archived mark alone.
    bool written = m_state == State::Insert;
    bool workChanged = written;
    if (m_state == State::Edit && m_modified) {
        const Record& held = m_rows[m_current];
        for (int i = 0; i < n; ++i) {
            const QVariant& before = held.values[i];
            const QVariant& after = m_buffer.values[i];
            if (before.isValid() == after.isValid()
                && (!before.isValid() || (before.typeId() == after.typeId() && before == after)))
                continue;
            written = true;
            workChanged = workChanged || m_def.fields[i].work;
        }
    }
    if (written) {
        std::optional<Store::ArchiveMarkKept> markKept;
        if (!workChanged)
            markKept.emplace(m_store);
        Store::Transaction tx(m_store);
        if (m_state == State::Insert) {
            QStringList marks;
            for (int i = 0; i < n; ++i)
                marks << QStringLiteral("?");
            SqlStatement& insert = m_store.cached(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoteIdentifier(m_def.name), columnList(m_def), marks.join(QLatin1Char(','))));
            for (int i = 0; i < n; ++i)
                insert.bind(i + 1, m_buffer.values[i]);
            insert.run();
            m_buffer.rowid = sqlite3_last_insert_rowid(m_store.handle());
        } else {
            QStringList sets;
            for (const FieldDef& f : m_def.fields)
                sets << quoteIdentifier(f.name) + QStringLiteral("=?");
            SqlStatement& update
                = m_store.cached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?")
                                     .arg(quoteIdentifier(m_def.name), sets.join(QLatin1String(", "))));
            for (int i = 0; i < n; ++i)
                update.bind(i + 1, m_buffer.values[i]);
            update.bind(n + 1, m_buffer.rowid);
            update.run();
        }
        tx.commit();
    }
    if (written) {
        forgetWider();
        if (keepsRowsCurrent)
            m_held.version = m_store.tableVersion(m_def.name);
        else
            m_held.exact = false;
    }
    m_rows[m_current] = m_buffer;
    m_state = State::Browse;
    m_modified = false;
    if (m_disabled) {
        m_resetPending = true;
        m_orderPending = m_orderPending || ordered();
        return;
    }
    Q_EMIT rowChanged(m_current);
    keepInOrder(m_current);
}

bool Table::ordered() const
{
    return !m_sortKeys.empty() || !m_def.keyOrder.isEmpty();
}

bool Table::before(const Record& a, const Record& b) const
{
    auto compare = [&](int field, bool descending) {
        const int r = compareField(m_def.fields[field], a.values[field], b.values[field]);
        return descending ? -r : r;
    };
    if (!m_sortKeys.empty()) {
        for (const SortKey& k : m_sortKeys)
            if (const int r = compare(k.field, k.descending))
                return r < 0;
    } else {
        for (const QString& key : m_def.keyOrder)
            if (const int r = compare(m_def.fieldIndex(key), false))
                return r < 0;
    }
    return a.rowid < b.rowid;
}

void Table::keepInOrder(int row)
{
    if (!ordered() || row < 0 || row >= int(m_rows.size()))
        return;
    const Record& r = m_rows[row];
    const bool inPlace
        = (row == 0 || before(m_rows[row - 1], r)) && (row + 1 == int(m_rows.size()) || before(r, m_rows[row + 1]));
    if (inPlace)
        return;
    // One record moves: the others keep their order, so its place is found
    // by a binary search over them.
    Record moving = std::move(m_rows[row]);
    m_rows.erase(m_rows.begin() + row);
    const auto place = std::lower_bound(
        m_rows.begin(), m_rows.end(), moving, [this](const Record& x, const Record& y) { return before(x, y); });
    const int to = int(place - m_rows.begin());
    m_rows.insert(place, std::move(moving));
    if (m_current == row)
        m_current = to;
    else if (m_current > row && m_current <= to)
        --m_current;
    else if (m_current < row && m_current >= to)
        ++m_current;
    notifyReset();
    Q_EMIT currentChanged(m_current);
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
    runMoveGuards();
    if (!hasRecord())
        return; // a guard's save took the record out of view
    const bool wasCurrent = rowsCurrent();
    {
        Store::Transaction tx(m_store);
        SqlStatement& del
            = m_store.cached(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoteIdentifier(m_def.name)));
        del.bind(1, m_rows[m_current].rowid);
        del.run();
        tx.commit();
    }
    forgetWider();
    if (wasCurrent)
        m_held.version = m_store.tableVersion(m_def.name);
    m_rows.erase(m_rows.begin() + m_current);
    if (m_current >= int(m_rows.size()))
        m_current = int(m_rows.size()) - 1;
    m_eof = m_bof = m_rows.empty();
    notifyReset();
    Q_EMIT currentChanged(m_current);
    Q_EMIT afterMove();
}

void Table::setValues(const QString& field, const std::vector<RowValue>& values)
{
    requireOpen();
    checkBrowse();
    const int index = fieldIndex(field);
    if (values.empty())
        return;
    const bool wasCurrent = rowsCurrent();
    std::vector<QVariant> stored;
    stored.reserve(values.size());
    for (const RowValue& v : values)
        stored.push_back(v.value.typeId() == QMetaType::QString ? textToValue(index, v.value.toString()) : v.value);
    {
        std::optional<Store::ArchiveMarkKept> markKept;
        if (!m_def.fields[index].work)
            markKept.emplace(m_store);
        Store::Transaction tx(m_store);
        SqlStatement& update
            = m_store.cached(QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?")
                                 .arg(quoteIdentifier(m_def.name), quoteIdentifier(m_def.fields[index].name)));
        for (size_t i = 0; i < values.size(); ++i) {
            update.bind(1, stored[i]);
            update.bind(2, values[i].rowid);
            update.run();
        }
        tx.commit();
    }
    if (!m_held.read)
        return;
    forgetWider();
    std::unordered_map<qint64, int> rowAt;
    for (int i = 0; i < int(m_rows.size()); ++i)
        rowAt.emplace(m_rows[i].rowid, i);
    for (size_t i = 0; i < values.size(); ++i) {
        const auto found = rowAt.find(values[i].rowid);
        if (found != rowAt.end())
            m_rows[found->second].values[index] = stored[i];
    }
    if (wasCurrent && !ordersOrFilters(index))
        m_held.version = m_store.tableVersion(m_def.name);
    else
        m_held.exact = false;
    notifyReset();
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
    ensureRead();
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
            if (m_rows[row].rowid != currentRowId())
                return moveToRowId(m_rows[row].rowid);
            runMoveGuards(); // the record found is the current one: a move all the same
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
        if (watched()) {
            // Here no error may escape (the displays resume as a command
            // ends, however it ends): rows that cannot be read close the
            // table, as after a failed rollback, and its grids show nothing.
            try {
                ensureRead();
            } catch (const std::exception&) {
                closeAfterFailure();
            }
        }
        if (m_orderPending) {
            m_orderPending = false;
            const qint64 current = currentRowId();
            std::stable_sort(
                m_rows.begin(), m_rows.end(), [this](const Record& x, const Record& y) { return before(x, y); });
            if (current)
                m_current = rowOf(current);
        }
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

Table& recordToChange(Table& table, qint64 rowId, const char* what)
{
    if (!table.moveToRowId(rowId))
        throw QuarrixError(
            QStringLiteral("The %1 is no longer in the table; nothing was changed.").arg(QLatin1String(what)));
    return table;
}
