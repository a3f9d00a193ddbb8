// The store shared with other programs: row ids are never used twice,
// another program's change is noticed, every change of the assessment marks
// the work not archived, the file alone holds every command, and an output
// holds one state of the store while another program replaces it.
#include "store_files.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "catalogues/control_origin.h"
#include "catalogues/control_set_import.h"
#include "export/workbook_dump.h"
#include "gui/table_model.h"
#include "reports/export_workbook.h"
#include "store/quarrix_error.h"
#include "store/store.h"
#include "support/process_run.h"
#include "support/qt_printers.h"
#include "support/table_rows.h"
#include "support/temp_store.h"

#include <QTemporaryDir>
#include <cstring>
#include <future>
#include <thread>

using namespace StoreFiles;

namespace {

std::vector<qint64> rowIds(const Table& t)
{
    std::vector<qint64> ids;
    for (int row = 0; row < t.recordCount(); ++row)
        ids.push_back(t.rowIdAt(row));
    return ids;
}

// Writes an archive of one assessment whose requirements and drivers all
// carry its letter.
void writeArchive(const QString& file, const QString& letter, int records)
{
    QTemporaryDir dir;
    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(dir.filePath("Quarrix.mdb"), true, &error)) << error.toStdString();
    Store::Transaction tx(a.store());
    for (int i = 0; i < records; ++i) {
        addRow(a.requirements(), { { "RSeq", QStringLiteral("%1-req-%2").arg(letter).arg(i) } });
        addRow(a.drivers(), { { "CSeq", QStringLiteral("%1-drv-%2").arg(letter).arg(i) }, { "Driver", letter } });
    }
    tx.commit();
    ArchiveWriter::save(a, file);
}

}

using SharedStore = StoreFixture;

TEST_F(SharedStore, RowIdsAreNeverUsedAgainAndAnotherProgramsChangeIsNoticed)
{
    for (const char* id : { "BR1", "BR2", "BR3" })
        addRow(a.requirements(), { { "RSeq", id } });
    const std::vector<qint64> first = rowIds(a.requirements());
    const quint64 seen = a.store().changesByOthers();
    addRow(a.drivers(), { { "CSeq", "BD1" } });
    EXPECT_EQ(a.store().changesByOthers(), seen); // its own writes are not another's

    // Another program empties and refills the table: the ids held here name
    // no record of it.
    Assessment other;
    QString error;
    ASSERT_TRUE(other.open(path, false, &error)) << error.toStdString();
    other.emptyTables();
    for (const char* id : { "BR1", "BR2", "BR3" })
        addRow(other.requirements(), { { "RSeq", id } });
    EXPECT_GT(a.store().changesByOthers(), seen);
    a.requirements().refresh();
    for (qint64 id : rowIds(a.requirements()))
        EXPECT_GT(id, first.back());
    EXPECT_FALSE(a.requirements().moveToRowId(first[1]));
}

// An older store gets the row id column when it opens, each record keeping
// its id (risk entries name their application by it); the ids it had used
// are not used again, and the work's archived mark stays as it was.
TEST(SharedStoreUpgrade, AnOlderStoreKeepsItsRowIdsAndUsesNoneTwice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quarrix.mdb");
    ASSERT_EQ(sqlite(path,
                  "CREATE TABLE Applications (Application TEXT, Domain TEXT, Owner TEXT, Description TEXT, "
                  "Division TEXT, SecAtt TEXT)"),
        QString());
    QString schema;
    for (const TableDef& def : Schema::tables()) {
        if (def.name == "Applications")
            continue;
        QStringList columns;
        for (const FieldDef& f : def.fields)
            if (!f.addedLater)
                columns << QStringLiteral("\"%1\"").arg(f.name);
        schema += QStringLiteral("CREATE TABLE \"%1\" (%2);").arg(def.name, columns.join(", "));
    }
    ASSERT_EQ(sqlite(path,
                  schema
                      + "INSERT INTO System (Assessment) VALUES ('Older');"
                        "INSERT INTO Applications (rowid, Application) VALUES (5, 'Ledger'), (9, 'Ledger');"
                        "ALTER TABLE AppControl ADD COLUMN AppId TEXT;"
                        "INSERT INTO AppControl (Application, Attribute, AppId) VALUES ('Ledger', 'Available', '9');"
                        "PRAGMA journal_mode=WAL"),
        QString());

    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(path, false, &error)) << error.toStdString();
    EXPECT_FALSE(a.workArchived()); // it held work before the mark existed
    EXPECT_EQ(rowIds(a.applications()), (std::vector<qint64> { 5, 9 }));
    EXPECT_EQ(a.appControl().text("AppId"), "9");
    addRow(a.applications(), { { "Application", "New" } });
    const qint64 added = rowIds(a.applications()).back();
    EXPECT_GT(added, 9);
    a.applications().remove();
    addRow(a.applications(), { { "Application", "Newer" } });
    EXPECT_GT(rowIds(a.applications()).back(), added);
    // It left write-ahead mode: the file alone holds it.
    EXPECT_EQ(entries(dir.path()), QStringList { "Quarrix.mdb" });
}

