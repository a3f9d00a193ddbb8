#include "files/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace DataFolder {

QString path()
{
    const QDir program(QCoreApplication::applicationDirPath());
    // The build tree copies the data beside the executables.
    if (QFileInfo::exists(program.filePath(QStringLiteral("sets"))))
        return program.absolutePath();
    const QString installed = QDir::cleanPath(program.filePath(QStringLiteral("../share/quarrix")));
    if (QFileInfo::exists(installed))
        return installed;
    return program.absolutePath();
}

QString file(const QString& name)
{
    return QDir(path()).filePath(name);
}

}
