#pragma once

#include "fixture_generator.h"

#include "store/assessment.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

// Times a step and prints "name: N ms" (best of the given runs).
inline double benchStep(const char* name, const std::function<void()>& step, int runs = 3)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    std::printf("%-40s %10.2f ms\n", name, best);
    std::fflush(stdout);
    return best;
}

// The fixture sizes to run: the first argument, or S, M and L.
inline QStringList benchSizes(int argc, char** argv)
{
    return argc > 1 ? QStringList { QString::fromLatin1(argv[1]) } : QStringList { "S", "M", "L" };
}

// Opens a new, empty store in the folder.
inline bool openStore(Assessment& a, const QTemporaryDir& dir)
{
    QString error;
    if (!a.open(dir.filePath(QStringLiteral("Quarrix.mdb")), true, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    return true;
}

// Opens a new store in the folder and fills it with the fixture of that size.
inline bool openFixture(Assessment& a, const QTemporaryDir& dir, const QString& size)
{
    if (!openStore(a, dir))
        return false;
    Fixture::generate(a, Fixture::byName(size));
    return true;
}