// An older store whose controls came from a catalog: the upgrade rebuilds
// Controls, and the trigger that forgets a deleted control's origin comes
// back with it, so the origin stays in step with the records.
TEST(SharedStoreUpgrade, ControlsRebuiltKeepTheTriggerThatForgetsTheirOrigin)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quarrix.mdb");
    std::vector<qint64> ids;
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(path, true, &error)) << error.toStdString();
        Store::Transaction tx(a.store());
        OscalCatalogOrigin origin { "Catalog", "uuid", "1", "/catalog.json", "{}", {} };
        for (const char* id : { "AC-1", "AC-2", "AC-3" }) {
            addRow(a.controls(), { { "Id", id } });
            ids.push_back(a.controls().currentRowId());
            origin.controls.push_back({ QString::fromLatin1(id).toLower(), {}, {}, "{}" });
        }
        ControlOrigin::remember(a.store(), origin, ids);
        tx.commit();
    }
    // Controls as older stores held it: row ids without a column of their
    // own, the trigger made by the import still on it.
    const QStringList trigger
        = sqliteColumn(path, "SELECT sql FROM sqlite_master WHERE type='trigger' AND tbl_name='Controls'");
    ASSERT_EQ(trigger.size(), 1);
    const QString fields = sqliteColumn(path,
        "SELECT group_concat('\"' || name || '\"', ', ') FROM pragma_table_info('Controls') WHERE name <> 'rowid'")
                               .value(0);
    ASSERT_EQ(
        sqlite(path,
            QStringLiteral("BEGIN; CREATE TABLE older (%1); INSERT INTO older (rowid, %1) SELECT rowid, %1 "
                           "FROM Controls; DROP TABLE Controls; ALTER TABLE older RENAME TO Controls; %2; COMMIT;")
                .arg(fields, trigger.first())),
        QString());

    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(path, false, &error)) << error.toStdString();
    EXPECT_EQ(rowIds(a.controls()), ids);
    EXPECT_EQ(
        sqliteColumn(path, "SELECT sql FROM sqlite_master WHERE type='trigger' AND tbl_name='Controls'"), trigger);
    // A renamed control keeps its origin; a deleted one loses it, and the
    // catalog goes with the last.
    ASSERT_TRUE(a.controls().moveToRowId(ids[0]));
    a.controls().setText("Id", "AC-1X");
    a.controls().post();
    ASSERT_TRUE(a.controls().moveToRowId(ids[1]));
    a.controls().remove();
    std::optional<ControlOrigin::Catalog> kept = ControlOrigin::read(a.store(), false);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->controls.size(), 2);
    EXPECT_EQ(kept->controls.value(ids[0]).origin.id, "ac-1");
    EXPECT_FALSE(kept->controls.contains(ids[1]));
    EXPECT_EQ(sqliteColumn(path, "SELECT ControlRow FROM OscalControl ORDER BY ControlRow"),
        (QStringList { QString::number(ids[0]), QString::number(ids[2]) }));
    for (qint64 id : { ids[0], ids[2] }) {
        ASSERT_TRUE(a.controls().moveToRowId(id));
        a.controls().remove();
    }
    EXPECT_FALSE(ControlOrigin::read(a.store(), false).has_value());
    EXPECT_EQ(sqliteColumn(path, "SELECT COUNT(*) FROM OscalCatalog"), QStringList { "0" });
}

