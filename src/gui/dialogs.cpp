#include "gui/dialogs.h"

#include "viewers/help_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

bool WidgetDialogs::ask(const QString& question, Default byDefault)
{
    return QMessageBox::question(m_parent, QApplication::applicationName(), question,
               QMessageBox::Yes | QMessageBox::No, byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No)
        == QMessageBox::Yes;
}

Dialogs::Choice WidgetDialogs::askYesNoCancel(const QString& question)
{
    switch (QMessageBox::question(m_parent, QApplication::applicationName(), question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Choice::Yes;
    case QMessageBox::No:
        return Choice::No;
    default:
        return Choice::Cancel;
    }
}

void WidgetDialogs::notice(const QString& text)
{
    QMessageBox::information(m_parent, QApplication::applicationName(), text);
}

void WidgetDialogs::error(const QString& message)
{
    QMessageBox::critical(m_parent, QApplication::applicationName(), message);
}

QString WidgetDialogs::fileDialog(const FileRequest& request, bool saving)
{
    QFileDialog dialog(m_parent, request.title, m_folders.folderFor(request.kind, saving), request.filter);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!saving)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without a suffix gets the one of the kind of file chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
        const QRegularExpressionMatch suffix = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (!request.defaultSuffix.isEmpty() && suffix.hasMatch())
            dialog.setDefaultSuffix(suffix.captured(1));
    });
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.selectedFiles().value(0);
    m_folders.remember(request.kind, chosen);
    return chosen;
}

QString WidgetDialogs::openFile(const FileRequest& request)
{
    return fileDialog(request, false);
}

QString WidgetDialogs::saveFile(const FileRequest& request)
{
    return fileDialog(request, true);
}

bool WidgetDialogs::print(QPrinter& printer)
{
    // With no printer installed the dialog can only print to a file; it is
    // proposed in the store's folder, as the other file dialogs open there.
    if (printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinterNames().isEmpty()) {
        const QString name = printer.docName().isEmpty() ? QStringLiteral("Quarrix") : printer.docName();
        printer.setOutputFileName(
            QDir(m_folders.folderFor(FileKind::Other, true)).filePath(name + QStringLiteral(".pdf")));
    }
    QPrintDialog dialog(&printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

void WidgetDialogs::openDocument(const QUrl& url)
{
    if (!m_help)
        m_help = new HelpWindow(m_parent);
    static_cast<HelpWindow*>(m_help.data())->showGuide(url);
}

void WidgetDialogs::beginWait()
{
    if (m_waitDepth++ == 0)
        m_waiting.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetDialogs::endWait()
{
    QApplication::restoreOverrideCursor();
    if (--m_waitDepth == 0 && m_progress)
        delete m_progress.data();
}

void WidgetDialogs::progress(const QString& phase, qint64 done, qint64 total)
{
    // Short commands finish before anything is shown.
    if (!m_progress && m_waiting.elapsed() < 500)
        return;
    if (!m_progress) {
        m_progress = new QProgressDialog(m_parent);
        m_progress->setObjectName(QStringLiteral("progressDialog"));
        m_progress->setWindowTitle(QStringLiteral("Quarrix"));
        m_progress->setCancelButton(nullptr);
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumWidth(360);
    }
    m_progress->setLabelText(phase + QStringLiteral("..."));
    // A value beyond int's range is shown in thousandths of the whole.
    const bool scaled = total > 1'000'000;
    m_progress->setMaximum(total <= 0 ? 0 : scaled ? 1000 : int(total));
    m_progress->setValue(total <= 0 ? 0 : scaled ? int(done * 1000 / total) : int(std::min(done, total)));
    m_progress->show();
    // Paint it; the analyst's input waits until the command ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
