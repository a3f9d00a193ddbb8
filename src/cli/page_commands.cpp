#include "cli/page_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace PageCommands {

QString program()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate : { here.filePath(QStringLiteral("quarrix-cli-pages")),
             here.filePath(QStringLiteral("../libexec/quarrix/quarrix-cli-pages")) }) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return {};
}

}
