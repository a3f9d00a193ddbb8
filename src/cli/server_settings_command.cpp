#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

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
        QTextStream in(stdin);
        QString password = in.readLine();
        if (password.isNull())
            throw QuarrixError(QStringLiteral("set-server: the password must be given as one line on standard input"));
        password = password.left(32);
        Table& sys = c.assessment.system();
        sys.edit();
        const std::pair<const char*, const char*> options[] = { { "--ip", "SQL-IP" }, { "--port", "SQL-Port" },
            { "--user", "SQL-User" }, { "--database", "SQL-Database" }, { "--driver", "SQL-Driver" } };
        for (const auto& [option, field] : options)
            if (c.hasOption(QString::fromLatin1(option)))
                sys.setText(QString::fromLatin1(field), c.option(QString::fromLatin1(option)));
        sys.setText(QStringLiteral("SQL-Password"), password);
        sys.post();
        cliOut(QStringLiteral("Server settings stored"));
        return 0;
    });
