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
    // Installed: bin/../share/quarrix, or libexec/quarrix/../../share/quarrix
    // for quarrix-cli's helper.
    for (const char* relative : { "../share/quarrix", "../../share/quarrix" }) {
        const QString installed = QDir::cleanPath(program.filePath(QString::fromLatin1(relative)));
        if (QFileInfo::exists(installed))
            return installed;
    }
    return program.absolutePath();
}

QString file(const QString& name)
{
    return QDir(path()).filePath(name);
}

}
