// Save to Archive and Load from Archive through the window's menu, and the
// saves that Clear Database and closing the window run.
#include "archive/archive_reader.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

const QString kSaveComplete = QStringLiteral("Save complete           ");

}

class ArchiveWindowTest : public WindowFixture {
protected:
    Assessment& a() { return window->assessment(); }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Work that is not yet in an archive.
    void addWork(const QString& name)
    {
        Table& sys = a().system();
        sys.edit();
        sys.setText("Assessment", name);
        sys.setText("Divisions", "North\r\nSouth\r\n");
        sys.post();
        for (const char* division : { "North", "South" }) {
            Table& r = a().requirements();
            r.append();
            r.setText("RSeq", QStringLiteral("BR-%1").arg(QString::fromLatin1(division)));
            r.setText("Division", QString::fromLatin1(division));
            r.post();
            Table& d = a().drivers();
            d.append();
            d.setText("CSeq", QStringLiteral("BD-%1").arg(QString::fromLatin1(division)));
            d.setText("Division", QString::fromLatin1(division));
            d.post();
        }
        window->assessment().setWorkArchived(false);
    }
    // What an archive file holds, read back by the reader.
    QStringList requirementIds(const QString& path)
    {
        QStringList ids;
        for (const ArchiveReader::ParsedBlock& b : ArchiveReader::read(path).blocks)
            if (b.block->table == QLatin1String("Requirements"))
                ids << QString::fromUtf8(b.values.front());
        return ids;
    }
    void chooseDivision(const QString& division)
    {
        window->rebuildDivisionFilter({ "North", "South" });
        window->divisionFilterBox()->setCurrentText(division);
        ASSERT_TRUE(a().requirements().filtered());
        ASSERT_EQ(a().requirements().recordCount(), 1);
    }
};

TEST_F(ArchiveWindowTest, SaveLiftsTheDivisionFilterAndWritesEveryRecord)
{
    addWork("Harbour: A/B");
    chooseDivision("North");
    dialogs->files.push_back(file("saved.txt"));
    action("SavetoArchive1")->trigger();

    ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    const Dialogs::FileRequest& request = dialogs->fileRequests.front();
    EXPECT_EQ(request.proposedName, "Harbour_ A_B.txt");
    EXPECT_EQ(request.defaultSuffix, "txt");
    EXPECT_TRUE(request.filter.startsWith("Text files (*.txt")) << request.filter.toStdString();
    EXPECT_EQ(requirementIds(file("saved.txt")), (QStringList { "BR-North", "BR-South" }));
    EXPECT_EQ(window->divisionFilterBox()->currentText(), "All");
    EXPECT_FALSE(a().requirements().filtered());
    EXPECT_FALSE(a().drivers().filtered());
    EXPECT_EQ(a().drivers().currentRow(), 0);
    EXPECT_EQ(window->statusText(), kSaveComplete);
    EXPECT_TRUE(window->assessment().workArchived());
    EXPECT_TRUE(dialogs->questions.isEmpty());
    EXPECT_EQ(dialogs->waitDepth, 0);
}

TEST_F(ArchiveWindowTest, CancelledSaveWritesNothingButStillShowsAll)
{
    addWork("Harbour");
    chooseDivision("South");
    action("SavetoArchive1")->trigger(); // no file scripted: cancelled

    EXPECT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(window->divisionFilterBox()->currentText(), "All");
    EXPECT_FALSE(a().requirements().filtered());
    EXPECT_EQ(a().requirements().recordCount(), 2);
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_NE(window->statusText(), kSaveComplete);
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

// A value the format cannot keep is named and the save asks: No saves
// nothing, Yes writes the archive as it is. An empty name proposes a file
// the Load dialog lists.
TEST_F(ArchiveWindowTest, AValueTheFormatCannotKeepIsAskedAbout)
{
    addWork("");
    Table& d = a().drivers();
    d.first();
    d.edit();
    d.setText("Requirement", "BR-North: x\r\n</DriverRecord>\r\nBR-South: y");
    d.post();

    dialogs->answers = { false };
    action("SavetoArchive1")->trigger();
    ASSERT_EQ(dialogs->questions.size(), 1);
    EXPECT_TRUE(dialogs->questions.first().contains(
        QStringLiteral("Drivers record \"BD-North\", field Requirement: a line \"</DriverRecord>\" cannot be kept")))
        << dialogs->questions.first().toStdString();
    EXPECT_TRUE(dialogs->fileRequests.empty());
    EXPECT_FALSE(a().workArchived());

    dialogs->answers = { true };
    dialogs->files.push_back(file("anyway.txt"));
    action("SavetoArchive1")->trigger();
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests.front().proposedName, "Assessment.txt");
    EXPECT_TRUE(QFile::exists(file("anyway.txt")));
    EXPECT_EQ(window->statusText(), kSaveComplete);
}

