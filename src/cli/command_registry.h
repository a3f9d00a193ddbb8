#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class Assessment;

// The commands of quarrix-cli. Each command file registers its commands with
// a static CliCommand object; main() looks them up by name.
struct CliContext {
    Assessment& assessment;
    QStringList args; // the command's own arguments
    QString storePath;
    // Options "--name value" taken from args; missing gives fallback.
    QString option(const QString& name, const QString& fallback = {}) const;
    bool hasOption(const QString& name) const;
    QStringList positional() const; // arguments that are not options or their values
};

// Returns the exit status. A command registered without one runs in a helper
// program (see helper_programs.h).
using CliHandler = std::function<int(CliContext&)>;

// Whether a command draws pages: only then does it need the fonts and the
// platform that a GUI application object loads at start.
enum class CliDrawing { None, Pages };

// Whether a command works on the store (opened, and created if missing,
// before it runs) or on files it is given (no store opened).
enum class CliStore { Open, None };

struct CliCommand {
    struct Entry {
        QString usage;
        CliHandler handler;
        CliDrawing drawing = CliDrawing::None;
        const char* helper = nullptr; // the program that runs a command without a handler
        CliStore store = CliStore::Open;
    };
    CliCommand(const char* name, const char* usage, CliHandler handler);
    CliCommand(
        const char* name, const char* usage, CliDrawing drawing, CliHandler handler, CliStore store = CliStore::Open);
    // A command that the named helper program runs.
    CliCommand(
        const char* name, const char* usage, CliDrawing drawing, const char* helper, CliStore store = CliStore::Open);
    static const std::map<QString, Entry>& all();
};

// Writes to standard output / standard error as UTF-8 lines.
void cliOut(const QString& line);
void cliWrite(const QByteArray& bytes); // as they are, no line end added
void cliErr(const QString& line);
