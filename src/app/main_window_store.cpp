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

// The window stays, without a store: every tab is disabled so that nothing
// reaches the editors, and the bar says what happened and what to do.
void MainWindow::showStoreProblem(const QString& message)
{
    const QString text = QStringLiteral("The store could not be opened, so the assessment cannot be shown.\n%1\n"
                                        "Close any other program that uses it and choose Try Again, or open or "
                                        "create another store.")
                             .arg(message);
    m_storeBar->showProblem(text, true);
    setStatus(message.section(QLatin1Char('\n'), 0, 0));
    showStoreState();
}

void MainWindow::showStoreState()
{
    const bool open = storeIsOpen();
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(m_storePath).fileName(), kCaption));
    setWindowFilePath(m_storePath);
    if (open)
        m_storeBar->hide();
    m_pages->setEnabled(open);
    m_division->setEnabled(open);
    for (QAction* command : m_storeCommands)
        command->setEnabled(open);
}
