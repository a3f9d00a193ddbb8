#pragma once

#include "gui/dialogs.h"

#include <QStringList>
#include <QUrl>
#include <deque>

// Answers the window's questions and dialogs from a script, in order, and
// records everything it was asked. An unscripted question answers No, an
// unscripted file dialog is cancelled; both are recorded.
class ScriptedDialogs : public Dialogs {
public:
    std::deque<bool> answers; // for ask()
    std::deque<Choice> choices; // for askYesNoCancel(); unscripted: Cancel
    std::deque<QString> files; // for openFile() and saveFile(); "" cancels
    std::deque<bool> printAnswers; // for print()
    QString printToPdf; // print() sends pages to this PDF file when set

    QStringList questions; // every ask() and askYesNoCancel(), in order
    QList<Default> defaults; // the default button of every ask(), in the same order
    QStringList notices; // every notice()
    QStringList errors; // every error()
    QList<FileRequest> fileRequests; // every openFile()/saveFile()
    QList<QUrl> openedDocuments; // every openDocument()
    int waitDepth = 0; // beginWait() minus endWait()
    int waitCount = 0; // beginWait() calls
    QStringList progressPhases; // the phases progress() was told, each run of one phase once

    bool ask(const QString& question, Default byDefault) override;
    Choice askYesNoCancel(const QString& question) override;
    void notice(const QString& text) override { notices << text; }
    void error(const QString& message) override { errors << message; }
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    bool print(QPrinter& printer) override;
    void openDocument(const QUrl& url) override { openedDocuments << url; }
    void beginWait() override
    {
        ++waitDepth;
        ++waitCount;
    }
    void endWait() override { --waitDepth; }
    void progress(const QString& phase, qint64, qint64) override
    {
        if (progressPhases.isEmpty() || progressPhases.last() != phase)
            progressPhases << phase;
    }
};
