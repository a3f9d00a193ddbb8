#include "gui/dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QUrl>

bool WidgetDialogs::ask(const QString& question, Default byDefault)
{
    return QMessageBox::question(m_parent, QApplication::applicationName(), question,
               QMessageBox::Yes | QMessageBox::No, byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No)
        == QMessageBox::Yes;
}

void WidgetDialogs::notice(const QString& text)
{
    QMessageBox::information(m_parent, QApplication::applicationName(), text);
}

void WidgetDialogs::error(const QString& message)
{
    QMessageBox::critical(m_parent, QApplication::applicationName(), message);
}

QString WidgetDialogs::openFile(const FileRequest& request)
{
    QFileDialog dialog(m_parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString WidgetDialogs::saveFile(const FileRequest& request)
{
    QFileDialog dialog(m_parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without a suffix gets the one of the kind of file chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
        const QRegularExpressionMatch suffix = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (!request.defaultSuffix.isEmpty() && suffix.hasMatch())
            dialog.setDefaultSuffix(suffix.captured(1));
    });
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool WidgetDialogs::print(QPrinter& printer)
{
    QPrintDialog dialog(&printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

void WidgetDialogs::openDocument(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void WidgetDialogs::beginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetDialogs::endWait()
{
    QApplication::restoreOverrideCursor();
}
