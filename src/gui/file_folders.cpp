#include "gui/file_folders.h"

#include "files/data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// The settings key of the folder remembered for a kind; none for Other.
QString folderKey(FileKind kind)
{
    switch (kind) {
    case FileKind::Archive:
        return QStringLiteral("Folders/archive");
    case FileKind::Report:
        return QStringLiteral("Folders/report");
    case FileKind::Export:
        return QStringLiteral("Folders/export");
    case FileKind::CatalogueSet:
        return QStringLiteral("Folders/catalogueSet");
    case FileKind::Other:
        break;
    }
    return {};
}

QSettings userSettings()
{
    return QSettings(QStringLiteral("Quarrix"), QStringLiteral("Quarrix"));
}

bool isInsideDataFolder(const QString& folder)
{
    const QString f = QDir(folder).canonicalPath();
    const QString data = QDir(DataFolder::path()).canonicalPath();
    return !f.isEmpty() && !data.isEmpty() && (f == data || f.startsWith(data + QLatin1Char('/')));
}

}

FileFolders::FileFolders(const QString& storeFolder)
    : m_storeFolder(storeFolder)
{
}

// The folder of the store, unless the store lies among the program's own
// files: then the analyst's home.
QString FileFolders::defaultFolder() const
{
    const QString store = m_storeFolder.isEmpty() ? QDir::currentPath() : m_storeFolder;
    return isInsideDataFolder(store) ? QDir::homePath() : store;
}

QString FileFolders::folderFor(FileKind kind, bool saving) const
{
    const QString key = folderKey(kind);
    if (key.isEmpty())
        return defaultFolder();
    const QString remembered = userSettings().value(key).toString();
    if (remembered.isEmpty() || !QFileInfo(remembered).isDir())
        return defaultFolder();
    if (saving && isInsideDataFolder(remembered))
        return defaultFolder();
    return remembered;
}

void FileFolders::remember(FileKind kind, const QString& chosenFile)
{
    const QString key = folderKey(kind);
    if (!key.isEmpty() && !chosenFile.isEmpty())
        userSettings().setValue(key, QFileInfo(chosenFile).absolutePath());
}