// Work not in an archive is offered for saving first; work already archived
// needs the analyst's Yes, which Enter does not give.
TEST_F(ArchiveWindowTest, ClearDatabaseOffersTheArchiveOrAsksBeforeClearing)
{
    const QString unarchived = "The assessment has changes that are not archived. Save them to an archive first?";
    const struct {
        const char* name;
        bool archived; // the work is in an archive already: no save offered
        QString chosen; // "" cancels the save dialog
        bool clear; // the answer to "Clear the whole assessment?"
        bool cleared;
    } cases[] = { { "saved", false, file("before-clear.txt"), false, true },
        { "save cancelled", false, QString(), false, false }, { "archived, Yes", true, QString(), true, true },
        { "archived, No", true, QString(), false, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file("before-clear.txt"));
        a().clearDatabase();
        addWork("Harbour");
        window->assessment().setWorkArchived(c.archived);
        if (!c.archived) {
            dialogs->choices = { Dialogs::Choice::Yes };
            dialogs->files.push_back(c.chosen);
        }
        dialogs->fileRequests.clear();
        dialogs->questions.clear();
        dialogs->defaults.clear();
        dialogs->answers = { c.clear };
        action("ClearDatabase1")->trigger();

        EXPECT_EQ(dialogs->fileRequests.size(), c.archived ? 0 : 1);
        EXPECT_EQ(dialogs->questions, QStringList { c.archived ? "Clear the whole assessment?" : unarchived });
        if (c.archived) {
            EXPECT_EQ(dialogs->defaults, QList<Dialogs::Default> { Dialogs::Default::No });
        }
        const bool written = !c.archived && !c.chosen.isEmpty();
        EXPECT_EQ(QFile::exists(file("before-clear.txt")), written);
        if (written) {
            EXPECT_EQ(requirementIds(file("before-clear.txt")), (QStringList { "BR-North", "BR-South" }));
        }
        EXPECT_EQ(a().requirements().recordCount(), c.cleared ? 0 : 2);
        EXPECT_EQ(a().system().text("Assessment"), c.cleared ? "" : "Harbour");
        EXPECT_EQ(window->assessment().workArchived(), c.cleared || c.archived);
    }
}

TEST_F(ArchiveWindowTest, FailedSaveStopsClearDatabaseAndKeepsTheWork)
{
    addWork("Harbour");
    const QString path = file("missing-folder/a.txt");
    dialogs->choices = { Dialogs::Choice::Yes };
    dialogs->files.push_back(path);
    action("ClearDatabase1")->trigger();

    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.front().contains(path)) << dialogs->errors.front().toStdString();
    EXPECT_EQ(a().requirements().recordCount(), 2);
    EXPECT_EQ(a().system().text("Assessment"), "Harbour");
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_NE(window->statusText(), kSaveComplete);
}

TEST_F(ArchiveWindowTest, ClosingWithUnsavedWorkOffersTheSave)
{
    const struct {
        const char* name;
        bool yes;
        QString chosen;
        bool written;
    } cases[] = { { "yes and save", true, file("on-close.txt"), true }, { "yes then cancel", true, QString(), false },
        { "no", false, file("on-close.txt"), false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file("on-close.txt"));
        startWindow();
        addWork("Harbour");
        dialogs->answers.push_back(c.yes);
        dialogs->files.push_back(c.chosen);
        EXPECT_TRUE(window->close());
        EXPECT_EQ(dialogs->questions, QStringList { "Database not saved - save it?" });
        EXPECT_EQ(QFile::exists(file("on-close.txt")), c.written);
        EXPECT_FALSE(window->isVisible());
        // The store keeps the work for the next start.
        startWindow();
        EXPECT_EQ(a().requirements().recordCount(), 2);
        a().clearDatabase();
    }
}

