#include "store/store_messages.h"

#include "files/atomic_file.h"

#include <QHash>
#include <QMutex>
#include <sqlite3.h>

namespace {

// Read-only connections and why; a store may be used from a second thread
// (the export reads on one and writes on another), so access is locked.
QMutex readOnlyLock;
QHash<sqlite3*, QString>& readOnlyReasons()
{
    static QHash<sqlite3*, QString> reasons;
    return reasons;
}

QString fileOf(sqlite3* db)
{
    const char* name = sqlite3_db_filename(db, "main");
    return name && *name ? QString::fromUtf8(name) : QStringLiteral("(in memory)");
}

}

namespace StoreMessages {

QString reason(sqlite3* db)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int error = sqlite3_system_errno(db);
    const int code = sqlite3_errcode(db);
    const bool fromSystem = code == SQLITE_IOERR || code == SQLITE_FULL || code == SQLITE_CANTOPEN;
    return fromSystem && error != 0 ? QStringLiteral("%1: %2").arg(message, AtomicFile::systemReason(error)) : message;
}

StoreProblem problemOf(sqlite3* db)
{
    switch (sqlite3_errcode(db)) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreProblem::Locked;
    case SQLITE_FULL:
        return StoreProblem::DiskFull;
    case SQLITE_READONLY:
        return StoreProblem::ReadOnlyFile;
    case SQLITE_CORRUPT:
        return StoreProblem::Damaged;
    case SQLITE_NOTADB:
        return StoreProblem::NotAStore;
    default:
        return StoreProblem::Unreadable;
    }
}

QString lastError(sqlite3* db)
{
    const QString file = fileOf(db);
    switch (sqlite3_errcode(db)) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("The store file '%1' is locked by another program (%2). Try again once that program "
                              "has finished.")
            .arg(file, reason(db));
    case SQLITE_FULL:
        return QStringLiteral("Cannot write the store file '%1': %2. Nothing of the command was saved.")
            .arg(file, reason(db));
    case SQLITE_READONLY: {
        QMutexLocker locked(&readOnlyLock);
        const QString why = readOnlyReasons().value(db);
        if (!why.isEmpty())
            return QStringLiteral("%1 Nothing was written.").arg(why);
        return QStringLiteral("Cannot write the store file '%1': %2.").arg(file, reason(db));
    }
    case SQLITE_CORRUPT:
        return QStringLiteral("The store file '%1' is damaged: %2.").arg(file, reason(db));
    case SQLITE_NOTADB:
        return QStringLiteral("The file '%1' is not a Quarrix store: %2.").arg(file, reason(db));
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return QStringLiteral("Cannot read or write the store file '%1': %2.").arg(file, reason(db));
    default:
        return QString::fromUtf8(sqlite3_errmsg(db));
    }
}

void setReadOnlyReason(sqlite3* db, const QString& reason)
{
    QMutexLocker locked(&readOnlyLock);
    readOnlyReasons().insert(db, reason);
}

void forget(sqlite3* db)
{
    QMutexLocker locked(&readOnlyLock);
    readOnlyReasons().remove(db);
}

}
