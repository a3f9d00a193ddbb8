#include "support/window_fixture.h"

#include "archive/archive_writer.h"
#include "store/line_list.h"
#include "support/trace_assessment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>

// The seams between whole-assessment commands (Load, Clear, New) and the
// tabs: what the window shows afterwards, the edits typed before, and the
// question about work not in an archive.
class WholeAssessmentTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        archiveB = dir.filePath(QStringLiteral("b.txt"));
        Assessment b;
        QString error;
        ASSERT_TRUE(b.open(dir.filePath(QStringLiteral("b.mdb")), true, &error)) << error.toStdString();
        TraceAssessment::build(b);
        setField(b.system(), "Notepad", "Notes of B");
        ArchiveWriter::save(b, archiveB);
        startOnAssessmentA();
    }

    static void setField(Table& t, const char* field, const QString& value)
    {
        t.edit();
        t.setText(QString::fromLatin1(field), value);
        t.post();
    }

    // A fresh store holding assessment A, archived, without autoload, and the
    // window started on it.
    void startOnAssessmentA()
    {
        closeWindow();
        for (const char* suffix : { "", "-wal", "-shm", "-journal" })
            QFile::remove(storePath + QString::fromLatin1(suffix));
        {
            Assessment a;
            QString error;
            ASSERT_TRUE(a.open(storePath, true, &error)) << error.toStdString();
            Table& sys = a.system();
            sys.edit();
            sys.setText("Assessment", "Assessment A");
            sys.setText("Notepad", "Notes of A");
            sys.setText("Divisions", LineList::build({ "East" }));
            sys.setBoolean("AutoControl", false);
            sys.setBoolean("AutoAttribute", false);
            sys.post();
            addRow(a.requirements(), { { "RSeq", "BR-A" }, { "Requirement", "Only in A" }, { "Division", "East" } });
            addRow(a.drivers(), { { "CSeq", "BD-A" }, { "Driver", "Only in A" }, { "Division", "East" } });
            a.setWorkArchived(true);
        }
        startWindow();
    }

    QStringList divisionItems() const
    {
        QStringList items;
        auto* box = window->divisionFilterBox();
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    QString archiveB;
};

namespace {

enum class Command { Load, Clear, New };

const char* nameOf(Command c)
{
    return c == Command::Load ? "Load" : c == Command::Clear ? "Clear" : "New";
}

const char* actionOf(Command c)
{
    return c == Command::Load ? "LoadfromArchive1" : c == Command::Clear ? "ClearDatabase1" : "NewDatabase1";
}

}

// After Load, Clear and New, whatever tab shows, the window shows the store:
// the notepad, the division filter, the identity, and the page shown.
TEST_F(WholeAssessmentTest, EveryTabShowsTheStoreAfterLoadClearAndNew)
{
    struct Shown {
        const char* tab;
        std::function<QString()> read; // what the tab shows
        QString afterLoad;
    };
    const Shown tabs[] = {
        { "TabSheet9", [this] { return find<QLabel>("pAssessment")->text(); }, "Trace review" },
        { "TabSheet1", [this] { return find<QLineEdit>("eID1")->text(); }, "BR1.01" },
        { "TabSheet2", [this] { return find<QLineEdit>("eId2")->text(); }, "BD1.01" },
        { "TabSheet4",
            [this] {
                const QAbstractItemModel* inUse = find<QTableView>("DBGrid5")->model();
                const QString first = inUse->rowCount() > 0 ? inUse->index(0, 0).data().toString() : QString();
                return QString::number(inUse->rowCount())
                    + (find<QLineEdit>("eAttName")->text() == first ? " first shown" : " another shown");
            },
            "4 first shown" },
        { "TabSheet8",
            [this] {
                return find<QLineEdit>("eAssessment")->text() + " | "
                    + find<QPlainTextEdit>("mBusinessDivs")->toPlainText();
            },
            "Trace review | North\nSouth\n" },
    };
    for (Command command : { Command::Load, Command::Clear, Command::New }) {
        for (const Shown& shown : tabs) {
            SCOPED_TRACE(std::string(nameOf(command)) + " on " + shown.tab);
            startOnAssessmentA();
            window->divisionFilterBox()->setCurrentText("East");
            showTab(shown.tab);
            if (command == Command::Load)
                dialogs->files.push_back(archiveB);
            else
                dialogs->answers = { true }; // "Clear the whole assessment?"
            action(actionOf(command))->trigger();
            ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();

            const bool loaded = command == Command::Load;
            const std::string tab = shown.tab;
            const QString empty = tab == "TabSheet4" ? "0 first shown" : tab == "TabSheet8" ? " | " : "";
            EXPECT_EQ(shown.read(), loaded ? shown.afterLoad : empty);
            EXPECT_EQ(find<QPlainTextEdit>("mNotepad")->toPlainText(), loaded ? "Notes of B" : "");
            EXPECT_EQ(find<QLabel>("pAssessment")->text(), loaded ? "Trace review" : "");
            EXPECT_EQ(divisionItems(),
                loaded ? QStringList({ "All", "Enterprise", "North", "South" }) : QStringList({ "All", "Enterprise" }));
            EXPECT_EQ(window->divisionFilterText(), "All");
            EXPECT_EQ(window->assessment().requirements().recordCount(), loaded ? 5 : 0);
        }
    }
}

