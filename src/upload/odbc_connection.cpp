#include "upload/odbc_connection.h"

#include "store/quarrix_error.h"
#include "upload/server_address.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <functional>
#include <iterator>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must use 16-bit wide characters");

namespace {

const SQLWCHAR* wide(const QString& s)
{
    return reinterpret_cast<const SQLWCHAR*>(s.utf16());
}

QString fromWide(const SQLWCHAR* s, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), length);
}

QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList lines;
    for (SQLSMALLINT record = 1; record < 20; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc
            = SQLGetDiagRecW(handleType, handle, record, state, &native, text, SQLSMALLINT(std::size(text)), &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        const qsizetype n = std::min<qsizetype>(length, qsizetype(std::size(text)) - 1);
        QString message = fromWide(text, n).trimmed();
        const QString sqlState = fromWide(state, 5);
        lines << (sqlState.isEmpty() ? message : QStringLiteral("[%1] %2").arg(sqlState, message));
    }
    return lines.join(QLatin1Char('\n'));
}

bool ok(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Parameter values bound to a statement; they must live until it has run.
class Bindings {
public:
    void bind(
        SQLHSTMT stmt, const std::vector<QVariant>& values, const std::function<void(SQLRETURN, const QString&)>& check)
    {
        m_texts.clear();
        m_texts.reserve(values.size());
        m_ints.assign(values.size(), 0);
        m_bits.assign(values.size(), 0);
        m_indicators.assign(values.size(), 0);
        for (size_t i = 0; i < values.size(); ++i) {
            const QVariant& v = values[i];
            const SQLUSMALLINT number = SQLUSMALLINT(i + 1);
            SQLRETURN rc;
            if (v.isNull()) {
                m_texts.emplace_back();
                m_indicators[i] = SQL_NULL_DATA;
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0,
                    const_cast<SQLWCHAR*>(wide(m_texts.back())), 0, &m_indicators[i]);
            } else if (v.typeId() == QMetaType::Bool) {
                m_texts.emplace_back();
                m_bits[i] = v.toBool() ? 1 : 0;
                rc = SQLBindParameter(
                    stmt, number, SQL_PARAM_INPUT, SQL_C_BIT, SQL_BIT, 1, 0, &m_bits[i], 0, &m_indicators[i]);
            } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
                m_texts.emplace_back();
                m_ints[i] = SQLINTEGER(v.toInt());
                rc = SQLBindParameter(
                    stmt, number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &m_ints[i], 0, &m_indicators[i]);
            } else {
                m_texts.push_back(v.toString());
                const QString& text = m_texts.back();
                const SQLLEN bytes = SQLLEN(text.size()) * SQLLEN(sizeof(SQLWCHAR));
                m_indicators[i] = bytes;
                // Long text goes as a long type so that drivers for servers
                // with a 4,000-character limit on ordinary text pick the
                // unlimited kind.
                const SQLSMALLINT sqlType = text.size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR, sqlType,
                    SQLULEN(std::max<qsizetype>(text.size(), 1)), 0, const_cast<SQLWCHAR*>(wide(text)), bytes,
                    &m_indicators[i]);
            }
            check(rc, QStringLiteral("binding parameter %1").arg(i + 1));
        }
    }

private:
    std::vector<QString> m_texts;
    std::vector<SQLINTEGER> m_ints;
    std::vector<unsigned char> m_bits;
    std::vector<SQLLEN> m_indicators;
};

}

