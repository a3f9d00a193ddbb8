#include "cli/command_help.h"

#include "cli/command_registry.h"
#include "files/data_folder.h"

#include <QDir>

#include <map>

namespace {

// One line on what each command does; the arguments come from its registration.
const std::map<QString, const char*>& summaries()
{
    static const std::map<QString, const char*> lines {
        { QStringLiteral("init"),
            "Create the store (with the starter sets as autoload defaults) if it is missing or was left empty." },
        { QStringLiteral("info"), "Print how many records each table holds, and the report details." },
        { QStringLiteral("clear"), "Clear the assessment: every table but System and IDDR, and the project fields." },
        { QStringLiteral("import-attributes"), "Replace the attribute taxonomy by an attribute set (.xlsx or .xls)." },
        { QStringLiteral("import-controls"),
            "Replace the control catalogue by a control set (.xlsx, .xls or an OSCAL catalog .json)." },
        { QStringLiteral("derive"),
            "Mark the security attributes in use for the division (all divisions by default)." },
        { QStringLiteral("trace"),
            "Print the trace from drivers to requirements, profiled and security attributes and controls." },
        { QStringLiteral("gaps"), "List requirements, drivers, attributes and controls that break the trace." },
        { QStringLiteral("risks"),
            "List the requirements at risk in order of urgency: their worst application risk and the attributes "
            "they reach that have no control." },
        { QStringLiteral("save-archive"), "Write the whole assessment to a plain-text archive file." },
        { QStringLiteral("load-archive"), "Replace the assessment by the contents of an archive file." },
        { QStringLiteral("report"), "Write the assessment report (.docx, or .pdf)." },
        { QStringLiteral("taxonomy-report"), "Write the custom attribute taxonomy report (.docx, or .pdf)." },
        { QStringLiteral("export"),
            "Write requirements, drivers, attributes in use and controls to a workbook (.xlsx)." },
        { QStringLiteral("export-oscal"),
            "Write the controls the attributes in use need as an OSCAL profile of their catalog (--resolved: the "
            "resolved catalog)." },
        { QStringLiteral("listings"), "Print the reference listings to a PDF file." },
        { QStringLiteral("upload"), "Copy the assessment to the central SQL database." },
        { QStringLiteral("test-connection"),
            "Check that the central SQL database can be reached with the stored settings." },
        { QStringLiteral("set-server"), "Store the central SQL database's settings." },
        { QStringLiteral("set-report-details"),
            "Store who releases the reports, whom they are for, the commentary and the disclaimer." },
        { QStringLiteral("diff"),
            "Show what changed from one assessment to another (each an archive or a store; neither is changed)." },
    };
    return lines;
}

// What a command's own help adds to its summary.
QString details(const QString& name)
{
    if (name != QLatin1String("upload"))
        return {};
    const QString folder = QDir::toNativeSeparators(DataFolder::file(QStringLiteral("sql")));
    return QStringLiteral("The central database needs the tables that postgresql.sql (PostgreSQL) or sqlserver.sql\n"
                          "(SQL Server) in %1 create; DrvCon is optional and skipped where it is missing.")
        .arg(folder);
}

QString usageLine(const QString& name, const CliCommand::Entry& entry)
{
    // A command on the files it is given opens no store.
    const QString program = entry.store == CliStore::Open ? QStringLiteral("quarrix-cli [--store FILE] ")
                                                          : QStringLiteral("quarrix-cli ");
    return program + (entry.usage.isEmpty() ? name : name + QLatin1Char(' ') + entry.usage);
}

}

namespace CommandHelp {

bool asksForHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

QString command(const QString& name)
{
    const auto& commands = CliCommand::all();
    const auto found = commands.find(name);
    if (found == commands.end())
        return {};
    QString text = QStringLiteral("usage: ") + usageLine(name, found->second);
    const auto summary = summaries().find(name);
    if (summary != summaries().end())
        text += QLatin1Char('\n') + QString::fromUtf8(summary->second);
    const QString more = details(name);
    if (!more.isEmpty())
        text += QLatin1Char('\n') + more;
    return text;
}

QString overview()
{
    QString text = QStringLiteral(
        "usage: quarrix-cli [--store FILE] COMMAND [ARGS]\n"
        "Runs the commands of the Quarrix window without a window. The store is ./Quarrix.mdb unless\n"
        "--store names another. Commands that fill a store create a missing one; the others refuse it.\n"
        "quarrix-cli COMMAND --help tells more.\n\n"
        "commands:");
    for (const auto& [name, entry] : CliCommand::all()) {
        text += QStringLiteral("\n  ") + QStringLiteral("%1 %2").arg(name, entry.usage).trimmed();
        const auto summary = summaries().find(name);
        if (summary != summaries().end())
            text += QStringLiteral("\n      ") + QString::fromUtf8(summary->second);
    }
    return text;
}

}
