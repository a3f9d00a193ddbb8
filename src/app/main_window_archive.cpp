#include "app/main_window.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "store/quarrix_error.h"

#include <QComboBox>
#include <QSignalBlocker>

// Save to Archive and Load from Archive.

bool MainWindow::saveToArchive()
{
    if (!offerPendingEdits())
        return false;
    WaitCursor wait(dialogs());

    // Every record is archived: a chosen division is lifted first, and the
    // box goes back to "All" (even when the analyst then cancels).
    QComboBox* box = divisionFilterBox();
    if (box->currentText() != QLatin1String("All")) {
        {
            const QSignalBlocker block(box);
            const int all = box->findText(QStringLiteral("All"));
            if (all >= 0)
                box->setCurrentIndex(all);
            box->setEditText(QStringLiteral("All"));
        }
        applyDivisionFilter();
    }

    const QStringList unkept = ArchiveWriter::unkeptValues(assessment());
    if (!unkept.isEmpty() && !dialogs().ask(ArchiveWriter::unkeptQuestion(unkept)))
        return false;

    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save to Archive");
    request.filter = QStringLiteral("Text files (*.txt *.TXT)");
    request.defaultSuffix = QStringLiteral("txt");
    request.proposedName = ArchiveWriter::proposedFileName(assessment().system().text(QStringLiteral("Assessment")));
    request.kind = Dialogs::FileKind::Archive;
    const QString path = dialogs().saveFile(request);
    if (path.isEmpty())
        return false;

    ArchiveWriter::save(assessment(), path);
    setStatus(QStringLiteral("Save complete           "));
    assessment().setWorkArchived(true);
    return true;
}

QString MainWindow::askArchiveToOpen(const QString& title)
{
    Dialogs::FileRequest request;
    request.title = title;
    request.filter = QStringLiteral("Text files *.txt (*.txt *.TXT)");
    request.defaultSuffix = QStringLiteral("txt");
    request.kind = Dialogs::FileKind::Archive;
    return dialogs().openFile(request);
}

// The file is chosen and read through first: Cancel, a file that cannot be
// read or one that is not an archive leave the store as it was. Only then is
// work not in an archive offered for saving (Cancel there, or in the save
// dialog, stops too), and the store replaced while the file is read again, a
// stretch at a time.
void MainWindow::loadFromArchive()
{
    if (!offerPendingEdits())
        return;
    const QString path = askArchiveToOpen(QStringLiteral("Load from Archive"));
    if (path.isEmpty())
        return;

    bool isArchive = false;
    {
        WaitCursor wait(dialogs());
        // A file that cannot be read, ends early or holds a bad value or
        // byte raises here, before the store is touched.
        isArchive = ArchiveReader::check(path);
    }
    if (!isArchive) {
        setStatus(ArchiveReader::kNotAnArchive);
        dialogs().notice(ArchiveReader::notAnArchive(path));
        return;
    }
    if (!offerArchiveFirst())
        return;
    {
        WaitCursor wait(dialogs());
        // Read again as it is written; a file changed in between is checked
        // again and, if no longer sound, leaves the store as it was.
        if (!ArchiveReader::load(assessment(), path)) {
            setStatus(ArchiveReader::kNotAnArchive);
            dialogs().notice(ArchiveReader::notAnArchive(path));
            return;
        }
        assessment().setWorkArchived(true);
    }
    showAssessmentAfresh();
    setStatus(QStringLiteral("Load complete           "));
}
