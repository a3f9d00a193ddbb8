#include "store/progress.h"

#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct Recorder : Progress::Reporter {
    QStringList reports;
    void report(const QString& phase, qint64 done, qint64 total) override
    {
        reports << QStringLiteral("%1 %2/%3").arg(phase).arg(done).arg(total);
    }
};

}

// Steps reach the reporter in scope, at most every 50 ms; an inner scope
// hands back to the outer one when it ends, and with none nothing is told.
TEST(Progress, StepsReachTheReporterInScopeThrottled)
{
    Progress::step("Nobody listens", 1, 2);
    Recorder outer;
    {
        Progress::Scope scope(outer);
        Progress::step("Importing", 1, 10); // too soon after the scope began
        QThread::msleep(60);
        Progress::step("Importing", 2, 10);
        Progress::step("Importing", 3, 10); // too soon after the last report
        {
            Recorder inner;
            Progress::Scope nested(inner);
            QThread::msleep(60);
            Progress::step("Inner", 1, 0);
            EXPECT_EQ(inner.reports, QStringList { "Inner 1/0" });
        }
        QThread::msleep(60);
        Progress::step("Importing", 9, 10);
    }
    QThread::msleep(60);
    Progress::step("After", 1, 1);
    EXPECT_EQ(outer.reports, (QStringList { "Importing 2/10", "Importing 9/10" }));
}
