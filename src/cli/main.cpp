#include "catalogues/starter_sets.h"
#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

static int usage()
{
    cliErr(QStringLiteral("usage: quarrix-cli [--store FILE] COMMAND [ARGS]\ncommands:"));
    for (const auto& [name, entry] : CliCommand::all())
        cliErr(QStringLiteral("  %1 %2").arg(name, entry.first));
    return 2;
}

int main(int argc, char* argv[])
{
    // Documents and PDF pages need fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Quarrix"));
    QStringList args = QGuiApplication::arguments().mid(1);
    QString storePath = QDir::current().filePath(QStringLiteral("Quarrix.mdb"));
    if (args.size() >= 2 && args.first() == QLatin1String("--store")) {
        storePath = args.at(1);
        args = args.mid(2);
    }
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    const auto& commands = CliCommand::all();
    const auto found = commands.find(name);
    if (found == commands.end()) {
        cliErr(QStringLiteral("quarrix-cli: unknown command '%1'").arg(name));
        return usage();
    }
    Assessment assessment;
    QString error;
    const bool creating = !QFileInfo::exists(storePath);
    if (!assessment.open(storePath, true, &error)) {
        cliErr(error);
        return 1;
    }
    // A new store autoloads the starter sets shipped beside the program, as in the window.
    if (creating)
        StarterSets::applyAutoloadDefaults(assessment);
    CliContext context { assessment, args, storePath };
    try {
        return found->second.second(context);
    } catch (const QuarrixError& e) {
        cliErr(e.message());
    } catch (const std::exception& e) {
        cliErr(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
