// Where the file dialogs open: per kind of file, the folder last chosen, else
// the folder of the store, never the program's own data folder by default.
#include "files/data_folder.h"
#include "gui/dialogs.h"
#include "gui/file_folders.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FileFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
        QSettings(QStringLiteral("Quarrix"), QStringLiteral("Quarrix")).remove(QStringLiteral("Folders"));
        ASSERT_TRUE(store.isValid() && chosen.isValid());
    }
    void TearDown() override
    {
        QSettings(QStringLiteral("Quarrix"), QStringLiteral("Quarrix")).remove(QStringLiteral("Folders"));
    }

    QTemporaryDir store;
    QTemporaryDir chosen;
};

TEST_F(FileFoldersTest, EachKindOpensWhereItWasLastChosenElseInTheFolderOfTheStore)
{
    FileFolders folders(store.path());
    const FileKind kinds[]
        = { FileKind::Archive, FileKind::Report, FileKind::Export, FileKind::CatalogueSet, FileKind::Other };
    for (FileKind kind : kinds)
        for (bool saving : { false, true })
            EXPECT_EQ(folders.folderFor(kind, saving), store.path()) << int(kind) << saving;

    // A report saved elsewhere moves reports only; Other is never remembered.
    folders.remember(FileKind::Report, chosen.filePath(QStringLiteral("review.docx")));
    folders.remember(FileKind::Other, chosen.filePath(QStringLiteral("any.txt")));
    for (FileKind kind : kinds)
        EXPECT_EQ(folders.folderFor(kind, true), kind == FileKind::Report ? chosen.path() : store.path()) << int(kind);

    // The memory outlives the object (it is the user's setting), and a folder
    // that has gone since falls back to the store's.
    EXPECT_EQ(FileFolders(store.path()).folderFor(FileKind::Report, false), chosen.path());
    folders.remember(FileKind::Archive, QDir(chosen.path()).filePath(QStringLiteral("gone/a.txt")));
    EXPECT_EQ(folders.folderFor(FileKind::Archive, false), store.path());
}

TEST_F(FileFoldersTest, TheProgramsDataFolderIsNeverTheDefaultNorWhereASaveOpens)
{
    const QString data = DataFolder::path();
    ASSERT_TRUE(QFileInfo(data).isDir()) << data.toStdString();

    // A store among the program's own files: the analyst's home instead.
    for (bool saving : { false, true })
        EXPECT_EQ(FileFolders(data).folderFor(FileKind::CatalogueSet, saving), QDir::homePath()) << saving;

    // A starter set imported from there: later imports open there too, but
    // an export or report never does.
    FileFolders folders(store.path());
    for (FileKind kind : { FileKind::CatalogueSet, FileKind::Export })
        folders.remember(kind, QDir(data).filePath(QStringLiteral("starter.xlsx")));
    EXPECT_EQ(QDir(folders.folderFor(FileKind::CatalogueSet, false)).canonicalPath(), QDir(data).canonicalPath());
    EXPECT_EQ(folders.folderFor(FileKind::Export, true), store.path());
}

// The program's file dialog opens in the kind's folder and remembers the
// folder of the file chosen in it.
TEST_F(FileFoldersTest, TheWindowsFileDialogOpensThereAndRemembersTheChoice)
{
    QWidget owner;
    WidgetDialogs dialogs(&owner, store.path());
    Dialogs::FileRequest request;
    request.filter = QStringLiteral("Excel files (*.xlsx)");
    request.defaultSuffix = QStringLiteral("xlsx");
    request.kind = FileKind::Export;
    QString openedIn;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        openedIn = dialog->directory().path();
        dialog->setDirectory(chosen.path());
        dialog->selectFile(QStringLiteral("export"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(QFileInfo(dialogs.saveFile(request)).fileName(), QStringLiteral("export.xlsx"));
    EXPECT_EQ(QDir(openedIn).canonicalPath(), QDir(store.path()).canonicalPath());
    EXPECT_EQ(FileFolders(store.path()).folderFor(FileKind::Export, true), chosen.path());
}

}
