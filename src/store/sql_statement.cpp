#include "store/sql_statement.h"

#include "store/quarrix_error.h"
#include "store/store_messages.h"

#include <cstring>
#include <sqlite3.h>

static QString sqliteMessage(sqlite3* db)
{
    return StoreMessages::lastError(db);
}

SqlStatement::SqlStatement(sqlite3* db, const QString& sql)
    : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
        throw QuarrixError(sqliteMessage(db));
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqlStatement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            bindInteger(index, value.toLongLong());
            return;
        default:
            bindText(index, value.toString().toUtf8());
            return;
        }
    }
    if (rc != SQLITE_OK)
        throw QuarrixError(sqliteMessage(m_db));
}

void SqlStatement::bindInteger(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        throw QuarrixError(sqliteMessage(m_db));
}

void SqlStatement::bindText(int index, QByteArrayView utf8)
{
    if (size_t(index) > m_texts.size())
        m_texts.resize(size_t(index));
    // The parameter's buffer is reused from one run to the next.
    QByteArray& kept = m_texts[size_t(index) - 1];
    kept.resize(utf8.size());
    if (!utf8.isEmpty())
        std::memcpy(kept.data(), utf8.data(), size_t(utf8.size()));
    if (sqlite3_bind_text(m_stmt, index, kept.constData(), int(kept.size()), SQLITE_STATIC) != SQLITE_OK)
        throw QuarrixError(sqliteMessage(m_db));
}

void SqlStatement::bindTextKept(int index, QByteArrayView utf8)
{
    // SQLite reads an empty text through a pointer that is never null.
    const char* bytes = utf8.isEmpty() ? "" : utf8.data();
    if (sqlite3_bind_text(m_stmt, index, bytes, int(utf8.size()), SQLITE_STATIC) != SQLITE_OK)
        throw QuarrixError(sqliteMessage(m_db));
}

bool SqlStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = sqliteMessage(m_db);
    sqlite3_reset(m_stmt);
    throw QuarrixError(message);
}

void SqlStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 SqlStatement::columnInt64(int col) const
{
    return sqlite3_column_int64(m_stmt, col);
}

QByteArrayView SqlStatement::utf8(int col) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    return bytes ? QByteArrayView(bytes, sqlite3_column_bytes(m_stmt, col)) : QByteArrayView();
}

bool SqlStatement::holdsText(int col) const
{
    return sqlite3_column_type(m_stmt, col) == SQLITE_TEXT;
}

bool SqlStatement::holdsInteger(int col) const
{
    return sqlite3_column_type(m_stmt, col) == SQLITE_INTEGER;
}

QString SqlStatement::text(int col) const
{
    switch (sqlite3_column_type(m_stmt, col)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return column(col).toString();
    default:
        // As column() reads it, without the QVariant in between.
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)), sqlite3_column_bytes(m_stmt, col));
    }
}

QVariant SqlStatement::column(int col) const
{
    switch (sqlite3_column_type(m_stmt, col)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, col));
    default: {
        // Text is stored as UTF-8; Qt converts it faster than SQLite would.
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        const int bytes = sqlite3_column_bytes(m_stmt, col);
        return QVariant(QString::fromUtf8(data, bytes));
    }
    }
}

int SqlStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}
