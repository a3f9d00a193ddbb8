// quarrix-cli against the sqlite3 shell on the same store file, on fixtures
// S, M, L and XL side by side: the in-use derivation against one join that
// answers the same question, and the start-up and `info` against a count.
// Each ratio is the median of paired runs, so a busy machine slows both
// sides alike; processor times are steadier than wall times there.
#include "bench_main.h"
#include "fixture_generator.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

// The in-use question as the sqlite3 shell answers it in one join: the
// security attributes reached from the business attributes that profile rows
// of priority 1 to 3 name, through BTAtt and TSAtt, that Attribute holds.
const QString kInUseJoin = QStringLiteral(
    "SELECT DISTINCT t.SecAtt FROM (SELECT DISTINCT Attribute FROM DrAtt WHERE Priority BETWEEN 1 AND 3) d "
    "JOIN BTAtt b ON b.BusAtt = d.Attribute JOIN TSAtt t ON t.TechAtt = b.TechAtt "
    "JOIN Attribute a ON a.Attribute = t.SecAtt ORDER BY 1 COLLATE NOCASE");
const QString kCount = QStringLiteral("SELECT COUNT(*) FROM Requirements");

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    const QString cli = QStringLiteral(QUARRIX_CLI);
    const QString sqlite = QStringLiteral("sqlite3");
    BenchTable table(sizes);
    for (const QString& size : sizes) {
        QTemporaryDir dir;
        const QString store = writeFixture(dir, size);
        if (store.isEmpty())
            return 1;
        const auto query = [&](const QString& sql) { return [&, sql] { return timedRun(sqlite, { store, sql }); }; };
        const auto command = [&](const QStringList& args) { return [&, args] { return timedRun(cli, args); }; };
        // The first derivation writes the marks; the runs timed find them written.
        timedRun(cli, { "--store", store, "derive" });
        const auto compare = [&](const char* work, const PairedTimes& t, const char* reference) {
            table.note(size, QStringLiteral("%1, ms").arg(QLatin1String(work)), t.work.wall, "ms");
            table.note(size, QStringLiteral("%1, ms").arg(QLatin1String(reference)), t.reference.wall, "ms");
            table.note(
                size, QStringLiteral("%1 / %2").arg(QLatin1String(work), QLatin1String(reference)), t.ratio, "x");
            table.note(size, QStringLiteral("%1, processor ms").arg(QLatin1String(work)), t.work.cpu, "ms");
        };
        compare(
            "derive", pairedRuns(command({ "--store", store, "derive" }), query(kInUseJoin), 9), "sqlite3 in-use join");
        compare("start-up alone (--help)", pairedRuns(command({ "--help" }), query(kCount), 9), "sqlite3 count");
        compare("info", pairedRuns(command({ "--store", store, "info" }), query(kCount), 9), "sqlite3 count");
    }
    table.print("bench_cli");
    return 0;
}
