#pragma once

#include "store/store_condition.h"

#include <QString>

struct sqlite3;

// The words for what went wrong with a store's file. An error of the file
// itself (locked, full, read-only, damaged, unreadable) names the file and
// the system's reason, so a message seen alone still tells which store and
// why; any other error is the engine's own message.
namespace StoreMessages {

// The message of the connection's last error.
QString lastError(sqlite3* db);
// The engine's words for the last error, the system's reason behind them
// when a call of the system failed; names no file.
QString reason(sqlite3* db);
// The kind of problem the connection's last error is; Unreadable for one
// that is not about the file.
StoreProblem problemOf(sqlite3* db);

// Why the connection can only read: a write it refuses says so in these
// words. Kept until forget().
void setReadOnlyReason(sqlite3* db, const QString& reason);
void forget(sqlite3* db);

}
