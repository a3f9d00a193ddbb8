#pragma once

#include "gui/file_kind.h"

#include <QString>

// Where the file dialogs open. Each kind of file opens in the folder last
// chosen for it (kept in the user's settings, QSettings "Quarrix"/"Quarrix",
// group "Folders"); a kind not chosen yet opens in the folder of the store.
// The program's own data folder (the starter sets) is never the default, and
// a save never opens there, so no shipped file is one click from being
// overwritten.
class FileFolders {
public:
    explicit FileFolders(const QString& storeFolder);

    QString folderFor(FileKind kind, bool saving) const;
    // The analyst chose this file: its folder is the next default of the kind.
    void remember(FileKind kind, const QString& chosenFile);

private:
    QString defaultFolder() const;

    QString m_storeFolder; // empty: the working directory
};
