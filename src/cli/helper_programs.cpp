#include "cli/helper_programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace HelperPrograms {

QString path(const char* name)
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString program = QString::fromLatin1(name);
    for (const QString& candidate :
        { here.filePath(program), here.filePath(QStringLiteral("../libexec/quarrix/") + program) }) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return {};
}

}
