#include "cli/command_registry.h"

#include <cstdio>

static std::map<QString, CliCommand::Entry>& registry()
{
    static std::map<QString, CliCommand::Entry> commands;
    return commands;
}

CliCommand::CliCommand(const char* name, const char* usage, CliHandler handler)
    : CliCommand(name, usage, CliDrawing::None, std::move(handler))
{
}

CliCommand::CliCommand(const char* name, const char* usage, CliDrawing drawing, CliHandler handler, CliStore store)
{
    registry()[QString::fromLatin1(name)] = { QString::fromLatin1(usage), std::move(handler), drawing, nullptr, store };
}

CliCommand::CliCommand(const char* name, const char* usage, CliDrawing drawing, const char* helper, CliStore store)
{
    registry()[QString::fromLatin1(name)] = { QString::fromLatin1(usage), nullptr, drawing, helper, store };
}

const std::map<QString, CliCommand::Entry>& CliCommand::all()
{
    return registry();
}

QString CliContext::option(const QString& name, const QString& fallback) const
{
    const int i = args.indexOf(name);
    if (i >= 0 && i + 1 < args.size())
        return args.at(i + 1);
    return fallback;
}

bool CliContext::hasOption(const QString& name) const
{
    return args.contains(name);
}

QStringList CliContext::positional() const
{
    QStringList out;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i).startsWith(QLatin1String("--"))) {
            ++i; // skip its value
            continue;
        }
        out << args.at(i);
    }
    return out;
}

void cliOut(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void cliWrite(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void cliErr(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}
