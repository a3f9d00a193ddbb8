#pragma once

#include <QString>

// Long commands say how far they are; the window shows it in a progress
// dialog, the command line ignores it. A loop calls step() as it goes: the
// call is cheap when nothing listens, and passes a report on at most every
// 50 ms otherwise, so it may run for every row.
namespace Progress {

class Reporter {
public:
    virtual ~Reporter() = default;
    // total 0: how far is not known.
    virtual void report(const QString& phase, qint64 done, qint64 total) = 0;
};

// Installs a reporter for its lifetime; the one it replaced comes back after.
class Scope {
public:
    explicit Scope(Reporter& reporter);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    Reporter* m_previous;
};

void step(const char* phase, qint64 done, qint64 total);

}
