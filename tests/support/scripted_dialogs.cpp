#include "support/scripted_dialogs.h"

#include <QPrinter>

bool ScriptedDialogs::ask(const QString& question, Default byDefault)
{
    questions << question;
    defaults << byDefault;
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

Dialogs::Choice ScriptedDialogs::askYesNoCancel(const QString& question)
{
    questions << question;
    defaults << Default::No;
    if (choices.empty())
        return Choice::Cancel;
    const Choice choice = choices.front();
    choices.pop_front();
    return choice;
}

QString ScriptedDialogs::openFile(const FileRequest& request)
{
    fileRequests << request;
    if (files.empty())
        return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedDialogs::saveFile(const FileRequest& request)
{
    return openFile(request);
}

bool ScriptedDialogs::print(QPrinter& printer)
{
    bool answer = !printToPdf.isEmpty();
    if (!printAnswers.empty()) {
        answer = printAnswers.front();
        printAnswers.pop_front();
    }
    if (answer && !printToPdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPdf);
    }
    return answer;
}