namespace OdbcConnectionString {

QString quote(const QString& value)
{
    static const QString special = QStringLiteral("[]{}(),;?*=!@");
    const bool plain = std::none_of(value.cbegin(), value.cend(), [](QChar ch) { return special.contains(ch); })
        && value.trimmed() == value;
    if (plain)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

bool isTdsDriver(const QString& driver)
{
    return driver.contains(QLatin1String("TDS"), Qt::CaseInsensitive);
}

QString build(const ServerSettings& s)
{
    const QString driver = s.driver.trimmed();
    if (driver.isEmpty())
        throw QuarrixError(QStringLiteral("No ODBC driver is chosen for the central database"));
    if (driver.contains(QLatin1Char('}')))
        throw QuarrixError(QStringLiteral("The ODBC driver name \"%1\" cannot contain \"}\"").arg(driver));
    const bool tds = isTdsDriver(driver);
    const bool postgres = driver.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);

    struct Part {
        const char* key;
        QString value;
        const char* what;
    };
    std::vector<Part> parts { { "Server", ServerAddress::forDriver(s.address), "server address" } };
    const QString port = s.port.trimmed();
    if (!port.isEmpty()) {
        bool number = false;
        const int value = port.toInt(&number);
        if (!number || value < 1 || value > 65535 || port.contains(QLatin1Char('+')))
            throw QuarrixError(QStringLiteral("The port \"%1\" is not a port number").arg(port));
        parts.push_back({ "Port", QString::number(value), "port" });
    }
    parts.push_back({ "Database", s.database, "database name" });
    parts.push_back({ "UID", s.user, "user name" });
    parts.push_back({ "PWD", s.password, "password" });

    QString result = QStringLiteral("Driver=") + quote(driver) + QLatin1Char(';');
    for (const Part& p : parts) {
        const bool password = qstrcmp(p.key, "PWD") == 0;
        QString value = quote(p.value);
        if (tds && p.value.contains(QLatin1Char('}'))) {
            // The TDS driver reads a braced value up to its first "}", so a
            // doubled one would reach the server changed: refuse it instead.
            throw QuarrixError(QStringLiteral("The %1 cannot contain \"}\" with the ODBC driver \"%2\"")
                                   .arg(QString::fromLatin1(p.what), driver));
        } else if (postgres && !password) {
            // The PostgreSQL driver undoes braces only around the password;
            // it takes every other value literally, up to the next ";".
            if (p.value.contains(QLatin1Char(';')) || p.value.contains(QLatin1Char('{'))
                || p.value.contains(QLatin1Char('}')))
                throw QuarrixError(
                    QStringLiteral("The %1 cannot contain \";\", \"{\" or \"}\" with the ODBC driver \"%2\"")
                        .arg(QString::fromLatin1(p.what), driver));
            value = p.value;
        }
        result += QString::fromLatin1(p.key) + QLatin1Char('=') + value + QLatin1Char(';');
    }
    if (tds)
        result += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    if (postgres)
        // Booleans as bits; no driver trace files, whatever the driver's
        // registration asks for.
        result += QStringLiteral("BoolsAsChar=0;CommLog=0;Debug=0;");
    return result;
}

}

QStringList installedOdbcDrivers()
{
    QStringList names;
    SQLHENV env = SQL_NULL_HENV;
    if (!ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return names;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[512] = {};
        SQLWCHAR attributes[2048] = {};
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(env, direction, name, SQLSMALLINT(std::size(name)), &nameLength, attributes,
            SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!ok(rc))
            break;
        names << fromWide(name, std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}

OdbcConnection::OdbcConnection()
{
    SQLHENV env = SQL_NULL_HENV;
    if (!ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw QuarrixError(QStringLiteral("The ODBC driver manager could not be started"));
    m_env = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!ok(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw QuarrixError(QStringLiteral("The ODBC driver manager could not make a connection"));
    }
    m_dbc = dbc;
}

OdbcConnection::~OdbcConnection()
{
    if (m_inTransaction) {
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
        m_inTransaction = false;
    }
    disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void OdbcConnection::check(short rc, short handleType, void* handle, const QString& what)
{
    if (ok(rc))
        return;
    QString detail = diagnostics(handleType, handle);
    if (detail.isEmpty())
        detail = QStringLiteral("ODBC error %1").arg(rc);
    throw QuarrixError(what.isEmpty() ? detail : QStringLiteral("%1: %2").arg(what, detail));
}

void OdbcConnection::connect(const QString& connectionString)
{
    disconnect();
    // A server that does not answer should fail the attempt, not hang it.
    SQLSetConnectAttrW(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(15)), 0);
    // The trace would write the connection string, whose password it masks
    // only up to the first ";".
    SQLSetConnectAttrW(m_dbc, SQL_ATTR_TRACE, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_OPT_TRACE_OFF)), 0);
    SQLWCHAR out[1024] = {};
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(m_dbc, nullptr, const_cast<SQLWCHAR*>(wide(connectionString)),
        SQLSMALLINT(connectionString.size()), out, SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT);
    check(rc, SQL_HANDLE_DBC, m_dbc, QString());
    m_connected = true;
}

bool OdbcConnection::isDead() const
{
    if (!m_connected)
        return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttrW(m_dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return ok(rc) && dead == SQL_CD_TRUE;
}

QString OdbcConnection::dbmsName()
{
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    check(SQLGetInfoW(m_dbc, SQL_DBMS_NAME, name, SQLSMALLINT(sizeof name), &length), SQL_HANDLE_DBC, m_dbc, QString());
    return fromWide(name, std::min<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), qsizetype(std::size(name)) - 1));
}

void OdbcConnection::disconnect()
{
    if (m_connected)
        SQLDisconnect(m_dbc);
    m_connected = false;
}

