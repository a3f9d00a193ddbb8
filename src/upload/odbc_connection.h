#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// Where the central database lives: the stored server settings plus the
// local choice of ODBC driver.
struct ServerSettings {
    QString driver;
    QString address;
    QString port; // empty: the driver's default port
    QString user;
    QString password;
    QString database;
};

namespace OdbcConnectionString {
// An attribute value as the connection string takes it: as it is when it
// holds no character with a meaning there, otherwise in braces with every
// "}" doubled, so that ";", "=", "{" or "}" inside it can neither end it nor
// add attributes. (Some drivers take a braced port or server literally, so
// braces are used only where needed.)
QString quote(const QString& value);
// Whether the driver is the TDS driver, which takes a braced value up to its
// first "}" and so cannot be given a value that holds one.
bool isTdsDriver(const QString& driver);
// The DSN-less connection string for the settings. Raises QuarrixError when
// a value cannot be passed to the chosen driver unchanged: a "}" with the TDS
// driver; a ";", "{" or "}" in anything but the password with the PostgreSQL
// driver; a port that is not a number from 1 to 65535.
QString build(const ServerSettings& settings);
}

// The ODBC drivers installed on this machine, by name, as the driver manager
// lists them.
QStringList installedOdbcDrivers();

// One ODBC connection to the central database. Text travels as UTF-16
// (the wide calls), so the client's locale plays no part. Errors raise
// QuarrixError with the driver's diagnostic text.
class OdbcConnection {
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Connects with the driver manager's tracing switched off, so that an
    // administrator's trace never records the connection string and its
    // password.
    void connect(const QString& connectionString);
    bool isConnected() const { return m_connected; }
    // Whether the server or the network ended the connection (as the driver
    // tells; false while it is up or never connected).
    bool isDead() const;
    void disconnect();
    // The server's product name as the driver reports it ("PostgreSQL",
    // "Microsoft SQL Server", "MariaDB"...).
    QString dbmsName();

    // Runs one statement without parameters.
    void exec(const QString& sql);
    // Runs one statement with bound parameters: QString (bound as wide text),
    // bool (as a bit), int (as an integer). Null QVariants are sent as NULL.
    void exec(const QString& sql, const std::vector<QVariant>& parameters);
    // Runs a query and returns every row, each value as text ("" for NULL).
    std::vector<QStringList> query(const QString& sql, const std::vector<QVariant>& parameters = {});

    // Manual commit mode: begin() switches autocommit off; commit() and
    // rollback() end the transaction and switch it back on.
    void begin();
    void commit();
    void rollback();

    // A statement prepared once and executed many times with new values.
    class Prepared {
    public:
        Prepared(OdbcConnection& connection, const QString& sql);
        ~Prepared();
        Prepared(const Prepared&) = delete;
        Prepared& operator=(const Prepared&) = delete;
        // The values must match the statement's markers in number.
        void execute(const std::vector<QVariant>& parameters);

    private:
        OdbcConnection& m_connection;
        void* m_stmt = nullptr;
    };

private:
    friend class Prepared;
    void* allocStatement();
    void check(short rc, short handleType, void* handle, const QString& what);

    void* m_env = nullptr;
    void* m_dbc = nullptr;
    bool m_connected = false;
    bool m_inTransaction = false;
};