// Whatever writes a change of what an archive holds (a tab's editor, a grid
// cell, a risk entry, an import, another program) marks the work as not
// archived, in the same commit; derived marks, local settings and a post that
// changes nothing do not.
TEST_F(SharedStore, EveryChangeOfTheAssessmentMarksTheWorkNotArchived)
{
    addRow(a.attribute(), { { "Attribute", "Available" }, { "Group", "Operational" } });
    addRow(a.applications(), { { "Application", "Ledger" } });
    const qint64 attribute = a.attribute().rowIdAt(0);
    const struct {
        const char* name;
        std::function<void()> write;
        bool unmarks;
    } cases[] = {
        { "requirement saved",
            [&] {
                addRow(a.requirements(), { { "RSeq", "BR1" } });
            },
            true },
        { "grid cell typed",
            [&] {
                TableModel grid(a.requirements(), { { "RSeq", "Id" }, { "Division", "Division" } }, true);
                ASSERT_TRUE(grid.setData(grid.index(0, 1), QStringLiteral("North"), Qt::EditRole));
            },
            true },
        { "risk entry stored",
            [&] {
                addRow(
                    a.appControl(), { { "Application", "Ledger" }, { "Attribute", "Available" }, { "Risk", "Fire" } });
            },
            true },
        { "control set imported",
            [&] { importControlSet(a, QStringLiteral(QUARRIX_SOURCE_DIR) + "/sets/starter_controls.xlsx"); }, true },
        { "table emptied", [&] { a.emptyTable(a.requirements()); }, true },
        { "another program's edit",
            [&] {
                Assessment other;
                QString error;
                ASSERT_TRUE(other.open(path, false, &error));
                addRow(other.drivers(), { { "CSeq", "BD1" } });
            },
            true },
        { "attributes in use derived",
            [&] {
                a.attribute().setValues("InUse", { { attribute, true } });
            },
            false },
        { "autoload setting stored",
            [&] {
                a.system().setBoolean("AutoControl", !a.system().boolean("AutoControl"));
                a.system().post();
            },
            false },
        { "post that changes nothing",
            [&] {
                a.drivers().first();
                a.drivers().setText("CSeq", a.drivers().text("CSeq"));
                a.drivers().post();
            },
            false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        a.setWorkArchived(true);
        c.write();
        EXPECT_EQ(a.workArchived(), !c.unmarks);
        // The mark is in the file, for every program.
        Assessment other;
        QString error;
        ASSERT_TRUE(other.open(path, false, &error));
        EXPECT_EQ(other.workArchived(), !c.unmarks);
    }
}

// After each command the store file alone holds it: a copy of the file,
// without anything beside it, is the whole store, while the store is open.
TEST_F(SharedStore, TheFileAloneHoldsEveryCommandWhileTheStoreIsOpen)
{
    const QString archive = dir.filePath("in.txt");
    writeArchive(archive, "A", 3);
    const struct {
        const char* name;
        std::function<void()> command;
        int requirements;
    } commands[] = {
        { "post",
            [&] {
                addRow(a.requirements(), { { "RSeq", "BR1" } });
            },
            1 },
        { "archive load", [&] { ArchiveReader::load(a, archive); }, 3 },
        { "notes saved",
            [&] {
                a.system().setText("Notepad", QString(5000, 'n'));
                a.system().post();
            },
            3 },
        { "cleared", [&] { a.clearDatabase(); }, 0 },
    };
    QTemporaryDir copies;
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        c.command();
        EXPECT_EQ(entries(dir.path()), (QStringList { "Quarrix.mdb", "in.txt" }));
        const QString copy = copies.filePath(QString::fromLatin1(c.name) + ".mdb");
        ASSERT_TRUE(QFile::copy(path, copy));
        Assessment copied;
        QString error;
        ASSERT_TRUE(copied.open(copy, false, &error)) << error.toStdString();
        EXPECT_EQ(copied.requirements().recordCount(), c.requirements);
        EXPECT_EQ(copied.system().text("Notepad"), a.system().text("Notepad"));
    }
}

