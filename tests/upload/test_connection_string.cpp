// Connection strings: values that could end an attribute or add one are
// quoted where the driver undoes the quoting, and refused where it does not.
#include "store/quarrix_error.h"
#include "upload/odbc_connection.h"

#include <gtest/gtest.h>

namespace {

ServerSettings settings(const char* driver)
{
    return { QString::fromLatin1(driver), QStringLiteral("10.0.0.5"), QString(), QStringLiteral("analyst"),
        QStringLiteral("secret"), QStringLiteral("central") };
}

TEST(ConnectionString, QuotesOnlyWhereNeededAndDoublesClosingBraces)
{
    const std::pair<QString, QString> cases[] = {
        { "plain", "plain" },
        { "", "" },
        { "a;b", "{a;b}" },
        { "a}b", "{a}}b}" },
        { "Pwd=x;Uid=sa", "{Pwd=x;Uid=sa}" },
        { " padded", "{ padded}" },
    };
    for (const auto& [value, quoted] : cases)
        EXPECT_EQ(OdbcConnectionString::quote(value), quoted) << value.toStdString();
}

TEST(ConnectionString, PerDriverForms)
{
    ServerSettings pg = settings("PostgreSQL Unicode");
    pg.port = QStringLiteral("5433");
    pg.password = QStringLiteral("p;w}d");
    EXPECT_EQ(OdbcConnectionString::build(pg),
        "Driver=PostgreSQL Unicode;Server=10.0.0.5;Port=5433;Database=central;UID=analyst;PWD={p;w}}d};"
        "BoolsAsChar=0;CommLog=0;Debug=0;");

    // An IPv6 address reaches the driver without the brackets it may be written with.
    pg.address = QStringLiteral("[2001:db8::5]");
    EXPECT_TRUE(OdbcConnectionString::build(pg).contains(QStringLiteral(";Server=2001:db8::5;")));

    // No port: the driver's default; the TDS driver gets its protocol and charset.
    ServerSettings tds = settings("FreeTDS");
    tds.password = QStringLiteral("semi;colon");
    EXPECT_EQ(OdbcConnectionString::build(tds),
        "Driver=FreeTDS;Server=10.0.0.5;Database=central;UID=analyst;PWD={semi;colon};"
        "TDS_Version=7.4;ClientCharset=UTF-8;");
}

TEST(ConnectionString, RefusesWhatTheDriverWouldMisread)
{
    struct Case {
        const char* driver;
        std::function<void(ServerSettings&)> change;
        const char* message;
    };
    const Case cases[] = {
        { "FreeTDS", [](ServerSettings& s) { s.password = QStringLiteral("a}b"); }, "password cannot contain \"}\"" },
        { "FreeTDS", [](ServerSettings& s) { s.user = QStringLiteral("a}b"); }, "user name cannot contain \"}\"" },
        { "PostgreSQL Unicode", [](ServerSettings& s) { s.database = QStringLiteral("db;Pwd=x"); },
            "database name cannot" },
        { "PostgreSQL Unicode", [](ServerSettings& s) { s.port = QStringLiteral("54x"); }, "is not a port number" },
        { "PostgreSQL Unicode", [](ServerSettings& s) { s.port = QStringLiteral("70000"); }, "is not a port number" },
        { "", [](ServerSettings&) {}, "No ODBC driver" },
    };
    for (const Case& c : cases) {
        ServerSettings s = settings(c.driver);
        c.change(s);
        try {
            const QString built = OdbcConnectionString::build(s);
            ADD_FAILURE() << "accepted: " << built.toStdString();
        } catch (const QuarrixError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.message))) << e.what();
        }
    }
}

TEST(ConnectionString, InstalledDriversAreListed)
{
    // The test machine has the PostgreSQL and TDS drivers registered.
    const QStringList drivers = installedOdbcDrivers();
    EXPECT_TRUE(drivers.contains(QStringLiteral("PostgreSQL Unicode"))) << drivers.join(", ").toStdString();
    EXPECT_TRUE(drivers.contains(QStringLiteral("FreeTDS"))) << drivers.join(", ").toStdString();
}

}
