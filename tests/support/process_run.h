#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs a program to its end and keeps its exit status and output. A program
// that times out is killed and reports status -1; so does one that crashed.
struct ProcessRun {
    int status;
    QString out, err;
};

inline ProcessRun runProgram(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return { -1, {}, QStringLiteral("timed out") };
    }
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()) };
}

// Runs quarrix-cli with the arguments.
inline ProcessRun runCli(const QStringList& args)
{
    return runProgram(QStringLiteral(QUARRIX_CLI), args);
}
