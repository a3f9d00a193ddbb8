#pragma once

#include "store/store.h"

#include <QByteArray>
#include <QHash>
#include <sqlite3.h>

// Counts, per table, the statements a store runs to read a table's rows (the
// table engine's "SELECT rowid, ... FROM table"), so a test can tell whether
// a step read a table again. Counts from now on; one per store at a time.
class RowReads {
public:
    explicit RowReads(Store& store)
        : m_db(store.handle())
    {
        sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &RowReads::seen, this);
    }
    ~RowReads() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    RowReads(const RowReads&) = delete;
    RowReads& operator=(const RowReads&) = delete;

    // The reads of the table since the last call for it.
    int take(const char* table) { return m_counts.take(QByteArray(table)); }
    // Every table read since the last call, by name.
    QHash<QByteArray, int> takeAll() { return std::exchange(m_counts, {}); }

private:
    static int seen(unsigned, void* self, void* statement, void*)
    {
        const QByteArray sql(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
        const qsizetype from = sql.indexOf(" FROM \"");
        if (sql.startsWith("SELECT rowid, ") && from > 0) {
            const qsizetype start = from + 7;
            ++static_cast<RowReads*>(self)->m_counts[sql.mid(start, sql.indexOf('"', start) - start)];
        }
        return 0;
    }

    sqlite3* m_db;
    QHash<QByteArray, int> m_counts;
};
