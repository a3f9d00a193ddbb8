#pragma once

#include <QString>

// What quarrix-cli --help and quarrix-cli COMMAND --help print.
namespace CommandHelp {

// The whole usage: the options, every command with its arguments and what it does.
QString overview();
// One command's usage and what it does; empty for an unknown command.
QString command(const QString& name);
// Whether the arguments ask for help ("--help", "-h").
bool asksForHelp(const QString& argument);

}
