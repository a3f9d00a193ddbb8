#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A prepared SQLite statement with bound parameters. Errors raise QuarrixError.
class SqlStatement {
public:
    SqlStatement(sqlite3* db, const QString& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    void bind(int index, const QVariant& value); // 1-based; null QVariant binds NULL
    void bindInteger(int index, qint64 value); // 1-based
    void bindText(int index, QByteArrayView utf8); // 1-based; the bytes are copied
    // As bindText(), without a copy: the bytes must stay as they are until
    // the statement has run and been reset.
    void bindTextKept(int index, QByteArrayView utf8);
    bool step(); // true while a row is available
    void reset(); // ready to bind and run again
    void run()
    {
        step();
        reset();
    }

    // Steps through every row, calling fn(*this) for each, and resets the
    // statement at the end, also when a step or fn fails.
    template <class Fn> void eachRow(Fn fn)
    {
        try {
            while (step())
                fn(*this);
        } catch (...) {
            reset();
            throw;
        }
        reset();
    }

    qint64 columnInt64(int col) const;
    QVariant column(int col) const; // NULL gives an invalid QVariant
    QString text(int col) const; // NULL gives empty text
    // The column's UTF-8 text without a copy, valid until the next step;
    // NULL gives empty bytes.
    QByteArrayView utf8(int col) const;
    bool holdsText(int col) const; // the column's value is stored as text
    bool holdsInteger(int col) const; // the column's value is stored as an integer
    int columnCount() const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    // The UTF-8 text bound to each parameter, kept until it is bound again so
    // SQLite need not copy it.
    std::vector<QByteArray> m_texts;
};
