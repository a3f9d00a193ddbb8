#pragma once

#include "store/assessment.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

// Files of the store tests: what a folder holds, a file's bytes, SQL run
// through a connection of the test's own (as another program would), and
// stores made with a few records.
namespace StoreFiles {

inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

inline void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Runs sql through a connection of its own; returns the engine's message on failure.
inline QString sqlite(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    QString problem;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK
        || sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return problem;
}

// One column of a query through a connection of its own, values as text.
inline QStringList sqliteColumn(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    QStringList values;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &query, nullptr) == SQLITE_OK)
        while (sqlite3_step(query) == SQLITE_ROW)
            values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
    sqlite3_finalize(query);
    sqlite3_close(db);
    return values;
}

// A store at path holding what fill writes.
inline void makeStore(const QString& path, const std::function<void(Assessment&)>& fill = {})
{
    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(path, true, &error)) << error.toStdString();
    if (fill)
        fill(a);
}

}
