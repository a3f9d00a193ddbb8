// Upload of fixtures S, M, L and XL to the central PostgreSQL database that
// scripts/postgres_for_tests.sh starts (its variables must be exported).
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/profile_division_filter.h"
#include "store/assessment.h"
#include "upload/central_upload.h"

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ServerSettings s;
    s.driver = QStringLiteral("PostgreSQL Unicode");
    s.address = qEnvironmentVariable("QUARRIX_PG_HOST");
    s.port = qEnvironmentVariable("QUARRIX_PG_PORT");
    s.user = qEnvironmentVariable("QUARRIX_PG_USER");
    s.password = qEnvironmentVariable("QUARRIX_PG_PASSWORD");
    s.database = qEnvironmentVariable("QUARRIX_PG_DATABASE");
    if (s.address.isEmpty() || s.database.isEmpty()) {
        std::fprintf(
            stderr, "QUARRIX_PG_* are not set: run scripts/postgres_for_tests.sh start DIR and export DIR/env\n");
        return 1;
    }
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        Assessment a;
        if (!openFixture(a, dir, name))
            return 1;
        applyDivisionFilter(a.requirements(), QStringLiteral("All"));
        applyDivisionFilter(a.drivers(), QStringLiteral("All"));
        CentralUpload::Outcome outcome;
        table.time(name, "upload to PostgreSQL", [&] { outcome = CentralUpload::upload(a, s, QStringLiteral("All")); });
        if (outcome.status2 != CentralUpload::kReady) {
            std::fprintf(stderr, "upload failed: %s\n", qPrintable(outcome.problems.join(QLatin1Char('\n'))));
            return 1;
        }
    }
    table.print("bench_upload");
    return 0;
}
