#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/schema.h"
#include "upload/server_address.h"

#include <QTextStream>

// set-server: stores the server settings given; the password is read as one
// line from standard input (never from the command line), and is cut to 32
// characters as the Upload tab cuts it.
static CliCommand setServerCommand("set-server",
    "[--ip ADDRESS] [--port PORT] [--user NAME] [--database NAME] [--driver NAME]  (password on stdin)",
    [](CliContext& c) {
        static const QStringList known { QStringLiteral("--ip"), QStringLiteral("--port"), QStringLiteral("--user"),
            QStringLiteral("--database"), QStringLiteral("--driver") };
        for (int i = 0; i < c.args.size(); i += 2)
            if (!known.contains(c.args.at(i)) || i + 1 >= c.args.size())
                throw QuarrixError(QStringLiteral("set-server: '%1' is not an option with a value (the password is "
                                                  "read from standard input)")
                                       .arg(c.args.at(i)));
        const std::pair<const char*, const char*> options[] = { { "--ip", "SQL-IP" }, { "--port", "SQL-Port" },
            { "--user", "SQL-User" }, { "--database", "SQL-Database" }, { "--driver", "SQL-Driver" } };
        // A value the store would cut is refused, not stored cut: a cut
        // address or name would send the next upload elsewhere.
        if (c.hasOption(QStringLiteral("--ip"))) {
            const QString problem = ServerAddress::problem(c.option(QStringLiteral("--ip")));
            if (!problem.isEmpty())
                throw QuarrixError(QStringLiteral("set-server: ") + problem);
        }
        const TableDef& system = *Schema::find(QStringLiteral("System"));
        for (const auto& [option, field] : options) {
            const QString value = c.option(QString::fromLatin1(option));
            const FieldDef& def = system.fields[size_t(system.fieldIndex(QString::fromLatin1(field)))];
            if (value.toUcs4().size() > def.width)
                throw QuarrixError(
                    QStringLiteral("set-server: the value of %1 has %2 characters; it can have at most %3")
                        .arg(QString::fromLatin1(option))
                        .arg(value.toUcs4().size())
                        .arg(def.width));
        }
        QTextStream in(stdin);
        QString password = in.readLine();
        if (password.isNull())
            throw QuarrixError(QStringLiteral("set-server: the password must be given as one line on standard input"));
        password = password.left(32);
        Table& sys = c.assessment.system();
        sys.edit();
        for (const auto& [option, field] : options)
            if (c.hasOption(QString::fromLatin1(option)))
                sys.setText(QString::fromLatin1(field), c.option(QString::fromLatin1(option)));
        sys.setText(QStringLiteral("SQL-Password"), password);
        sys.post();
        cliOut(QStringLiteral("Server settings stored"));
        return 0;
    });
