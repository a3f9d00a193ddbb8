#include "app/main_window.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "store/quarrix_error.h"

#include <QComboBox>
#include <QSignalBlocker>

// Save to Archive and Load from Archive.

bool MainWindow::saveToArchive()
{
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
        cbDivision0Change();
    }

    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save to Archive");
    request.filter = QStringLiteral("Text files (*.txt *.TXT)");
    request.defaultSuffix = QStringLiteral("txt");
    request.proposedName = ArchiveWriter::proposedFileName(assessment().system().text(QStringLiteral("Assessment")));
    const QString path = dialogs().saveFile(request);
    if (path.isEmpty())
        return false;

    ArchiveWriter::save(assessment(), path);
    setStatus(QStringLiteral("Save complete           "));
    flags().saved = true;
    return true;
}

void MainWindow::loadFromArchive()
{
    // Clear Database comes first, before any dialog: it saves unsaved work
    // (an error there ends the load) and empties the store.
    clearDatabase();

    Dialogs::FileRequest request;
    request.title = QStringLiteral("Load from Archive");
    request.filter = QStringLiteral("Text files *.txt (*.txt *.TXT)");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = dialogs().openFile(request);
    if (path.isEmpty())
        return;

    WaitCursor wait(dialogs());
    // The file is read and checked whole before the store is touched: a file
    // that cannot be read, ends early or holds a bad value raises here.
    const ArchiveReader::Result read = ArchiveReader::read(path);
    if (!read.isArchive) {
        dialogs().notice(ArchiveReader::kNotAnArchive);
        return;
    }
    ArchiveReader::apply(assessment(), read.blocks);
    flags().saved = true;
    Table& sys = assessment().system();
    showProjectIdentity(sys.text(QStringLiteral("Assessment")), sys.text(QStringLiteral("Description")));
}
