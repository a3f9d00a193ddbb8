#pragma once

#include "fixture_generator.h"

#include "store/assessment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

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

// Wall time and processor time (user and system) of one run of a program, in
// ms, its standard output going to outputFile when one is given; wall is
// negative when it fails.
struct RunTimes {
    double wall = -1;
    double cpu = 0;
};

inline double childrenCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline RunTimes timedRun(const QString& program, const QStringList& args, const QString& outputFile = {})
{
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return {};
    }
    return { timer.nsecsElapsed() / 1e6, childrenCpuMs() - cpuBefore };
}

struct PairedTimes {
    RunTimes work; // medians of the work
    RunTimes reference; // medians of the reference
    double ratio = 0; // median of the wall-time ratios of each pair
};

// Runs the reference and the work one after the other, runs times, so that
// each pair sees the same load on a busy machine; reports the medians.
inline PairedTimes pairedRuns(
    const std::function<RunTimes()>& work, const std::function<RunTimes()>& reference, int runs = 7)
{
    std::vector<double> wall, cpu, refWall, refCpu, ratios;
    for (int i = 0; i < runs; ++i) {
        const RunTimes ref = reference();
        const RunTimes t = work();
        if (ref.wall <= 0 || t.wall < 0)
            return {};
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
        refWall.push_back(ref.wall);
        refCpu.push_back(ref.cpu);
        ratios.push_back(t.wall / ref.wall);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return { { median(wall), median(cpu) }, { median(refWall), median(refCpu) }, median(ratios) };
}
