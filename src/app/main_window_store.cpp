#include "app/main_window.h"

#include "app/store_problem_bar.h"
#include "gui/tab_page.h"
#include "viewers/picture_window.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QTabWidget>

// Which store the window works on: opening another one, and the window
// without a store when one could not be opened.

namespace {

const QString kCaption = QStringLiteral("Meridal Quarrix v2.1");

Dialogs::FileRequest storeRequest(const QString& title)
{
    Dialogs::FileRequest request;
    request.title = title;
    request.filter = QStringLiteral("Quarrix stores (*.mdb);;All files (*)");
    request.defaultSuffix = QStringLiteral("mdb");
    return request;
}

}

QString MainWindow::storeProblem() const
{
    return m_storeBar->isVisibleTo(this) ? m_storeBar->text() : QString();
}

bool MainWindow::switchToStore(const QString& path, bool create)
{
    if (storeIsOpen() && !offerPendingEdits())
        return false;
    if (!create && !QFileInfo::exists(path)) {
        m_dialogs->error(QStringLiteral("The store '%1' does not exist.").arg(path));
        return false;
    }
    closeStore();
    buildTabs();
    connectTabs();
    startUp(path);
    m_taxonomy->refreshPicture();
    if (storeIsOpen())
        setStatus(QStringLiteral("Store opened            "));
    return storeIsOpen();
}

void MainWindow::chooseStoreToOpen()
{
    const QString path = m_dialogs->openFile(storeRequest(QStringLiteral("Open Store")));
    if (!path.isEmpty())
        switchToStore(path, false);
}

// A new store is made only where no file is: an existing file may hold an
// assessment, and Open Store... opens it.
void MainWindow::chooseNewStore()
{
    Dialogs::FileRequest request = storeRequest(QStringLiteral("New Store"));
    request.proposedName = QStringLiteral("Quarrix.mdb");
    const QString path = m_dialogs->saveFile(request);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)) {
        m_dialogs->error(QStringLiteral("The file '%1' already exists. Choose File > Open Store... to open it, "
                                        "or give the new store another name.")
                             .arg(path));
        return;
    }
    switchToStore(path, true);
}

void MainWindow::closeStore()
{
    delete m_traceWindow;
    m_tabs.clear();
    m_pageShown = nullptr;
    delete m_pages;
    m_pages = nullptr;
    m_project = nullptr;
    m_assessment = std::make_unique<Assessment>();
    m_divisionApplied = QStringLiteral("All");
}

namespace {

// What the analyst is told of a store that could not be opened: the kind of
// problem in plain words, and what to do about it.
struct ProblemWords {
    QString what;
    QString toDo;
    bool retry; // Try Again may help
};

ProblemWords wordsFor(StoreProblem problem)
{
    const QString other = QStringLiteral("or open or create another store.");
    switch (problem) {
    case StoreProblem::Locked:
        return { QStringLiteral("The store is locked by another program."),
            QStringLiteral("Wait until the other program has finished with it, or close it, and choose Try Again; ")
                + other,
            true };
    case StoreProblem::CannotCreate:
        return { QStringLiteral("The store could not be created there."),
            QStringLiteral("Choose New Store... to create it in a folder where you may write, or Open Store... to "
                           "open an existing store."),
            true };
    case StoreProblem::NotAStore:
        return { QStringLiteral("The file is not a Quarrix store."),
            QStringLiteral("Choose Open Store... to open a store, or New Store... to create one under another name."),
            false };
    case StoreProblem::Unfinished:
        return { QStringLiteral("The store file holds no assessment: creating it did not finish."),
            QStringLiteral("Choose Try Again to create a new store in its place, ") + other, true };
    case StoreProblem::Damaged:
        return { QStringLiteral("The store is damaged."),
            QStringLiteral("Choose New Store... and load your latest archive into it, or open another store."), false };
    case StoreProblem::DiskFull:
        return { QStringLiteral("The disk is full."),
            QStringLiteral("Make room on the disk and choose Try Again, ") + other, true };
    case StoreProblem::ReadOnlyFile:
    case StoreProblem::ReadOnlyFolder:
        return { QStringLiteral("The store may not be written."),
            QStringLiteral("Make it writable and choose Try Again, ") + other, true };
    default:
        return { QStringLiteral("The store could not be read."),
            QStringLiteral("Check that the file may be read and choose Try Again, ") + other, true };
    }
}

}

// The window stays, without a store: every tab is disabled so that nothing
// reaches the editors, and the bar says what happened and what to do.
void MainWindow::showStoreProblem(const StoreCondition& failure)
{
    const ProblemWords words = wordsFor(failure.problem);
    m_storeBar->showProblem(QStringLiteral("%1\n%2\n%3").arg(words.what, failure.message, words.toDo), words.retry);
    setStatus(failure.message.section(QLatin1Char('\n'), 0, 0));
    showStoreState();
}

// The title always names the store, and says when it can only be read; the
// bar then tells why. A store read only takes no command that replaces the
// assessment; Save to Archive still keeps what it holds.
void MainWindow::showStoreState()
{
    const bool open = storeIsOpen();
    const bool readOnly = open && storeIsReadOnly();
    setWindowTitle(
        QStringLiteral("%1%2 - %3")
            .arg(QFileInfo(m_storePath).fileName(), readOnly ? QStringLiteral(" (read-only)") : QString(), kCaption));
    setWindowFilePath(m_storePath);
    if (readOnly)
        m_storeBar->showReadOnly(QStringLiteral("Read-only: %1\nYou can look at the assessment and save it to an "
                                                "archive. To work on it, make the store writable and open it again, "
                                                "or open or create another store.")
                                     .arg(m_assessment->readOnlyReason().message));
    else if (open)
        m_storeBar->hide();
    m_pages->setEnabled(open);
    m_division->setEnabled(open);
    for (QAction* command : m_storeCommands)
        command->setEnabled(open && (!readOnly || command->objectName() == QLatin1String("SavetoArchive1")));
}