void* OdbcConnection::allocStatement()
{
    if (!m_connected)
        throw QuarrixError(QStringLiteral("Not connected to the central database"));
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    check(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt), SQL_HANDLE_DBC, m_dbc, QString());
    return stmt;
}

namespace {
struct StatementHandle {
    SQLHSTMT h;
    ~StatementHandle() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
};
}

void OdbcConnection::exec(const QString& sql)
{
    exec(sql, {});
}

void OdbcConnection::exec(const QString& sql, const std::vector<QVariant>& parameters)
{
    StatementHandle stmt { allocStatement() };
    Bindings bindings;
    bindings.bind(
        stmt.h, parameters, [&](SQLRETURN rc, const QString& what) { check(rc, SQL_HANDLE_STMT, stmt.h, what); });
    const SQLRETURN rc = SQLExecDirectW(stmt.h, const_cast<SQLWCHAR*>(wide(sql)), SQLINTEGER(sql.size()));
    // A searched DELETE or UPDATE that touches no row is not an error.
    if (rc != SQL_NO_DATA)
        check(rc, SQL_HANDLE_STMT, stmt.h, QString());
}

std::vector<QStringList> OdbcConnection::query(const QString& sql, const std::vector<QVariant>& parameters)
{
    StatementHandle stmt { allocStatement() };
    Bindings bindings;
    bindings.bind(
        stmt.h, parameters, [&](SQLRETURN rc, const QString& what) { check(rc, SQL_HANDLE_STMT, stmt.h, what); });
    check(SQLExecDirectW(stmt.h, const_cast<SQLWCHAR*>(wide(sql)), SQLINTEGER(sql.size())), SQL_HANDLE_STMT, stmt.h,
        QString());
    SQLSMALLINT columns = 0;
    check(SQLNumResultCols(stmt.h, &columns), SQL_HANDLE_STMT, stmt.h, QString());
    std::vector<QStringList> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.h);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, stmt.h, QString());
        QStringList row;
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
            QString value;
            for (;;) {
                SQLWCHAR chunk[1024];
                SQLLEN indicator = 0;
                const SQLRETURN got = SQLGetData(stmt.h, c, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
                if (got == SQL_NO_DATA || indicator == SQL_NULL_DATA)
                    break;
                check(got, SQL_HANDLE_STMT, stmt.h, QString());
                const qsizetype capacity = qsizetype(std::size(chunk)) - 1;
                const qsizetype n = indicator == SQL_NO_TOTAL
                    ? capacity
                    : std::min<qsizetype>(qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR))), capacity);
                value += fromWide(chunk, n);
                if (got == SQL_SUCCESS)
                    break;
            }
            row << value;
        }
        rows.push_back(row);
    }
    return rows;
}

void OdbcConnection::begin()
{
    check(SQLSetConnectAttrW(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_AUTOCOMMIT_OFF)), 0),
        SQL_HANDLE_DBC, m_dbc, QString());
    m_inTransaction = true;
}

void OdbcConnection::commit()
{
    check(SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_COMMIT), SQL_HANDLE_DBC, m_dbc, QString());
    m_inTransaction = false;
    SQLSetConnectAttrW(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_AUTOCOMMIT_ON)), 0);
}

void OdbcConnection::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLSetConnectAttrW(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_AUTOCOMMIT_ON)), 0);
    check(rc, SQL_HANDLE_DBC, m_dbc, QString());
}

OdbcConnection::Prepared::Prepared(OdbcConnection& connection, const QString& sql)
    : m_connection(connection)
{
    m_stmt = connection.allocStatement();
    const SQLRETURN rc = SQLPrepareW(m_stmt, const_cast<SQLWCHAR*>(wide(sql)), SQLINTEGER(sql.size()));
    if (!ok(rc)) {
        const QString detail = diagnostics(SQL_HANDLE_STMT, m_stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        throw QuarrixError(detail.isEmpty() ? QStringLiteral("ODBC error %1").arg(rc) : detail);
    }
}

OdbcConnection::Prepared::~Prepared()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

void OdbcConnection::Prepared::execute(const std::vector<QVariant>& parameters)
{
    Bindings bindings;
    bindings.bind(m_stmt, parameters,
        [&](SQLRETURN rc, const QString& what) { m_connection.check(rc, SQL_HANDLE_STMT, m_stmt, what); });
    const SQLRETURN rc = SQLExecute(m_stmt);
    if (rc != SQL_NO_DATA)
        m_connection.check(rc, SQL_HANDLE_STMT, m_stmt, QString());
    SQLFreeStmt(m_stmt, SQL_CLOSE);
}