// While an archive or a workbook is written, another program replaces the
// assessment (here: just as the drivers are about to be read). The file
// holds the assessment as it was when the writing began; the replacement
// waits for it and lands after.
TEST_F(SharedStore, AnOutputHoldsOneStateWhileAnotherProgramReplacesTheAssessment)
{
    writeArchive(dir.filePath("a.txt"), "A", 20);
    writeArchive(dir.filePath("b.txt"), "B", 20);
    const struct {
        const char* name;
        const char* file;
        std::function<QString(const QString& file)> write; // the text of what was written
    } outputs[] = {
        { "archive", "out.txt",
            [&](const QString& file) {
                ArchiveWriter::save(a, file);
                return QString::fromUtf8(bytesOf(file));
            } },
        { "workbook", "out.xlsx",
            [&](const QString& file) {
                ExportWorkbook::write(a, ReportSelection(), file);
                QStringList cells;
                for (const DumpedSheet& sheet : readWithOpenpyxl(file).sheets)
                    for (const QStringList& row : sheet.rows)
                        cells << row;
                return cells.join('\n');
            } },
    };
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.name);
        ASSERT_TRUE(ArchiveReader::load(a, dir.filePath("a.txt")));
        // Another program, on a thread of its own, loads archive B once the
        // output starts reading the drivers; the output waits a moment for it.
        std::future<QString> replaced;
        struct Hook {
            std::function<void()> onDrivers;
            bool fired = false;
        } hook;
        hook.onDrivers = [&] {
            replaced = std::async(std::launch::async, [&] {
                Assessment other;
                QString error;
                if (!other.open(path, false, &error))
                    return error;
                try {
                    ArchiveReader::load(other, dir.filePath("b.txt"));
                } catch (const QuarrixError& e) {
                    return e.message();
                }
                return QStringLiteral("loaded");
            });
            replaced.wait_for(std::chrono::milliseconds(300));
        };
        sqlite3_trace_v2(
            a.store().handle(), SQLITE_TRACE_STMT,
            [](unsigned, void* context, void* statement, void*) {
                auto* h = static_cast<Hook*>(context);
                const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
                if (!h->fired && sql && std::strstr(sql, "\"Drivers\"")) {
                    h->fired = true;
                    h->onDrivers();
                }
                return 0;
            },
            &hook);
        const QString written = output.write(dir.filePath(output.file));
        sqlite3_trace_v2(a.store().handle(), 0, nullptr, nullptr);
        ASSERT_TRUE(hook.fired);
        EXPECT_EQ(replaced.get(), "loaded");
        EXPECT_TRUE(written.contains("A-req-19") && written.contains("A-drv-19"));
        EXPECT_FALSE(written.contains("B-")) << written.toStdString();
        a.requirements().refresh();
        a.requirements().first();
        EXPECT_EQ(a.requirements().text("RSeq"), "B-req-0");
    }
}

// Two archive loads at once: the second waits for the first instead of
// failing, and the store holds one of the two assessments whole.
TEST(SharedStoreCli, TwoLoadsAtOnceBothFinish)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("Quarrix.mdb");
    ASSERT_EQ(runCli({ "--store", store, "init" }).status, 0);
    writeArchive(dir.filePath("a.txt"), "A", 3000);
    writeArchive(dir.filePath("b.txt"), "B", 3000);
    QProcess first, second;
    first.start(QStringLiteral(QUARRIX_CLI), { "--store", store, "load-archive", dir.filePath("a.txt") });
    second.start(QStringLiteral(QUARRIX_CLI), { "--store", store, "load-archive", dir.filePath("b.txt") });
    ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    const QStringList letters = sqliteColumn(
        store, "SELECT DISTINCT substr(RSeq, 1, 1) || Driver FROM Requirements, (SELECT Driver FROM Drivers)");
    EXPECT_TRUE(letters == QStringList { "AA" } || letters == QStringList { "BB" }) << letters.join(',').toStdString();
}
