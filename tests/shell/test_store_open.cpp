#include "support/window_fixture.h"

#include "store/store.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <sqlite3.h>

// The window on a store it could not open, and the window switched to
// another store.
class StoreOpenTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        storePath = dir.filePath(QStringLiteral("Quarrix.mdb"));
    }

    void writeFile(const QByteArray& bytes)
    {
        QFile f(storePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // A store made and filled by another program, closed again.
    QString goodStore(const char* name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        Assessment a;
        QString error;
        EXPECT_TRUE(a.open(path, true, &error)) << error.toStdString();
        addRow(a.requirements(), { { "RSeq", "BR-Good" }, { "Requirement", "In the good store" } });
        return path;
    }

    // Nothing reaches a tab: no page can be shown, no key reaches the
    // editors, and the commands that need the store are off.
    void expectUnusable()
    {
        QTabWidget* pages = window->pageControl();
        EXPECT_FALSE(pages->isEnabled());
        EXPECT_FALSE(window->divisionFilterBox()->isEnabled());
        QTabBar* bar = pages->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        EXPECT_EQ(pages->currentIndex(), 0);
        showTab("TabSheet2"); // a tab change made in code still reaches no editor
        QTest::keyClick(find<QListWidget>("lbReqs"), Qt::Key_Insert);
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        for (const char* command : { "NewDatabase1", "LoadfromArchive1", "SavetoArchive1", "ClearDatabase1" })
            EXPECT_FALSE(action(command)->isEnabled()) << command;
        EXPECT_TRUE(action("OpenStore1")->isEnabled());
        EXPECT_TRUE(action("NewStore1")->isEnabled());
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    }
};

TEST_F(StoreOpenTest, AStoreThatCannotBeOpenedLeavesAWindowThatSaysWhyAndReachesNoTab)
{
    const struct {
        const char* name;
        std::function<void()> prepare;
        const char* words; // the kind of problem, in plain words
    } cases[] = {
        { "not a store", [this] { writeFile("plain text, not a store"); }, "The file is not a Quarrix store." },
        { "a database's first bytes, then garbage",
            [this] { writeFile(QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f')); },
            "The file is not a Quarrix store." },
        { "folder in its place", [this] { ASSERT_TRUE(QDir().mkpath(storePath)); },
            "The file is not a Quarrix store." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        closeWindow();
        QDir(storePath).removeRecursively();
        QFile::remove(storePath);
        c.prepare();
        startWindow();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->storeIsOpen());
        EXPECT_TRUE(window->storeProblem().contains(storePath)) << window->storeProblem().toStdString();
        EXPECT_TRUE(window->storeProblem().startsWith(c.words)) << window->storeProblem().toStdString();
        EXPECT_TRUE(window->windowTitle().startsWith("Quarrix.mdb - ")) << window->windowTitle().toStdString();
        EXPECT_FALSE(window->statusText().trimmed().isEmpty());
        expectUnusable();
    }
}

// Another program holding a write transaction keeps the store from opening;
// once it lets go, Try Again opens it.
TEST_F(StoreOpenTest, AStoreLockedByAnotherProgramOpensOnTryAgainOnceReleased)
{
    goodStore("Quarrix.mdb");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(storePath).constData(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    startWindow();
    EXPECT_FALSE(window->storeIsOpen());
    EXPECT_TRUE(window->storeProblem().contains(storePath)) << window->storeProblem().toStdString();
    EXPECT_TRUE(window->storeProblem().startsWith("The store is locked by another program."))
        << window->storeProblem().toStdString();
    expectUnusable();

    sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    click("bRetryStore");
    ASSERT_TRUE(window->storeIsOpen()) << window->storeProblem().toStdString();
    EXPECT_TRUE(window->pageControl()->isEnabled());
    EXPECT_TRUE(window->storeProblem().isEmpty());
    EXPECT_EQ(window->assessment().requirements().recordCount(), 1);
}

// A store file left empty by a creation that failed is made anew when the
// analyst agrees; declined, the window says what it is and asks again on
// Try Again.
TEST_F(StoreOpenTest, AnEmptyStoreFileIsMadeAnewWhenTheAnalystAgrees)
{
    const QString question = QStringLiteral("The store file '%1' holds no assessment: creating it did not finish. "
                                            "Create a new, empty store in its place?")
                                 .arg(storePath);
    writeFile("");
    startWindow(); // the question unanswered is No
    EXPECT_EQ(dialogs->questions, QStringList { question });
    EXPECT_FALSE(window->storeIsOpen());
    EXPECT_TRUE(window->storeProblem().startsWith("The store file holds no assessment"))
        << window->storeProblem().toStdString();
    expectUnusable();
    EXPECT_EQ(QFileInfo(storePath).size(), 0);

    dialogs->questions.clear();
    dialogs->answers = { true };
    click("bRetryStore");
    EXPECT_EQ(dialogs->questions, QStringList { question });
    ASSERT_TRUE(window->storeIsOpen()) << window->storeProblem().toStdString();
    EXPECT_TRUE(window->storeProblem().isEmpty());
    EXPECT_TRUE(window->pageControl()->isEnabled());
    EXPECT_GT(QFileInfo(storePath).size(), 0);
}

// A store the check on open finds damaged opens for reading only: the title
// and the bar say so, the commands that replace the assessment are off, and
// going through every tab writes nothing, in the file or beside it.
TEST_F(StoreOpenTest, AStoreOpenForReadingOnlyIsMarkedAndNothingIsWritten)
{
    {
        Assessment a;
        QString error;
        ASSERT_TRUE(a.open(storePath, true, &error)) << error.toStdString();
        Store::Transaction tx(a.store());
        for (int i = 0; i < 400; ++i)
            addRow(a.requirements(), { { "RSeq", QStringLiteral("BR%1").arg(i, 3, 10, QLatin1Char('0')) } });
        addRow(a.drivers(), { { "CSeq", "BD1" }, { "Driver", "Readable" } });
        tx.commit();
    }
    // A page of the requirements' index gets garbage.
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(storePath).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name='ix_Requirements'", -1, &query, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
    const qint64 root = sqlite3_column_int64(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);
    {
        QFile f(storePath);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek((root - 1) * 16384));
        f.write(QByteArray(64, '\x7f'));
    }
    QFile f(storePath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray damaged = f.readAll();
    f.close();

    startWindow();
    ASSERT_TRUE(window->storeIsOpen()) << window->storeProblem().toStdString();
    EXPECT_TRUE(window->storeIsReadOnly());
    EXPECT_TRUE(window->windowTitle().startsWith("Quarrix.mdb (read-only) - ")) << window->windowTitle().toStdString();
    EXPECT_TRUE(window->storeProblem().startsWith("Read-only: ")) << window->storeProblem().toStdString();
    EXPECT_TRUE(window->storeProblem().contains("damaged")) << window->storeProblem().toStdString();
    for (const char* command : { "NewDatabase1", "LoadfromArchive1", "ClearDatabase1" })
        EXPECT_FALSE(action(command)->isEnabled()) << command;
    EXPECT_TRUE(action("SavetoArchive1")->isEnabled());
    for (int page = 0; page < window->pageControl()->count(); ++page)
        window->pageControl()->setCurrentIndex(page);
    // A tab may fail to read the damaged page; none tries to write.
    for (const QString& error : dialogs->errors)
        EXPECT_FALSE(error.contains("Nothing was written")) << error.toStdString();
    closeWindow();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), damaged);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "Quarrix.mdb" });
}

