#include "support/row_reads.h"
#include "support/temp_store.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "gui/table_model.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"
#include "store/schema.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <functional>
#include <sqlite3.h>

namespace {

QString openError(const QString& path)
{
    Assessment other;
    QString error;
    EXPECT_FALSE(other.open(path, false, &error));
    return error;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void sqliteExec(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// Every visible row of a table, in order, as "field=value" texts.
QStringList rowsOf(const Table& t)
{
    QStringList rows;
    for (int row = 0; row < t.recordCount(); ++row) {
        QStringList values;
        for (int field = 0; field < int(t.def().fields.size()); ++field)
            values << t.def().fields[field].name + QLatin1Char('=') + t.textAt(row, field);
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// The same table as a fresh connection reads it with the same filter and sort.
QStringList rowsInFile(const QString& path, const Table& t)
{
    Assessment fresh;
    QString error;
    EXPECT_TRUE(fresh.open(path, false, &error)) << error.toStdString();
    Table& same = *fresh.byName(t.name());
    same.setFilter(t.filter());
    same.setFiltered(t.filtered());
    same.setSort(t.sort());
    return rowsOf(same);
}

}

using StoreFile = StoreFixture;

TEST_F(StoreFile, IsCreatedWithEveryTableAndOneSystemRecordAndKeepsPostsAcrossReopen)
{
    EXPECT_EQ(a.system().recordCount(), 1);
    addRow(a.requirements(), { { "RSeq", "BR1.01" }, { "Requirement", "Keep the lights on" } });
    // A second connection sees the post at once: nothing is held back.
    Assessment second;
    QString error;
    ASSERT_TRUE(second.open(path, false, &error)) << error.toStdString();
    ASSERT_EQ(second.requirements().recordCount(), 1);
    EXPECT_EQ(second.requirements().text("requirement"), "Keep the lights on");
}

TEST_F(StoreFile, RefusesFilesThatAreNotAQuarrixStoreNamingTheFile)
{
    const QString garbage = dir.filePath("garbage.mdb");
    writeFile(garbage, "this is a text file, not a store");
    EXPECT_TRUE(openError(garbage).contains("garbage.mdb"));

    const QString legacy = dir.filePath("legacy.mdb");
    QByteArray legacyHeader("\0\1\0\0Standard Jet DB", 19);
    legacyHeader.resize(32, '\0');
    writeFile(legacy, legacyHeader);
    EXPECT_TRUE(openError(legacy).contains("legacy database file"));

    const QString foreign = dir.filePath("foreign.mdb");
    sqliteExec(foreign, "CREATE TABLE other (x); INSERT INTO other VALUES (1)");
    const QByteArray before = fileBytes(foreign);
    const QString missing = openError(foreign);
    EXPECT_TRUE(missing.contains("foreign.mdb"));
    EXPECT_TRUE(missing.contains("table Requirements is missing"));
    // Refused before anything was written: not even its journal mode changed.
    EXPECT_EQ(fileBytes(foreign), before);
    EXPECT_FALSE(QFile::exists(foreign + "-wal"));

    EXPECT_TRUE(openError(dir.filePath("absent.mdb")).contains("absent.mdb"));
}

TEST_F(StoreFile, MissingFieldIsRefusedButAFieldAddedLaterIsAdded)
{
    const QString copy = dir.filePath("copy.mdb");
    {
        Assessment fresh;
        QString error;
        ASSERT_TRUE(fresh.open(copy, true, &error));
    }
    sqliteExec(copy, "ALTER TABLE \"System\" DROP COLUMN \"SQL-Driver\"");
    {
        Assessment upgraded;
        QString error;
        ASSERT_TRUE(upgraded.open(copy, false, &error)) << error.toStdString();
        upgraded.system().setText("SQL-Driver", "FreeTDS");
        upgraded.system().post();
    }
    // A store that is refused gets no field added either.
    sqliteExec(
        copy, "ALTER TABLE \"System\" DROP COLUMN \"SQL-Driver\"; ALTER TABLE \"Drivers\" DROP COLUMN \"Group\"");
    const QByteArray before = fileBytes(copy);
    EXPECT_TRUE(openError(copy).contains("field Drivers.Group is missing"));
    EXPECT_EQ(fileBytes(copy), before);
}

TEST_F(StoreFile, FieldValuesFollowTheirTypes)
{
    Table& reqs = a.requirements();
    reqs.append();
    reqs.setText("Requirement", QString(81, 'x'));
    reqs.setText("RSeq", "BR1.123456789");
    reqs.post();
    EXPECT_EQ(reqs.text("Requirement"), QString(80, 'x'));
    EXPECT_EQ(reqs.text("rseq"), "BR1.1234");
    EXPECT_EQ(reqs.text("Source"), ""); // never set

    Table& profile = a.driverProfiles();
    struct Case {
        QString input;
        bool ok;
        int stored;
    } cases[] = { { "3", true, 3 }, { "65535", true, 65535 }, { "", true, 0 }, { "abc", false, 0 },
        { "70000", false, 0 }, { "-1", false, 0 } };
    for (const Case& c : cases) {
        profile.append();
        if (c.ok) {
            profile.setText("Priority", c.input);
            profile.post();
            EXPECT_EQ(profile.integer("Priority"), c.stored) << c.input.toStdString();
        } else {
            try {
                profile.setText("Priority", c.input);
                ADD_FAILURE() << "accepted " << c.input.toStdString();
            } catch (const QuarrixError& e) {
                if (c.input == "abc") {
                    EXPECT_EQ(e.message(), "'abc' is not a valid integer value");
                }
            }
            profile.cancel();
        }
    }
    EXPECT_THROW(reqs.text("NoSuchField"), QuarrixError);
}

TEST_F(StoreFile, MovesAnnounceThemselvesButEditsAndPostsDoNot)
{
    Table& reqs = a.requirements();
    for (const char* id : { "BR3", "BR1", "br2" })
        addRow(reqs, { { "RSeq", id } });
    reqs.refresh();
    QStringList events;
    QObject owner;
    reqs.addMoveGuard(&owner, [&] {
        events << "before:" + reqs.text("RSeq");
        return MoveDecision::GoOn;
    });
    QObject::connect(&reqs, &Table::afterMove, [&] { events << "after:" + reqs.text("RSeq"); });

    QStringList walked;
    for (reqs.first(); !reqs.eof(); reqs.next())
        walked << reqs.text("RSeq");
    EXPECT_EQ(walked, (QStringList { "BR1", "br2", "BR3" })); // key order, letter case ignored
    EXPECT_EQ(events.first(), "before:br2"); // the record current before the walk, the last one added
    EXPECT_EQ(events.at(1), "after:BR1");
    EXPECT_EQ(events.last(), "after:BR3"); // the last next() finds no record: it announces nothing

    events.clear();
    reqs.edit();
    reqs.setText("Priority", "High");
    reqs.post();
    EXPECT_TRUE(events.isEmpty());

    reqs.append();
    EXPECT_EQ(events, (QStringList { "before:BR3", "after:" }));
    reqs.setText("RSeq", "BR4");
    reqs.next(); // a pending record is posted before the cursor moves
    EXPECT_EQ(reqs.recordCount(), 4);
    Assessment second;
    QString error;
    ASSERT_TRUE(second.open(path, false, &error));
    EXPECT_EQ(second.requirements().recordCount(), 4);
}

// A post that changes the fields a table is ordered by moves that record to
// its place (letter case ignored, the older record first on a tie); the grid
// model follows, and the cursor stays on the record.
TEST_F(StoreFile, PostsKeepTheTableInItsOrderAndTheCursorOnTheRecord)
{
    Table& drivers = a.drivers();
    TableModel model(drivers, { { "CSeq", "Id" } }, true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (const char* id : { "BD3", "BD1", "bd2" })
        addRow(drivers, { { "CSeq", id }, { "Division", "North" } });
    auto ids = [&] {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row)
            out << model.data(model.index(row, 0), Qt::DisplayRole).toString();
        return out;
    };
    EXPECT_EQ(ids(), (QStringList { "BD1", "bd2", "BD3" })); // each Add took its place at once

    const struct {
        const char* name;
        const char* sort; // "" is the key order
        const char* from; // the record renamed
        const char* field;
        const char* to;
        QStringList order;
    } cases[] = {
        { "to the front", "", "BD3", "CSeq", "BD0", { "BD0", "BD1", "bd2" } },
        { "to the end", "", "BD0", "CSeq", "BD9", { "BD1", "bd2", "BD9" } },
        { "a tie puts the older record first", "", "BD9", "CSeq", "bd1", { "bd1", "BD1", "bd2" } },
        { "a field outside the order moves nothing", "", "bd1", "Driver", "text", { "bd1", "BD1", "bd2" } },
        { "a sort expression orders too", "Division,CSeq", "BD1", "Division", "South", { "bd1", "bd2", "BD1" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drivers.setSort(QString::fromLatin1(c.sort));
        ASSERT_TRUE(drivers.locate("CSeq", { QString::fromLatin1(c.from) }));
        const qint64 record = drivers.currentRowId();
        drivers.edit();
        drivers.setText(QString::fromLatin1(c.field), QString::fromLatin1(c.to));
        drivers.post();
        EXPECT_EQ(ids(), c.order);
        EXPECT_EQ(drivers.currentRowId(), record);
        // The order is the one a fresh read gives.
        drivers.refresh();
        EXPECT_EQ(ids(), c.order);
    }

    // Records posted while the displays are suspended take their place when
    // they resume, in one sort.
    drivers.setSort(QString());
    {
        const DisplaySuspended suspended { &drivers };
        for (const char* id : { "BD8", "BD0" })
            addRow(drivers, { { "CSeq", id } });
        EXPECT_EQ(drivers.text("CSeq"), "BD0");
    }
    EXPECT_EQ(ids(), (QStringList { "BD0", "bd1", "BD1", "bd2", "BD8" }));
    EXPECT_EQ(drivers.text("CSeq"), "BD0");
}

// Guards run before the current record changes, by any move, refresh or
// filter change; one that says Stop leaves the cursor where it was.
TEST_F(StoreFile, MoveGuardsRunBeforeTheCurrentRecordChangesAndCanStopIt)
{
    Table& reqs = a.requirements();
    for (auto [id, division] : { std::pair { "BR1", "North" }, { "BR2", "South" }, { "BR3", "North" } })
        addRow(reqs, { { "RSeq", id }, { "Division", division } });
    QObject owner;
    int asked = 0;
    MoveDecision decision = MoveDecision::GoOn;
    reqs.addMoveGuard(&owner, [&] {
        ++asked;
        return decision;
    });
    QSignalSpy moved(&reqs, &Table::afterMove);
    const struct {
        const char* name;
        std::function<void()> move;
        bool guarded;
        const char* currentAfter; // when it goes on
    } cases[] = {
        { "next", [&] { reqs.next(); }, true, "BR3" },
        { "locate", [&] { reqs.locate("RSeq", { "BR1" }); }, true, "BR1" },
        { "refresh keeping the record", [&] { reqs.refresh(); }, false, "BR2" },
        { "filter keeping the record", [&] { reqs.setFilter("Division='South'"), reqs.setFiltered(true); }, false,
            "BR2" },
        { "filter taking the record away", [&] { reqs.setFilter("Division='North'"), reqs.setFiltered(true); }, true,
            "BR3" },
    };
    for (const bool stop : { false, true }) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (stop ? ", stopped" : ""));
            decision = MoveDecision::GoOn;
            reqs.setFiltered(false);
            reqs.locate("RSeq", { "BR2" });
            asked = 0;
            moved.clear();
            decision = stop ? MoveDecision::Stop : MoveDecision::GoOn;
            bool stopped = false;
            try {
                c.move();
            } catch (const MoveStopped&) {
                stopped = true;
            }
            EXPECT_EQ(asked, c.guarded ? 1 : 0);
            EXPECT_EQ(stopped, stop && c.guarded);
            EXPECT_EQ(reqs.text("RSeq"), stopped ? "BR2" : c.currentAfter);
            EXPECT_EQ(moved.count(), c.guarded && !stopped ? 1 : 0);
        }
    }
    // A guard that saves the record it leaves is read back by the refresh that
    // asked it.
    decision = MoveDecision::GoOn;
    reqs.setFiltered(false);
    reqs.locate("RSeq", { "BR2" });
    QObject saver;
    reqs.addMoveGuard(&saver, [&] {
        a.store().exec("UPDATE Requirements SET Requirement='saved by the guard' WHERE RSeq='BR3'");
        return MoveDecision::GoOn;
    });
    reqs.setFilter("Division='North'");
    reqs.setFiltered(true);
    ASSERT_TRUE(reqs.locate("RSeq", { "BR3" }));
    EXPECT_EQ(reqs.text("Requirement"), "saved by the guard");
}

// Whether the work is in an archive survives a restart; a store made before
// the state was kept counts as archived only when it holds no work.
TEST_F(StoreFile, TheSavedFlagIsKeptInTheStore)
{
    EXPECT_TRUE(a.workArchived());
    a.setWorkArchived(false);
    {
        Assessment reopened;
        QString error;
        ASSERT_TRUE(reopened.open(path, false, &error));
        EXPECT_FALSE(reopened.workArchived());
    }
    for (const bool withWork : { false, true }) {
        SCOPED_TRACE(withWork ? "older store with work" : "older empty store");
        const QString older = dir.filePath(withWork ? "older-work.mdb" : "older-empty.mdb");
        {
            Assessment made;
            QString error;
            ASSERT_TRUE(made.open(older, true, &error));
            if (withWork)
                addRow(made.controls(), { { "Id", "01.01.01" } });
        }
        sqliteExec(older, "DROP TABLE \"WorkState\"");
        Assessment opened;
        QString error;
        ASSERT_TRUE(opened.open(older, false, &error)) << error.toStdString();
        EXPECT_EQ(opened.workArchived(), !withWork);
    }
}

TEST_F(StoreFile, FilterAndSortExpressionsSelectAndOrderAndSurviveReopening)
{
    Table& drivers = a.drivers();
    addRow(drivers, { { "CSeq", "BD2" }, { "Division", "Harbour's Edge" }, { "Activity", "b" } });
    addRow(drivers, { { "CSeq", "BD1" }, { "Division", "North" }, { "Activity", "a" } });
    addRow(drivers, { { "CSeq", "BD3" }, { "Division", "Harbour's Edge" }, { "Activity", "a" } });
    addRow(drivers, { { "CSeq", "BD4" } });

    drivers.setFilter("Division='Harbour''s Edge'");
    drivers.setFiltered(true);
    drivers.setSort("Activity,CSeq");
    auto ids = [&] {
        QStringList out;
        for (drivers.first(); !drivers.eof(); drivers.next())
            out << drivers.text("CSeq");
        return out;
    };
    EXPECT_EQ(ids(), (QStringList { "BD3", "BD2" }));
    drivers.close();
    drivers.open();
    EXPECT_EQ(ids(), (QStringList { "BD3", "BD2" }));

    drivers.setFilter("Division=''"); // a record never given a division counts as empty
    EXPECT_EQ(ids(), (QStringList { "BD4" }));
    drivers.setFiltered(false);
    drivers.setSort("");
    EXPECT_EQ(ids(), (QStringList { "BD1", "BD2", "BD3", "BD4" }));

    Table& attributes = a.attribute();
    addRow(attributes, { { "Attribute", "Used" }, { "InUse", "True" } });
    addRow(attributes, { { "Attribute", "Unused" } });
    attributes.setFilter("InUse=TRUE");
    attributes.setFiltered(true);
    EXPECT_EQ(attributes.recordCount(), 1);
    EXPECT_EQ(attributes.text("Attribute"), "Used");

    for (const char* bad : { "Division", "Division='open", "Nope='x'", "Division='a' OR CSeq='b'" })
        EXPECT_THROW(drivers.setFilter(QString::fromLatin1(bad)), QuarrixError) << bad;
    EXPECT_THROW(drivers.setSort("Division; DROP TABLE Drivers"), QuarrixError);
}

TEST_F(StoreFile, LocateFindsTheFirstExactMatchOnOneOrTwoFields)
{
    Table& profile = a.driverProfiles();
    addRow(profile, { { "CSeq", "BD1" }, { "Attribute", "Available" }, { "Priority", "1" } });
    addRow(profile, { { "CSeq", "BD2" }, { "Attribute", "Available" }, { "Priority", "2" } });
    addRow(profile, { { "CSeq", "BD2" }, { "Attribute", "Usable" }, { "Priority", "3" } });
    EXPECT_TRUE(profile.locate("CSeq;Attribute", { "BD2", "Available" }));
    EXPECT_EQ(profile.integer("Priority"), 2);
    EXPECT_TRUE(profile.locate("Attribute", { "Usable" }));
    EXPECT_EQ(profile.integer("Priority"), 3);
    EXPECT_FALSE(profile.locate("Attribute", { "usable" }));
    EXPECT_EQ(profile.integer("Priority"), 3); // a failed locate leaves the cursor
}

TEST_F(StoreFile, ARolledBackTransactionLeavesStoreAndCursorsAsBefore)
{
    addRow(a.controls(), { { "Id", "01.01.01" } });
    try {
        Store::Transaction tx(a.store());
        a.store().deleteAll("Controls");
        a.controls().refresh();
        addRow(a.controls(), { { "Id", "02.01.01" } });
        throw QuarrixError("halfway");
    } catch (const QuarrixError&) {
    }
    ASSERT_EQ(a.controls().recordCount(), 1);
    EXPECT_EQ(a.controls().text("Id"), "01.01.01");
}

TEST_F(StoreFile, TablesReadTheirRowsWhenFirstUsedAndCountWithoutReading)
{
    for (auto [id, division, priority] : { std::tuple { "BR1", "North", "High" }, { "BR2", "South", "High" },
             { "BR3", "North", "Low" }, { "BR4", "North", "High" } })
        addRow(a.requirements(), { { "RSeq", id }, { "Division", division }, { "Priority", priority } });
    Assessment other;
    QString error;
    ASSERT_TRUE(other.open(path, false, &error)) << error.toStdString();
    Table& reqs = other.requirements();
    RowReads reads(other.store());
    struct Step {
        const char* what;
        std::function<QString()> run;
        QString result;
        int reads;
    } steps[] = {
        { "a count asks the store", [&] { return QString::number(reqs.recordCount()); }, "4", 0 },
        { "a filter, a refresh and a first move wait for a use",
            [&] {
                reqs.setFilter("Division='North'");
                reqs.setFiltered(true);
                reqs.refresh();
                reqs.first();
                return QString::number(reqs.recordCount());
            },
            "3", 0 },
        { "field access reads the rows once", [&] { return reqs.text("RSeq") + reqs.text("Priority"); }, "BR1High", 1 },
        { "a walk reads no more",
            [&] {
                QString ids;
                for (reqs.first(); !reqs.eof(); reqs.next())
                    ids += reqs.text("RSeq");
                return ids;
            },
            "BR1BR3BR4", 0 },
        { "a refresh of unchanged rows reads nothing, keeping the record",
            [&] { return (reqs.refresh(), reqs.text("RSeq")); }, "BR4", 0 },
        { "a narrower filter picks from the rows held",
            [&] {
                reqs.setFilter("Division='North' AND Priority='High'");
                return QString::number(reqs.recordCount()) + reqs.text("RSeq");
            },
            "2BR4", 0 },
        { "a wider filter reads again",
            [&] {
                reqs.setFiltered(false);
                return QString::number(reqs.recordCount()) + reqs.text("RSeq");
            },
            "4BR4", 1 },
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.run(), step.result) << step.what;
        EXPECT_EQ(reads.take("Requirements"), step.reads) << step.what;
    }
    EXPECT_TRUE(reads.takeAll().isEmpty()); // no other table was read
}

TEST_F(StoreFile, AMoveAfterAFilterChangeWhileDisplaysWaitStartsFromTheRecordKept)
{
    for (auto [id, division] : { std::pair { "BR1", "North" }, { "BR2", "South" }, { "BR3", "North" } })
        addRow(a.requirements(), { { "RSeq", id }, { "Division", division } });
    // Guards and move hooks read the record they are told about; a display only follows the cursor.
    for (const bool hooks : { true, false }) {
        SCOPED_TRACE(hooks ? "move hooks" : "a display");
        Table reqs(a.store(), *Schema::find("Requirements"));
        QStringList events;
        QObject context;
        if (hooks) {
            reqs.addMoveGuard(&context, [&] {
                events << "before:" + reqs.text("RSeq");
                return MoveDecision::GoOn;
            });
            QObject::connect(&reqs, &Table::afterMove, &context, [&] { events << "after:" + reqs.text("RSeq"); });
        } else {
            QObject::connect(&reqs, &Table::currentChanged, &context, [&](int row) { events << QString::number(row); });
        }
        reqs.open();
        reqs.setFilter("Division='North'");
        reqs.setFiltered(true);
        reqs.locate("RSeq", { "BR3" });
        events.clear();
        {
            const DisplaySuspended waiting { &reqs };
            reqs.setFiltered(false); // back to every record
            reqs.first();
        }
        const QStringList expected = hooks ? QStringList { "before:BR3", "after:BR1" } : QStringList { "2", "0", "0" };
        EXPECT_EQ(events, expected);
        EXPECT_EQ(reqs.text("RSeq"), "BR1");
        EXPECT_EQ(reqs.recordCount(), 3);
    }
}

TEST_F(StoreFile, RowsHeldAreReadAgainWheneverTheFileChangedUnderThem)
{
    Table& reqs = a.requirements();
    auto reset = [&] {
        a.emptyTable(reqs);
        for (const char* id : { "BR1", "BR2", "BR3" })
            addRow(reqs, { { "RSeq", id }, { "Requirement", "text" } });
        reqs.refresh();
        reqs.first();
        reqs.text("RSeq"); // the rows held, as the store has them
    };
    struct Change {
        const char* what;
        std::function<void()> make;
    } changes[] = {
        { "another connection adds a row",
            [&] { sqliteExec(path, "INSERT INTO Requirements (RSeq, Requirement) VALUES ('BR0', 'theirs')"); } },
        { "a statement of this connection",
            [&] {
                SqlStatement& update = a.store().cached("UPDATE Requirements SET Requirement='raw' WHERE RSeq='BR2'");
                update.run();
            } },
        { "the delete-all statement", [&] { a.store().deleteAll("Requirements"); } },
        { "a second table object posts",
            [&] {
                Table second(a.store(), *Schema::find("Requirements"));
                second.open();
                second.last();
                second.setText("Requirement", "second");
                second.post();
            } },
        { "a remove undone by a rolled back savepoint",
            [&] {
                Store::Transaction outer(a.store());
                try {
                    Store::Transaction inner(a.store());
                    reqs.remove();
                    throw QuarrixError("undo");
                } catch (const QuarrixError&) {
                }
                outer.commit();
            } },
        { "a post that changes the key order",
            [&] {
                reqs.first();
                reqs.setText("RSeq", "BR9");
                reqs.post();
            } },
        { "a post of a plain field",
            [&] {
                reqs.last();
                reqs.setText("Requirement", "edited");
                reqs.post();
            } },
    };
    for (const Change& c : changes) {
        reset();
        c.make();
        reqs.refresh();
        EXPECT_EQ(rowsOf(reqs), rowsInFile(path, reqs)) << c.what;
    }
}

TEST_F(StoreFile, AFilterAppliedInMemorySelectsWhatTheStoreSelects)
{
    Table& attribute = a.attribute();
    for (auto [name, tier, grx, inUse] :
        { std::tuple { "A", "Business", "1", "True" }, { "B", "business", "1", "False" }, { "C", "", "2", "" },
            { "D", "Business", "", "True" }, { "E", "Security", "12", "True" } })
        addRow(attribute, { { "Attribute", name }, { "Tier", tier }, { "Grx", grx }, { "InUse", inUse } });
    // Values another program may have left: a mark stored as text, a mark of 2.
    sqliteExec(path, "INSERT INTO Attribute (Attribute, InUse) VALUES ('F', 'True'), ('G', 2), ('H', 1.0)");
    attribute.refresh();
    attribute.text("Attribute"); // every row held, as the store has them
    RowReads reads(a.store());
    // The first filter narrows the rows held; each later one picks from the
    // rows kept from before the first.
    for (const char* filter : { "InUse=TRUE", "InUse=FALSE", "InUse=2", "Tier='Business'", "Tier=''", "Grx=1",
             "Grx='12'", "Tier='Business' AND InUse=TRUE", "Attribute='a'", "" }) {
        attribute.setFilter(QString::fromLatin1(filter));
        attribute.setFiltered(true);
        EXPECT_EQ(rowsOf(attribute), rowsInFile(path, attribute)) << filter;
        EXPECT_EQ(reads.take("Attribute"), 0) << filter;
    }
    // A post changes what was kept: widening again reads the store.
    attribute.setFilter("Tier='Business'");
    attribute.setText("Description", "edited");
    attribute.post();
    attribute.setFiltered(false);
    EXPECT_EQ(rowsOf(attribute), rowsInFile(path, attribute));
    EXPECT_EQ(reads.take("Attribute"), 1);
}

TEST_F(StoreFile, ClearDatabaseKeepsServerAndAutoloadSettingsAndTheTrace)
{
    Table& sys = a.system();
    sys.edit();
    for (const char* f : { "AssID", "Assessment", "Description", "Enterprise", "Divisions", "Groups", "Activities",
             "Notepad", "SQL-IP", "SQL-Port", "SQL-User", "SQL-Password", "SQL-Database", "AutoControlFile" })
        sys.setText(QString::fromLatin1(f), QStringLiteral("v-%1").arg(QString::fromLatin1(f)).left(4));
    sys.setBoolean("AutoControl", true);
    sys.post();
    addRow(a.controlDriverTrace(), { { "IDDR", "01.01.01BD1" } });
    addRow(a.requirements(), { { "RSeq", "BR1" } });
    addRow(a.applications(), { { "Application", "App" } });

    a.clearDatabase();
    EXPECT_EQ(sys.text("Assessment"), "");
    EXPECT_EQ(sys.text("Notepad"), "");
    EXPECT_EQ(sys.text("SQL-Port"), "v-SQ");
    EXPECT_EQ(sys.text("AutoControlFile"), "v-Au");
    EXPECT_TRUE(sys.boolean("AutoControl"));
    EXPECT_EQ(a.requirements().recordCount(), 0);
    EXPECT_EQ(a.applications().recordCount(), 0);
    EXPECT_EQ(a.controlDriverTrace().recordCount(), 1);
}

TEST_F(StoreFile, TextFieldsAreCutToWholeCharactersThatSurviveSaveAndReload)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const QString flags = QString::fromUtf8("\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7"); // one character, four units
    const QString x63(63, 'x');
    struct Case {
        const char* what;
        const char* table;
        const char* field;
        QString value;
        QString kept;
    } cases[] = {
        { "64 characters ending in an emoji fit", "System", "Assessment", x63 + emoji, x63 + emoji },
        { "an emoji past the width goes whole", "System", "Assessment", x63 + "x" + emoji, x63 + "x" },
        // Widths count code points, as the central databases' varchar does;
        // a mark that does not fit takes its base character with it.
        { "marks count as code points", "Requirements", "RSeq", "BR1.0e\u0301e\u0301e\u0301", "BR1.0e\u0301" },
        { "a base keeps all its marks or goes", "Requirements", "RSeq", "BR1.01a\u0308o\u0301\u0323Z",
            "BR1.01a\u0308" },
        { "a mark past the width takes its base", "Requirements", "RSeq", "ABCDEFGe\u0301", "ABCDEFG" },
        { "a mark within the width stays", "Requirements", "RSeq", "ABCDEFe\u0301", "ABCDEFe\u0301" },
        { "a flag that does not fit goes whole", "Requirements", "RSeq", "BR1.01" + flags + flags, "BR1.01" + flags },
        { "an emoji counts as one code point", "Requirements", "RSeq", "BR1.01" + emoji + emoji + "x",
            "BR1.01" + emoji + emoji },
    };
    const QString archive = dir.filePath("archive.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table& t = *a.byName(c.table);
        if (t.name() == "Requirements") {
            a.emptyTable(t);
            t.append();
        } else {
            t.edit();
        }
        t.setText(c.field, c.value);
        t.post();
        EXPECT_EQ(t.text(c.field), c.kept);
        {
            Assessment reopened;
            QString error;
            ASSERT_TRUE(reopened.open(path, false, &error)) << error.toStdString();
            EXPECT_EQ(reopened.byName(c.table)->text(c.field), c.kept);
        }
        ArchiveWriter::save(a, archive);
        ArchiveReader::apply(a, ArchiveReader::read(archive).blocks);
        t.refresh();
        t.first();
        EXPECT_EQ(t.text(c.field), c.kept);
    }
}

TEST(LineList, BuildsWithCrLfAndSplitsWithoutATrailingEmptyItem)
{
    EXPECT_EQ(LineList::build({ "A", "B", "C" }), "A\r\nB\r\nC\r\n");
    EXPECT_EQ(LineList::build({}), "");
    struct Case {
        const char* value;
        QStringList items;
    } cases[] = {
        { "A\r\nB\r\nC\r\n", { "A", "B", "C" } },
        { "A\r\nB", { "A", "B" } },
        { "", {} },
        { "A\nB\rC", { "A", "B", "C" } },
        { "A\r\n\r\nB", { "A", "", "B" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(LineList::split(QString::fromLatin1(c.value)), c.items) << c.value;
}

// A walk that reads the store straight sees what the rows held show: the same
// records in the same order, each value as textAt() gives it, whatever form it
// was stored in (a number in a text field, no value, a Boolean kept as a
// number or as text, bytes that are no UTF-8).
TEST_F(StoreFile, RecordTextsFromTheStoreAreTheTextsOfTheRowsHeld)
{
    a.store().exec(QStringLiteral(
        "INSERT INTO Attribute (\"Group\", Attribute, InUse) VALUES ('g', 'kept as 1', 1), ('g', 'kept as 0', 0), "
        "('h', 'kept as text', 'yes'), (NULL, 42, NULL), ('g', CAST(X'4142FF43' AS TEXT), 1)"));
    Table& attributes = a.attribute();
    attributes.refresh();
    const std::vector<int> fields { attributes.fieldIndex(QStringLiteral("Attribute")),
        attributes.fieldIndex(QStringLiteral("InUse")), attributes.fieldIndex(QStringLiteral("Group")) };
    auto both = [&] {
        QList<QByteArrayList> held;
        for (int row = 0; row < attributes.recordCount(); ++row) {
            QByteArrayList values;
            for (int f : fields)
                values << attributes.textAt(row, f).toUtf8();
            held << values;
        }
        QList<QByteArrayList> read;
        attributes.eachRecordText(fields, [&](const std::vector<QByteArrayView>& values) {
            QByteArrayList bytes;
            for (QByteArrayView v : values)
                bytes << v.toByteArray();
            read << bytes;
        });
        EXPECT_EQ(read, held);
        return read.size();
    };
    EXPECT_EQ(both(), 5);
    attributes.setFilter(QStringLiteral("Group='g'"));
    attributes.setFiltered(true);
    attributes.setSort(QStringLiteral("Attribute"));
    EXPECT_EQ(both(), 3);
}
