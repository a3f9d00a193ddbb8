#include "catalogues/starter_sets.h"
#include "cli/command_help.h"
#include "cli/command_registry.h"
#include "cli/helper_programs.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <unistd.h>
#include <vector>

#ifdef QUARRIX_CLI_FULL
#include <QGuiApplication>
#endif

static int usage()
{
    cliErr(CommandHelp::overview());
    return 2;
}

#ifdef QUARRIX_CLI_FULL
// Without a desktop session (a service, a container, cron) XDG_RUNTIME_DIR is
// unset; Qt's GUI application then falls back to a folder of its own in the
// temporary folder and says so on standard error. A private folder is named
// here instead, so a command prints only what it has to say.
static void nameRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString folder = QDir::tempPath() + QStringLiteral("/quarrix-runtime-") + QString::number(::getuid());
    QDir().mkpath(folder);
    const QFileInfo info(folder);
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid())
        return; // not ours: Qt says what it does instead
    if ((info.permissions() & ~(ownerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser))
        && !QFile::setPermissions(folder, ownerOnly))
        return;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
}
#endif

// The application object the command needs: a command that draws pages gets
// fonts (through the GUI application, which needs no display); every other
// command starts without loading the platform and the font configuration.
static std::unique_ptr<QCoreApplication> applicationFor(int& argc, char** argv)
{
#ifdef QUARRIX_CLI_FULL
    const int at = argc > 2 && qstrcmp(argv[1], "--store") == 0 ? 3 : 1;
    const auto found = at < argc ? CliCommand::all().find(QString::fromLocal8Bit(argv[at])) : CliCommand::all().end();
    if (found != CliCommand::all().end() && found->second.drawing == CliDrawing::Pages) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        nameRuntimeFolder();
        return std::make_unique<QGuiApplication>(argc, argv);
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

// The commands that fill a store: given a store file that does not exist,
// they create it. Every other command only reads the assessment, and a
// missing store is a mistyped path, not an empty assessment.
static bool fillsTheStore(const QString& command)
{
    static const QStringList filling { QStringLiteral("init"), QStringLiteral("load-archive"),
        QStringLiteral("import-attributes"), QStringLiteral("import-controls"), QStringLiteral("clear"),
        QStringLiteral("set-server"), QStringLiteral("set-report-details") };
    return filling.contains(command);
}

// Runs the command on the open store. A command that reads the assessment
// reads it in one transaction, so what it prints or writes holds one state
// of the store even while another program changes it.
static int runCommand(const CliCommand::Entry& command, CliContext& context, bool reads)
{
    if (!reads)
        return command.handler(context);
    Store::Snapshot snapshot(context.assessment.store());
    return command.handler(context);
}

#ifndef QUARRIX_CLI_HELPER
// Runs the command line as it was given in the helper program; returns only
// when that program cannot be started.
static int handOver(const char* helper, const std::vector<char*>& arguments)
{
    const QByteArray program = QFile::encodeName(HelperPrograms::path(helper));
    if (!program.isEmpty()) {
        std::vector<char*> argv = arguments;
        argv.front() = const_cast<char*>(program.constData());
        argv.push_back(nullptr);
        ::execv(program.constData(), argv.data());
    }
    cliErr(QStringLiteral("quarrix-cli: this command runs in %1, which was not found beside quarrix-cli "
                          "or in libexec/quarrix; reinstall Quarrix.")
               .arg(QString::fromLatin1(helper)));
    return 1;
}
#endif

int main(int argc, char* argv[])
{
    // The command line as given, before the application object takes its options.
    const std::vector<char*> given(argv, argv + argc);
    const std::unique_ptr<QCoreApplication> app = applicationFor(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quarrix"));
    QStringList args = QCoreApplication::arguments().mid(1);
    QString storePath = QDir::current().filePath(QStringLiteral("Quarrix.mdb"));
    if (args.size() >= 2 && args.first() == QLatin1String("--store")) {
        storePath = args.at(1);
        args = args.mid(2);
    }
    if (args.isEmpty())
        return usage();
    if (CommandHelp::asksForHelp(args.first()) || args.first() == QLatin1String("help")) {
        const QString text = args.size() > 1 ? CommandHelp::command(args.at(1)) : QString();
        cliOut(text.isEmpty() ? CommandHelp::overview() : text);
        return 0;
    }
    const QString name = args.takeFirst();
    const auto& commands = CliCommand::all();
    const auto found = commands.find(name);
    if (found == commands.end()) {
        cliErr(QStringLiteral("quarrix-cli: unknown command '%1'").arg(name));
        return usage();
    }
    // Help opens no store, so asking for it never creates one.
    if (std::any_of(args.begin(), args.end(), CommandHelp::asksForHelp)) {
        cliOut(CommandHelp::command(name));
        return 0;
    }
#ifndef QUARRIX_CLI_HELPER
    if (!found->second.handler)
        return handOver(found->second.helper, given);
#endif
    Assessment assessment;
    const bool opensStore = found->second.store == CliStore::Open;
    const bool fills = fillsTheStore(name);
    if (opensStore) {
        if (!fills && !QFileInfo::exists(storePath)) {
            cliErr(QStringLiteral("The store file '%1' does not exist. Check the path, or create a store there with: "
                                  "quarrix-cli --store %1 init")
                       .arg(storePath));
            return 1;
        }
        StoreCondition failure;
        // init also makes anew a store that an earlier failure left empty.
        const StoreOpening how = name == QLatin1String("init")
            ? StoreOpening::CreateOrReplaceUnfinished
            : (fills ? StoreOpening::CreateIfMissing : StoreOpening::Existing);
        if (!assessment.open(storePath, how, &failure)) {
            cliErr(failure.message);
            return 1;
        }
    }
    CliContext context { assessment, args, storePath };
    try {
        // A new store autoloads the starter sets shipped beside the program, as in the window.
        if (opensStore && assessment.store().isNew())
            StarterSets::applyAutoloadDefaults(assessment);
        return runCommand(found->second, context, opensStore && !fills);
    } catch (const QuarrixError& e) {
        cliErr(e.message());
    } catch (const std::exception& e) {
        cliErr(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
