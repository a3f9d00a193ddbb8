#include "store/progress.h"

#include <QElapsedTimer>

namespace {

// A reporter listens to the thread that installed it: work that a command
// hands to another thread reports nothing from there.
thread_local Progress::Reporter* current = nullptr;
thread_local QElapsedTimer sinceReport;

}

namespace Progress {

Scope::Scope(Reporter& reporter)
    : m_previous(current)
{
    current = &reporter;
    sinceReport.start();
}

Scope::~Scope()
{
    current = m_previous;
}

void step(const char* phase, qint64 done, qint64 total)
{
    if (!current || sinceReport.elapsed() < 50)
        return;
    sinceReport.restart();
    current->report(QString::fromUtf8(phase), done, total);
}

}
