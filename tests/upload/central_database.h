#pragma once

#include "upload/odbc_connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QtGlobal>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

// A central database of its own for one test, on the throw-away PostgreSQL
// server that scripts/postgres_for_tests.sh starts: created with the tables
// of db/postgresql.sql, dropped at the end. Tests in parallel never share
// one. Without the server's variables the test fails, saying how to start it.
class CentralDatabase {
public:
    static constexpr const char* kDriver = "PostgreSQL Unicode";

    // Returns false (with a failure recorded) when the server is not set up.
    bool create()
    {
        for (const char* key :
            { "QUARRIX_PG_HOST", "QUARRIX_PG_PORT", "QUARRIX_PG_USER", "QUARRIX_PG_PASSWORD", "QUARRIX_PG_DATABASE" }) {
            if (qEnvironmentVariableIsEmpty(key)) {
                ADD_FAILURE() << key << " is not set. The upload tests need the test PostgreSQL server: run "
                              << "'scripts/postgres_for_tests.sh start DIR' and export the variables in DIR/env "
                              << "(scripts/test.sh does both).";
                return false;
            }
        }
        m_admin = env("QUARRIX_PG_DATABASE");
        static std::atomic<int> counter { 0 };
        name = QStringLiteral("qu_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
        try {
            OdbcConnection admin;
            admin.connect(OdbcConnectionString::build(settingsFor(m_admin)));
            admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
            admin.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
            m_created = true;
            runScript(QStringLiteral(QUARRIX_SOURCE_DIR "/db/postgresql.sql"));
        } catch (const std::exception& e) {
            ADD_FAILURE() << "cannot prepare a central database: " << e.what();
            return false;
        }
        return true;
    }

    ~CentralDatabase()
    {
        m_db.reset();
        if (!m_created)
            return;
        try {
            OdbcConnection admin;
            admin.connect(OdbcConnectionString::build(settingsFor(m_admin)));
            admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        } catch (const std::exception& e) {
            ADD_FAILURE() << "cannot drop the central database " << name.toStdString() << ": " << e.what();
        }
    }

    // The settings that reach this test's database.
    ServerSettings settings() const { return settingsFor(name); }

    // Runs statements on this test's database.
    void exec(const QString& sql) { connection().exec(sql); }
    std::vector<QStringList> rows(const QString& sql) { return connection().query(sql); }
    // One column of a query, as a list.
    QStringList column(const QString& sql)
    {
        QStringList out;
        for (const QStringList& row : rows(sql))
            out << row.value(0);
        return out;
    }

    // Runs a file of statements separated by ";" (comments dropped).
    void runScript(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + path.toStdString());
        QString text = QString::fromUtf8(file.readAll());
        text.remove(QRegularExpression(QStringLiteral("--[^\n]*")));
        for (const QString& statement : text.split(QLatin1Char(';')))
            if (!statement.trimmed().isEmpty())
                exec(statement);
    }

    QString name;

private:
    static QString env(const char* key) { return qEnvironmentVariable(key); }

    static ServerSettings settingsFor(const QString& database)
    {
        ServerSettings s;
        s.driver = QString::fromLatin1(kDriver);
        s.address = env("QUARRIX_PG_HOST");
        s.port = env("QUARRIX_PG_PORT");
        s.user = env("QUARRIX_PG_USER");
        s.password = env("QUARRIX_PG_PASSWORD");
        s.database = database;
        return s;
    }

    OdbcConnection& connection()
    {
        if (!m_db) {
            m_db = std::make_unique<OdbcConnection>();
            m_db->connect(OdbcConnectionString::build(settings()));
        }
        return *m_db;
    }

    QString m_admin;
    bool m_created = false;
    std::unique_ptr<OdbcConnection> m_db;
};