// The notepad shown after a Load is the loaded one, so its Save keeps the
// loaded assessment's notes.
TEST_F(WholeAssessmentTest, NotepadSaveAfterALoadWritesIntoTheLoadedAssessment)
{
    dialogs->files.push_back(archiveB);
    action("LoadfromArchive1")->trigger();
    click("hSave0");
    EXPECT_EQ(window->assessment().system().text("Assessment"), "Trace review");
    EXPECT_EQ(window->assessment().system().text("Notepad"), "Notes of B");
}

// Text typed into the notepad or into a System tab group being edited is
// offered before every command that would drop it: Yes saves it, No shows
// the stored text again.
TEST_F(WholeAssessmentTest, NotepadAndSystemEditsAreOfferedBeforeCommandsThatDropThem)
{
    struct Editor {
        const char* tab;
        const char* editLink; // the group's Edit label, none for the notepad
        const char* memo;
        const char* field;
        QString stored;
    };
    const Editor editors[] = {
        { "TabSheet9", nullptr, "mNotepad", "Notepad", "Notes of A" },
        { "TabSheet8", "hEdit5", "mGroups", "Groups", "" },
    };
    const struct {
        const char* name;
        std::function<void()> run;
    } moves[] = {
        { "tab switch", [this] { showTab("TabSheet1"); } },
        { "Exit", [this] { action("Exit1")->trigger(); } },
        { "Load", [this] { action("LoadfromArchive1")->trigger(); } },
        { "Clear", [this] { action("ClearDatabase1")->trigger(); } },
        { "New", [this] { action("NewDatabase1")->trigger(); } },
    };
    for (const Editor& e : editors) {
        for (const auto& move : moves) {
            for (const bool yes : { true, false }) {
                SCOPED_TRACE(std::string(e.memo) + ", " + move.name + (yes ? ", Yes" : ", No"));
                startOnAssessmentA();
                showTab(e.tab);
                if (e.editLink)
                    click(e.editLink);
                auto* memo = find<QPlainTextEdit>(e.memo);
                memo->setFocus();
                QTest::keyClicks(memo, "typed");
                const QString typed = memo->toPlainText();
                dialogs->answers = { yes, false }; // then No to anything the command asks next
                move.run();

                ASSERT_FALSE(dialogs->questions.isEmpty());
                EXPECT_EQ(dialogs->questions.first(), "Save changes?");
                EXPECT_EQ(dialogs->defaults.first(), Dialogs::Default::Yes);
                EXPECT_EQ(dialogs->questions.count("Save changes?"), 1);
                EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
                EXPECT_EQ(window->assessment().system().text(QString::fromLatin1(e.field)), yes ? typed : e.stored);
                if (!yes && move.name != std::string("Exit")) {
                    EXPECT_EQ(memo->toPlainText(), e.stored);
                }
            }
        }
    }
}

// Showing the System tab reads the settings and writes nothing: a check box
// set from the store is no click.
TEST_F(WholeAssessmentTest, ShowingTheSystemTabWritesNothing)
{
    setField(window->assessment().system(), "AutoControlFile", "controls.xlsx");
    window->assessment().system().edit();
    window->assessment().system().setBoolean("AutoControl", true);
    window->assessment().system().post();
    startWindow();
    const qint64 before = window->assessment().store().totalChanges();
    showTab("TabSheet8");
    showTab("TabSheet9");
    showTab("TabSheet8");
    EXPECT_EQ(window->assessment().store().totalChanges(), before);
    EXPECT_TRUE(find<QCheckBox>("cbAutoControl")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("cbAutoAttribute")->isChecked());
}

// Work not in an archive is offered with a question before Load, Clear and
// New replace it. Cancel, and a cancelled save dialog, stop the command with
// nothing changed; No goes on; Yes saves it first.
TEST_F(WholeAssessmentTest, UnarchivedWorkIsAskedAboutAndCancelChangesNothing)
{
    const QString question = "The assessment has changes that are not archived. Save them to an archive first?";
    const struct {
        const char* name;
        Dialogs::Choice choice;
        QString saveAs; // the save dialog's answer after Yes; "" cancels it
        bool goesOn;
    } answers[] = {
        { "Cancel", Dialogs::Choice::Cancel, {}, false },
        { "Yes, save dialog cancelled", Dialogs::Choice::Yes, {}, false },
        { "No", Dialogs::Choice::No, {}, true },
        { "Yes, saved", Dialogs::Choice::Yes, "saved-a.txt", true },
    };
    for (Command command : { Command::Load, Command::Clear, Command::New }) {
        for (const auto& answer : answers) {
            SCOPED_TRACE(std::string(nameOf(command)) + ", " + answer.name);
            startOnAssessmentA();
            click("hSave0"); // work not in an archive
            const QString saved = answer.saveAs.isEmpty() ? QString() : dir.filePath(answer.saveAs);
            QFile::remove(saved);
            if (command == Command::Load)
                dialogs->files.push_back(archiveB);
            dialogs->choices = { answer.choice };
            if (answer.choice == Dialogs::Choice::Yes)
                dialogs->files.push_back(saved);
            action(actionOf(command))->trigger();

            EXPECT_EQ(dialogs->questions, QStringList { question }); // and no second question
            EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
            EXPECT_EQ(window->assessment().system().text("Assessment"),
                !answer.goesOn                 ? "Assessment A"
                    : command == Command::Load ? "Trace review"
                                               : "");
            EXPECT_EQ(window->assessment().workArchived(), answer.goesOn);
            EXPECT_EQ(QFile::exists(saved), !saved.isEmpty());
        }
    }
}
