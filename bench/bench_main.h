#pragma once

#include <QElapsedTimer>
#include <QString>
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
