// The trace and its gaps (what quarrix-cli trace and gaps compute after the
// in-use derivation), and the carried attributes the reports read, on
// fixtures S, M and L (L: 1,000 drivers, 20,000 profile rows).
#include "bench_main.h"

#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "analysis/trace_chain.h"
#include "analysis/trace_output.h"

#include <QCoreApplication>
#include <ctime>

namespace {

// The processor time of this thread, which other work on a shared machine
// does not inflate as it does the wall time benchStep prints.
double threadMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void step(const QByteArray& name, const std::function<void()>& work)
{
    double cpu = 1e18;
    benchStep(name.constData(), [&] {
        const double start = threadMs();
        work();
        cpu = std::min(cpu, threadMs() - start);
    });
    std::printf("%-40s %10.2f ms processor time\n", "", cpu);
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (const QString& size : benchSizes(argc, argv)) {
        QTemporaryDir dir;
        Assessment a;
        if (!openFixture(a, dir, size))
            return 1;
        for (const QString& division : { QStringLiteral("All"), QStringLiteral("North") }) {
            applyDivisionFilter(a.requirements(), division);
            applyDivisionFilter(a.drivers(), division);
            deriveAttributesInUse(a, division);
            auto name = [&](const char* what) {
                return QStringLiteral("[%1] %2, %3").arg(size, QString::fromLatin1(what), division).toUtf8();
            };
            long links = 0;
            int gaps = 0;
            step(name("carried attributes"), [&] { CarriedAttributes::read(a.store()); });
            step(name("trace and gaps"), [&] {
                const TraceChain chain(a, division);
                links = 0;
                chain.eachLink([&](const QString&, const QString&, const TraceStep&) { ++links; });
                gaps = chain.gaps().count();
            });
            std::printf("(%ld links, %d gaps)\n", links, gaps);
            const TraceChain chain(a, division);
            step(name("trace as CSV"), [&] { TraceOutput::csv(chain); });
        }
    }
    return 0;
}
