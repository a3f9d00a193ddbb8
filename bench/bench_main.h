#pragma once

#include "fixture_generator.h"

#include "store/assessment.h"

#include <QElapsedTimer>
#include <QHash>
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

// The fixture sizes to run: those named on the command line, or S, M, L and XL.
inline QStringList benchSizes(int argc, char** argv)
{
    QStringList sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLatin1(argv[i]);
    return sizes.isEmpty() ? QStringList { "S", "M", "L", "XL" } : sizes;
}

// The figures of each step for every fixture size, printed side by side with
// the growth from L to XL: XL holds ten times the data of L, so a step whose
// cost grows linearly with the data shows about 10 there, a constant one 1.
class BenchTable {
public:
    explicit BenchTable(QStringList sizes)
        : m_sizes(std::move(sizes))
    {
    }

    // Times the step (the best of the runs) and records it for the size.
    double time(const QString& size, const QString& step, const std::function<void()>& fn, int runs = 3)
    {
        double best = 1e18;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            fn();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        note(size, step, best, "ms");
        return best;
    }

    // Records a figure that is not a time: a count, a size, a time per row.
    void note(const QString& size, const QString& step, double value, const char* unit)
    {
        auto row = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& r) { return r.step == step; });
        if (row == m_rows.end())
            row = m_rows.insert(m_rows.end(), Row { step, QString::fromLatin1(unit), {} });
        row->bySize.insert(size, value);
        // Progress while a large size runs; the table comes at the end.
        std::fprintf(stderr, "[%s] %s: %.3f %s\n", qPrintable(size), qPrintable(step), value, unit);
    }

    void print(const char* title) const
    {
        int width = int(qstrlen(title));
        for (const Row& row : m_rows)
            width = std::max(width, int(row.step.size()));
        std::printf("%-*s", width, title);
        for (const QString& size : m_sizes)
            std::printf(" %12s", qPrintable(size));
        const bool growth = m_sizes.contains(QStringLiteral("L")) && m_sizes.contains(QStringLiteral("XL"));
        std::printf(growth ? "  %6s\n" : "\n", "XL/L");
        for (const Row& row : m_rows) {
            std::printf("%-*s", width, qPrintable(row.step));
            for (const QString& size : m_sizes) {
                const auto value = row.bySize.constFind(size);
                if (value == row.bySize.constEnd())
                    std::printf(" %12s", "-");
                else if (row.unit.isEmpty())
                    std::printf(" %12.0f", *value);
                else
                    std::printf(" %9.*f %-2s", *value < 10 ? 2 : 1, *value, qPrintable(row.unit));
            }
            if (growth && row.bySize.value(QStringLiteral("L")) > 0)
                std::printf("  %6.1f", row.bySize.value(QStringLiteral("XL")) / row.bySize.value(QStringLiteral("L")));
            std::printf("\n");
        }
        std::fflush(stdout);
    }

private:
    struct Row {
        QString step;
        QString unit;
        QHash<QString, double> bySize;
    };
    QStringList m_sizes;
    std::vector<Row> m_rows;
};

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

// Writes the fixture of that size into a new store in the folder and closes
// it; returns the store's path, or an empty text when it cannot be made.
inline QString writeFixture(const QTemporaryDir& dir, const QString& size)
{
    Assessment a;
    return openFixture(a, dir, size) ? dir.filePath(QStringLiteral("Quarrix.mdb")) : QString();
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