// Open Store... and New Store... move the whole window to the store chosen;
// the title names it. A file already there is never made a new store.
TEST_F(StoreOpenTest, OpenStoreAndNewStoreSwitchTheWholeWindow)
{
    writeFile("plain text, not a store");
    startWindow();
    const QString good = goodStore("Good.mdb");
    dialogs->files = { good };
    click("bOpenStore");
    ASSERT_TRUE(window->storeIsOpen()) << window->storeProblem().toStdString();
    EXPECT_EQ(window->storePath(), good);
    EXPECT_TRUE(window->windowTitle().startsWith("Good.mdb - ")) << window->windowTitle().toStdString();
    EXPECT_TRUE(window->pageControl()->isEnabled());
    showTab("TabSheet1");
    EXPECT_EQ(find<QLineEdit>("eID1")->text(), "BR-Good");
    EXPECT_EQ(find<QTableView>("DBGrid2")->model()->rowCount(), 1);

    // Edits typed on the store left are offered before the window moves.
    typeInto("eRequirement", "Kept in Good");
    const QString fresh = dir.filePath("Fresh.mdb");
    dialogs->answers = { true };
    dialogs->files = { fresh };
    action("NewStore1")->trigger();
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    ASSERT_TRUE(window->storeIsOpen());
    EXPECT_EQ(window->storePath(), fresh);
    EXPECT_EQ(window->assessment().requirements().recordCount(), 0);
    EXPECT_TRUE(window->windowTitle().startsWith("Fresh.mdb - "));
    {
        Assessment check;
        QString error;
        ASSERT_TRUE(check.open(good, false, &error));
        EXPECT_EQ(check.requirements().text("Requirement"), "Kept in Good");
    }

    dialogs->files = { good };
    action("NewStore1")->trigger();
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.front().contains("already exists"));
    EXPECT_EQ(window->storePath(), fresh);
}