TEST_F(ArchiveWindowTest, LoadReplacesTheAssessmentAndShowsIt)
{
    addWork("Harbour");
    Table& sys = a().system();
    sys.edit();
    sys.setText("Description", "Port\r\nand docks");
    sys.post();
    dialogs->files.push_back(file("harbour.txt"));
    ASSERT_TRUE(window->saveToArchive());

    // Unsaved other work: Load asks for the file first, reads it, then offers
    // the other work for saving, and only then replaces the assessment.
    a().clearDatabase();
    addWork("Other");
    dialogs->fileRequests.clear();
    dialogs->files.push_back(file("harbour.txt"));
    dialogs->choices = { Dialogs::Choice::Yes };
    dialogs->files.push_back(file("other.txt"));
    action("LoadfromArchive1")->trigger();

    ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    ASSERT_EQ(dialogs->fileRequests.size(), 2);
    EXPECT_EQ(dialogs->fileRequests[0].title, "Load from Archive");
    EXPECT_EQ(dialogs->fileRequests[0].defaultSuffix, "txt");
    EXPECT_TRUE(dialogs->fileRequests[0].filter.startsWith("Text files *.txt"))
        << dialogs->fileRequests[0].filter.toStdString();
    EXPECT_EQ(dialogs->fileRequests[1].title, "Save to Archive");
    EXPECT_EQ(dialogs->questions,
        QStringList { "The assessment has changes that are not archived. Save them to an archive first?" });
    EXPECT_EQ(requirementIds(file("other.txt")), (QStringList { "BR-North", "BR-South" }));
    EXPECT_EQ(a().system().text("Assessment"), "Harbour");
    EXPECT_EQ(a().requirements().recordCount(), 2);
    EXPECT_EQ(find<QLabel>("pAssessment")->text(), "Harbour");
    EXPECT_EQ(find<QPlainTextEdit>("mAssessment")->toPlainText(), "Port\nand docks");
    EXPECT_TRUE(window->assessment().workArchived());
    EXPECT_EQ(dialogs->waitDepth, 0);
}

// The file is chosen and checked before anything else: Cancel, a file that
// is not an archive and one that cannot be read leave the store untouched,
// and the unsaved work is not even offered for saving.
TEST_F(ArchiveWindowTest, LoadThatIsCancelledOrGivenNoArchiveLeavesTheStoreUntouched)
{
    {
        QFile f(file("notes.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Shopping list\r\n<Analysis>\r\n");
    }
    const struct {
        const char* name;
        QString chosen;
        QStringList notices;
        int errors;
    } cases[] = {
        { "not an archive", file("notes.txt"),
            { "This is not a saved analysis: '" + file("notes.txt") + "' does not begin with the line <Analysis>." },
            0 },
        { "open dialog cancelled", QString(), {}, 0 }, { "missing file", file("gone.txt"), {}, 1 }
    };
    addWork("Harbour");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs->notices.clear();
        dialogs->errors.clear();
        dialogs->fileRequests.clear();
        dialogs->files.push_back(c.chosen);
        action("LoadfromArchive1")->trigger();
        EXPECT_EQ(dialogs->notices, c.notices);
        EXPECT_EQ(dialogs->errors.size(), c.errors);
        EXPECT_EQ(dialogs->fileRequests.size(), 1);
        EXPECT_EQ(a().requirements().recordCount(), 2);
        EXPECT_EQ(a().system().text("Assessment"), "Harbour");
        EXPECT_FALSE(window->assessment().workArchived());
    }
}

TEST_F(ArchiveWindowTest, LoadOfATruncatedFileLoadsNothingOfItAndSaysWhere)
{
    {
        QFile f(file("cut.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<Analysis>\r\n<Title>\r\nCut\r\n</Title>\r\n<RequirementRecord>\r\nBR1\r\n");
    }
    dialogs->files.push_back(file("cut.txt"));
    action("LoadfromArchive1")->trigger();
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.front().contains("ends early: it stops after line 6"))
        << dialogs->errors.front().toStdString();
    EXPECT_NE(a().system().text("Assessment"), "Cut");
    EXPECT_EQ(a().requirements().recordCount(), 0);
    EXPECT_NE(find<QLabel>("pAssessment")->text(), "Cut");
}
