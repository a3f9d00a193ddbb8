// Opening a store: every problem is told with the file and the system's
// reason, a store that may not be written opens for reading only and writes
// nothing, a new store is created whole or not at all, a damaged one is found.
#include "store_files.h"

#include "archive/archive_writer.h"
#include "files/child_process.h"
#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store.h"
#include "support/process_run.h"
#include "support/qt_printers.h"
#include "support/table_rows.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace StoreFiles;

namespace {

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void chmodPath(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

// A store as Quarrix made them before the archived mark, the row id column
// and the fields added later existed: the tables with their fields only.
void makeOlderStore(const QString& path, const QString& rows = {})
{
    QString sql = QStringLiteral("PRAGMA page_size=4096;BEGIN;");
    for (const TableDef& def : Schema::tables()) {
        QStringList columns;
        for (const FieldDef& f : def.fields)
            if (!f.addedLater)
                columns << QStringLiteral("\"%1\" %2")
                               .arg(f.name,
                                   f.type == FieldType::Boolean || f.type == FieldType::Word ? "INTEGER" : "TEXT");
        sql += QStringLiteral("CREATE TABLE \"%1\" (%2);").arg(def.name, columns.join(", "));
    }
    sql += QStringLiteral("INSERT INTO System (Assessment) VALUES ('Older');") + rows + QStringLiteral("COMMIT;");
    ASSERT_EQ(sqlite(path, sql), QString());
}

void keepNotes(Assessment& a)
{
    a.system().setText("Notepad", "kept");
    a.system().post();
}

// What the child process reports of one open.
struct Opened {
    int problem = -1;
    QString message;
    bool open = false;
    QString refusedWrite; // the message of a post tried on the open store
    QString notepad; // System.Notepad as read
};

Opened openAndTryToWrite(const QString& path, StoreOpening how)
{
    Opened result;
    Assessment a;
    StoreCondition failure;
    result.open = a.open(path, how, &failure);
    result.problem = int(result.open ? a.readOnlyReason().problem : failure.problem);
    result.message = result.open ? a.readOnlyReason().message : failure.message;
    if (result.open) {
        result.notepad = a.system().text("Notepad") + a.system().text("SQL-Driver");
        // The archived mark still changes, in memory only.
        a.setWorkArchived(!a.workArchived());
        try {
            addRow(a.requirements(), { { "RSeq", "BR9" } });
        } catch (const QuarrixError& e) {
            result.refusedWrite = e.message();
        }
    }
    return result;
}

}

// Each case runs in a child process which, when the test runs as the
// superuser, gives up the privilege that would let it write anyway. A store
// that opens for reading only refuses a write with its reason, and nothing
// changes in its folder; made writable again, it opens for writing.
TEST(StoreOpen, EachProblemNamesTheFileAndTheReasonAndAReadOnlyStoreWritesNothing)
{
    QTemporaryDir dir;
    const StoreOpening existing = StoreOpening::Existing;
    const StoreOpening create = StoreOpening::CreateIfMissing;
    const struct Case {
        const char* name;
        StoreOpening how;
        // Makes the store (and its folder) in folder; returns the store's path.
        std::function<QString(const QString& folder)> prepare;
        StoreProblem expected;
        QString reason; // a text the message must hold besides the file's name
        bool opens = false; // for reading only
        bool unprivileged = false; // the case needs the privilege given up
    } cases[] = {
        { "missing store", existing, [](const QString& f) { return f + "/Quarrix.mdb"; }, StoreProblem::Missing,
            "Could not find" },
        { "text file", existing,
            [](const QString& f) {
                put(f + "/Quarrix.mdb", "notes, not a store");
                return f + "/Quarrix.mdb";
            },
            StoreProblem::NotAStore, "not a database file" },
        { "another program's database", existing,
            [](const QString& f) {
                sqlite(f + "/Quarrix.mdb", "CREATE TABLE other (x)");
                return f + "/Quarrix.mdb";
            },
            StoreProblem::NotAStore, "table Requirements is missing" },
        { "empty file left by a failed creation", create,
            [](const QString& f) {
                put(f + "/Quarrix.mdb", "");
                return f + "/Quarrix.mdb";
            },
            StoreProblem::Unfinished, "holds no tables" },
        { "database without tables", create,
            [](const QString& f) {
                sqlite(f + "/Quarrix.mdb", "PRAGMA user_version=7");
                return f + "/Quarrix.mdb";
            },
            StoreProblem::Unfinished, "holds no tables" },
        { "folder that does not exist", create, [](const QString& f) { return f + "/absent/Quarrix.mdb"; },
            StoreProblem::CannotCreate, reasonOf(ENOENT) },
        { "folder without permission to write", create,
            [](const QString& f) {
                chmodPath(f, 0555);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::CannotCreate, reasonOf(EACCES), false, true },
        { "file without permission to read", existing,
            [](const QString& f) {
                makeStore(f + "/Quarrix.mdb");
                chmodPath(f + "/Quarrix.mdb", 0);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::Unreadable, reasonOf(EACCES), false, true },
        { "read-only file", existing,
            [](const QString& f) {
                makeStore(f + "/Quarrix.mdb", keepNotes);
                chmodPath(f + "/Quarrix.mdb", 0444);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::ReadOnlyFile, "read-only", true, true },
        { "writable store in a read-only folder", existing,
            [](const QString& f) {
                makeStore(f + "/Quarrix.mdb", keepNotes);
                chmodPath(f, 0555);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::ReadOnlyFolder, reasonOf(EACCES), true, true },
        { "read-only store from before the archived mark", existing,
            [](const QString& f) {
                makeOlderStore(f + "/Quarrix.mdb", "UPDATE System SET Notepad='kept';");
                chmodPath(f + "/Quarrix.mdb", 0444);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::ReadOnlyFile, "read-only", true, true },
        { "read-only store left in write-ahead mode", existing,
            [](const QString& f) {
                makeOlderStore(f + "/Quarrix.mdb", "UPDATE System SET Notepad='kept';");
                sqlite(f + "/Quarrix.mdb", "PRAGMA journal_mode=WAL");
                chmodPath(f + "/Quarrix.mdb", 0444);
                return f + "/Quarrix.mdb";
            },
            StoreProblem::ReadOnlyFile, "read-only", true, true },
    };
    QStringList skipped;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = c.prepare(folder);
        const QStringList before = entries(folder);
        const QByteArray bytes = bytesOf(path);
        const QStringList report = inChildProcess([&] {
            if (c.unprivileged && ::geteuid() == 0 && !dropPrivileges())
                return QStringList { kSkipped, QStringLiteral("cannot give up the privilege") };
            const Opened o = openAndTryToWrite(path, c.how);
            return QStringList { QString::number(o.problem), o.message, o.open ? "open" : "refused", o.refusedWrite,
                o.notepad };
        });
        chmodPath(folder, 0755);
        if (report.first() == kSkipped) {
            skipped << QString::fromLatin1(c.name);
            continue;
        }
        ASSERT_EQ(report.size(), 5) << report.join('\n').toStdString();
        EXPECT_EQ(report.at(0).toInt(), int(c.expected)) << report.at(1).toStdString();
        EXPECT_TRUE(report.at(1).contains(path)) << report.at(1).toStdString();
        EXPECT_TRUE(report.at(1).contains(c.reason)) << report.at(1).toStdString();
        EXPECT_EQ(report.at(2), c.opens ? "open" : "refused");
        // Nothing was written: no file beside the store, no byte of it changed.
        EXPECT_EQ(entries(folder), before);
        EXPECT_EQ(bytesOf(path), bytes);
        if (!c.opens)
            continue;
        EXPECT_TRUE(report.at(3).contains(c.reason) && report.at(3).contains("Nothing was written"))
            << report.at(3).toStdString();
        EXPECT_EQ(report.at(4), "kept");
        // Once its owner lets it be written, it opens for writing.
        chmodPath(path, 0644);
        const Opened writable = openAndTryToWrite(path, existing);
        EXPECT_TRUE(writable.open) << writable.message.toStdString();
        EXPECT_EQ(writable.problem, int(StoreProblem::None)) << writable.message.toStdString();
        EXPECT_EQ(writable.refusedWrite, QString());
        EXPECT_EQ(entries(folder), QStringList { "Quarrix.mdb" });
    }
    if (!skipped.isEmpty())
        GTEST_SKIP() << "skipped: " << skipped.join("; ").toStdString();
}

// Another program in the middle of a command keeps the store locked: the open
// waits for it as long as promised, then says so.
TEST(StoreOpen, AStoreLockedByAnotherProgramIsWaitedForThenNamed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quarrix.mdb");
    makeStore(path);
    const QStringList report = inChildProcess([&] {
        sqlite3* other = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &other);
        sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        Assessment a;
        StoreCondition failure;
        QElapsedTimer waited;
        waited.start();
        const bool opened = a.open(path, StoreOpening::Existing, &failure);
        const qint64 ms = waited.elapsed();
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        return QStringList { opened ? "open" : "refused", QString::number(int(failure.problem)), failure.message,
            QString::number(ms) };
    });
    ASSERT_EQ(report.size(), 4) << report.join('\n').toStdString();
    EXPECT_EQ(report.at(0), "refused");
    EXPECT_EQ(report.at(1).toInt(), int(StoreProblem::Locked));
    EXPECT_TRUE(report.at(2).contains(path) && report.at(2).contains("locked by another program"))
        << report.at(2).toStdString();
    EXPECT_GE(report.at(3).toInt(), 1900);
}

// A creation that fails half-way (here: the file may not grow past 32 KiB)
// leaves neither a store nor a part of one; an empty store left by an older
// failure is made anew when asked.
TEST(StoreCreation, IsWholeOrNothingAndAnUnfinishedStoreIsMadeAnew)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quarrix.mdb");
    const QStringList report = inChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 32 * 1024, 32 * 1024 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return QStringList { kSkipped };
        Assessment a;
        StoreCondition failure;
        const bool opened = a.open(path, StoreOpening::CreateIfMissing, &failure);
        return QStringList { opened ? "open" : "refused", QString::number(int(failure.problem)), failure.message };
    });
    if (report.first() == kSkipped)
        GTEST_SKIP() << "cannot limit the size of files";
    ASSERT_EQ(report.size(), 3) << report.join('\n').toStdString();
    EXPECT_EQ(report.at(0), "refused");
    EXPECT_EQ(report.at(1).toInt(), int(StoreProblem::CannotCreate));
    EXPECT_TRUE(report.at(2).contains(path)) << report.at(2).toStdString();
    EXPECT_TRUE(report.at(2).contains("disk I/O error") || report.at(2).contains(reasonOf(EFBIG)))
        << report.at(2).toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList());

