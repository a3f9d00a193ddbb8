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
        window->flags().saved = false;
    }
    // What an archive file holds, read back by the reader.
    QStringList requirementIds(const QString& path)
    {
        QStringList ids;
        for (const ArchiveReader::ParsedBlock& b : ArchiveReader::read(path).blocks)
            if (b.block->table == QLatin1String("Requirements"))
                ids << b.values.front();
        return ids;
    }
    void chooseDivision(const QString& division)
    {
        window->rebuildDivisionFilter({ "North", "South" }, true);
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
    EXPECT_TRUE(window->flags().saved);
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
    EXPECT_FALSE(window->flags().saved);
    EXPECT_NE(window->statusText(), kSaveComplete);
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

TEST_F(ArchiveWindowTest, ClearDatabaseSavesUnsavedWorkFirstWithoutAsking)
{
    const struct {
        const char* name;
        QString chosen; // "" cancels the save dialog
        bool written;
    } cases[] = { { "saved", file("before-clear.txt"), true }, { "cancelled", QString(), false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file("before-clear.txt"));
        addWork("Harbour");
        dialogs->files.push_back(c.chosen);
        dialogs->fileRequests.clear();
        action("ClearDatabase1")->trigger();

        EXPECT_TRUE(dialogs->questions.isEmpty());
        EXPECT_EQ(dialogs->fileRequests.size(), 1);
        EXPECT_EQ(QFile::exists(file("before-clear.txt")), c.written);
        if (c.written) {
            EXPECT_EQ(requirementIds(file("before-clear.txt")), (QStringList { "BR-North", "BR-South" }));
        }
        // Clearing goes on in both cases.
        EXPECT_EQ(a().requirements().recordCount(), 0);
        EXPECT_EQ(a().system().text("Assessment"), "");
        EXPECT_TRUE(window->flags().saved);
    }
}

TEST_F(ArchiveWindowTest, FailedSaveStopsClearDatabaseAndKeepsTheWork)
{
    addWork("Harbour");
    const QString path = file("missing-folder/a.txt");
    dialogs->files.push_back(path);
    action("ClearDatabase1")->trigger();

    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.front().contains(path)) << dialogs->errors.front().toStdString();
    EXPECT_EQ(a().requirements().recordCount(), 2);
    EXPECT_EQ(a().system().text("Assessment"), "Harbour");
    EXPECT_FALSE(window->flags().saved);
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

    // Unsaved other work: Load saves it first, then clears, then asks for the file.
    a().clearDatabase();
    addWork("Other");
    dialogs->fileRequests.clear();
    dialogs->files.push_back(file("other.txt"));
    dialogs->files.push_back(file("harbour.txt"));
    action("LoadfromArchive1")->trigger();

    ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    ASSERT_EQ(dialogs->fileRequests.size(), 2);
    EXPECT_EQ(dialogs->fileRequests[0].title, "Save to Archive");
    EXPECT_EQ(dialogs->fileRequests[1].title, "Load from Archive");
    EXPECT_EQ(dialogs->fileRequests[1].defaultSuffix, "txt");
    EXPECT_TRUE(dialogs->fileRequests[1].filter.startsWith("Text files *.txt"))
        << dialogs->fileRequests[1].filter.toStdString();
    EXPECT_EQ(requirementIds(file("other.txt")), (QStringList { "BR-North", "BR-South" }));
    EXPECT_EQ(a().system().text("Assessment"), "Harbour");
    EXPECT_EQ(a().requirements().recordCount(), 2);
    EXPECT_EQ(find<QLabel>("pAssessment")->text(), "Harbour");
    EXPECT_EQ(find<QPlainTextEdit>("mAssessment")->toPlainText(), "Port\nand docks");
    EXPECT_TRUE(window->flags().saved);
    EXPECT_EQ(dialogs->waitDepth, 0);
}

TEST_F(ArchiveWindowTest, LoadOfAFileThatIsNotAnArchiveLeavesTheStoreCleared)
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
    } cases[] = { { "not an archive", file("notes.txt"), { "This is not a saved analysis" } },
        { "open dialog cancelled", QString(), {} } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        addWork("Harbour");
        window->flags().saved = true;
        dialogs->notices.clear();
        dialogs->files.push_back(c.chosen);
        action("LoadfromArchive1")->trigger();
        EXPECT_EQ(dialogs->notices, c.notices);
        EXPECT_TRUE(dialogs->errors.isEmpty());
        EXPECT_EQ(a().requirements().recordCount(), 0);
        EXPECT_EQ(find<QLabel>("pAssessment")->text(), "");
        EXPECT_TRUE(window->flags().saved);
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
