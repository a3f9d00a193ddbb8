#include "cli/full_program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace FullProgram {

QString path()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate : { here.filePath(QStringLiteral("quarrix-cli-full")),
             here.filePath(QStringLiteral("../libexec/quarrix/quarrix-cli-full")) }) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return {};
}

}