    put(path, "");
    Assessment a;
    StoreCondition failure;
    EXPECT_FALSE(a.open(path, StoreOpening::CreateIfMissing, &failure));
    EXPECT_EQ(failure.problem, StoreProblem::Unfinished);
    ASSERT_TRUE(a.open(path, StoreOpening::CreateOrReplaceUnfinished, &failure)) << failure.message.toStdString();
    EXPECT_TRUE(a.store().isNew());
    EXPECT_EQ(a.system().recordCount(), 1);
    EXPECT_EQ(entries(dir.path()), QStringList { "Quarrix.mdb" });
    // A store that holds work is never taken for an unfinished one.
    addRow(a.requirements(), { { "RSeq", "BR1" } });
    a.close();
    ASSERT_TRUE(a.open(path, StoreOpening::CreateOrReplaceUnfinished, &failure));
    EXPECT_FALSE(a.store().isNew());
    EXPECT_EQ(a.requirements().recordCount(), 1);
}

// A page of the store damaged on disk is found when the store opens: it opens
// for reading only, saying so, refuses every write, and what can be read can
// still be archived.
TEST(StoreOpen, ADamagedStoreOpensForReadingOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quarrix.mdb");
    makeStore(path, [](Assessment& a) {
        Store::Transaction tx(a.store());
        for (int i = 0; i < 400; ++i)
            addRow(a.requirements(), { { "RSeq", QStringLiteral("BR%1").arg(i, 3, 10, QLatin1Char('0')) } });
        addRow(a.drivers(), { { "CSeq", "BD1" }, { "Driver", "Stay open" } });
        tx.commit();
    });
    // The requirements' index gets a page of garbage.
    const int root
        = sqliteColumn(path, "SELECT rootpage FROM sqlite_schema WHERE name='ix_Requirements'").value(0).toInt();
    ASSERT_GT(root, 1);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(qint64(root - 1) * 16384));
        file.write(QByteArray(64, '\x7f'));
    }
    const QByteArray damaged = bytesOf(path);

    Assessment a;
    StoreCondition failure;
    ASSERT_TRUE(a.open(path, StoreOpening::Existing, &failure)) << failure.message.toStdString();
    ASSERT_TRUE(a.isReadOnly());
    EXPECT_EQ(a.readOnlyReason().problem, StoreProblem::Damaged);
    EXPECT_TRUE(a.readOnlyReason().message.contains(path) && a.readOnlyReason().message.contains("damaged"))
        << a.readOnlyReason().message.toStdString();
    EXPECT_THROW(addRow(a.drivers(), { { "CSeq", "BD2" } }), QuarrixError);
    a.drivers().cancel();
    ArchiveWriter::save(a, dir.filePath("rescued.txt"));
    const QByteArray archive = bytesOf(dir.filePath("rescued.txt"));
    EXPECT_TRUE(archive.contains("BR399") && archive.contains("Stay open"));
    a.close();
    EXPECT_EQ(bytesOf(path), damaged);
    EXPECT_EQ(entries(dir.path()), (QStringList { "Quarrix.mdb", "rescued.txt" }));

    // The command line refuses to import into it and tells that its counts
    // are not the whole.
    const ProcessRun import = runCli(
        { "--store", path, "import-controls", QStringLiteral(QUARRIX_SOURCE_DIR) + "/sets/starter_controls.xlsx" });
    EXPECT_NE(import.status, 0);
    EXPECT_TRUE(import.err.contains("damaged")) << import.err.toStdString();
    const ProcessRun info = runCli({ "--store", path, "info" });
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(info.err.contains("damaged")) << info.err.toStdString();
    EXPECT_EQ(bytesOf(path), damaged);
}
