#pragma once

#include "gui/file_folders.h"
#include "gui/file_kind.h"
#include "store/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QStringList>

class QPrinter;
class QUrl;
class QWidget;

// Every question, notice, file dialog, print dialog, help request and the wait
// cursor go through this interface, owned by the main window. The program
// uses WidgetDialogs; tests use a scripted implementation that answers in
// order and records what was asked.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The button that Enter presses in a question.
    enum class Default { No, Yes };
    // A confirmation box with Yes and No; true for Yes. A question whose Yes
    // keeps the analyst's work ("Save changes?") defaults to Yes; one whose
    // Yes loses something defaults to No.
    virtual bool ask(const QString& question, Default byDefault = Default::No) = 0;
    // A question with Yes, No and Cancel, for a command that may first keep
    // something (Yes), go on without it (No) or not run at all (Cancel,
    // the default, and what closing the box means).
    enum class Choice { Yes, No, Cancel };
    virtual Choice askYesNoCancel(const QString& question) = 0;
    // A plain box with OK.
    virtual void notice(const QString& text) = 0;
    // An error raised inside a command, shown with its message.
    virtual void error(const QString& message) = 0;

    // What a file dialog is for. The window's dialogs open each kind in the
    // folder last chosen for it (gui/file_folders.h).
    using FileKind = ::FileKind;

    struct FileRequest {
        QString title;
        QString filter; // Qt form: "Archive files (*.txt);;All files (*)"
        QString defaultSuffix; // without dot
        QString proposedName; // proposed path or file name
        FileKind kind = FileKind::Other;
    };
    // Empty text means the analyst cancelled.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;
    // Shows the print dialog for the printer; false means cancelled.
    virtual bool print(QPrinter& printer) = 0;
    // Shows the user guide (a local file) in the program's help window, at
    // the section the URL's fragment names.
    virtual void openDocument(const QUrl& url) = 0;

    // The folder of the store the window works on: where file dialogs open
    // a kind of file the first time, and where the print dialog proposes a file.
    virtual void setStoreFolder(const QString& folder) { Q_UNUSED(folder); }

    virtual void beginWait() = 0;
    virtual void endWait() = 0;
    // How far the command that shows the hourglass is. A program shows a
    // progress dialog once the command has run for half a second; it closes
    // when the hourglass goes.
    virtual void progress(const QString& phase, qint64 done, qint64 total) = 0;
};

// Shows the hourglass for the life of the object and restores the cursor
// after; what the core reports of its progress meanwhile goes to the dialogs.
class WaitCursor : private Progress::Reporter {
public:
    explicit WaitCursor(Dialogs& dialogs)
        : m_dialogs(dialogs)
        , m_scope(*this)
    {
        m_dialogs.beginWait();
    }
    ~WaitCursor() override { m_dialogs.endWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    void report(const QString& phase, qint64 done, qint64 total) override { m_dialogs.progress(phase, done, total); }

    Dialogs& m_dialogs;
    Progress::Scope m_scope;
};

// The dialogs of the program. File dialogs open in the folders that
// FileFolders keeps; storeFolder is where a kind opens the first time.
class WidgetDialogs : public Dialogs {
public:
    explicit WidgetDialogs(QWidget* parent, const QString& storeFolder = {})
        : m_parent(parent)
        , m_folders(storeFolder)
    {
    }
    bool ask(const QString& question, Default byDefault) override;
    Choice askYesNoCancel(const QString& question) override;
    void notice(const QString& text) override;
    void error(const QString& message) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    bool print(QPrinter& printer) override;
    void openDocument(const QUrl& url) override;
    void setStoreFolder(const QString& folder) override { m_folders = FileFolders(folder); }
    void beginWait() override;
    void endWait() override;
    void progress(const QString& phase, qint64 done, qint64 total) override;

private:
    QString fileDialog(const FileRequest& request, bool saving);

    QWidget* m_parent;
    FileFolders m_folders;
    int m_waitDepth = 0;
    QElapsedTimer m_waiting; // since the outermost hourglass began
    QPointer<QProgressDialog> m_progress;
    QPointer<QWidget> m_help; // the help window, made on first use
};
