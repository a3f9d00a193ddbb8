// Comparing two assessments on fixtures S, M, L and XL (ten times L): the
// generated assessment as the earlier one, the same after a quarter of
// changes as the later one (a twentieth of the requirements and drivers
// reworded, some requirements removed, renamed and added, a tenth of the
// profile rows at another priority, controls retitled, owners changed).
// Timed in process from archives and from stores, and as quarrix-cli diff
// with its peak memory.
//
//   bench_compare [SIZE...]
#include "bench_main.h"

#include "archive/archive_writer.h"
#include "compare/assessment_comparison.h"
#include "compare/change_output.h"

#include <QCoreApplication>
#include <QFile>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The quarter's changes, by row id so that every size changes in proportion.
void changeAQuarter(Assessment& a)
{
    Store& s = a.store();
    Store::Transaction tx(s);
    s.exec(QStringLiteral("UPDATE Requirements SET Requirement = Requirement || ' and its records' "
                          "WHERE rowid % 20 = 0"));
    s.exec(QStringLiteral("DELETE FROM Requirements WHERE rowid % 50 = 1"));
    s.exec(QStringLiteral("UPDATE Requirements SET RSeq = 'BX' || substr(RSeq, 3) WHERE rowid % 40 = 3"));
    s.exec(QStringLiteral("INSERT INTO Requirements (RSeq, Requirement, Division, Priority, Activity) "
                          "SELECT 'BN' || substr(RSeq, 3), 'New: ' || Requirement, Division, 'High', Activity "
                          "FROM Requirements WHERE rowid % 50 = 7"));
    s.exec(QStringLiteral("UPDATE Drivers SET Driver = Driver || ' this year' WHERE rowid % 20 = 0"));
    s.exec(QStringLiteral("UPDATE DrAtt SET Priority = Priority % 3 + 1 WHERE rowid % 10 = 0"));
    s.exec(QStringLiteral("UPDATE Controls SET control_title = control_title || ' (revised)' WHERE rowid % 25 = 0"));
    s.exec(QStringLiteral("UPDATE Applications SET Owner = 'New owner' WHERE rowid % 5 = 0"));
    tx.commit();
}

// Peak resident memory of a program run, in KiB; -1 when it fails.
long peakMemoryKiB(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> held { QFile::encodeName(program) };
    for (const QString& arg : args)
        held.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : held)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    const QString cli = QStringLiteral(QUARRIX_CLI);
    for (const QString& size : sizes) {
        QTemporaryDir dir;
        const QString earlierStore = dir.filePath(QStringLiteral("earlier.mdb"));
        const QString laterStore = dir.filePath(QStringLiteral("later.mdb"));
        const QString earlier = dir.filePath(QStringLiteral("earlier.txt"));
        const QString later = dir.filePath(QStringLiteral("later.txt"));
        for (const QString& store : { earlierStore, laterStore }) {
            Assessment a;
            QString error;
            if (!a.open(store, true, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            Fixture::generate(a, Fixture::byName(size));
            if (store == laterStore)
                changeAQuarter(a);
            ArchiveWriter::save(a, store == laterStore ? later : earlier);
        }
        table.note(size, QStringLiteral("archive bytes, each"), double(QFileInfo(earlier).size()), "");

        ChangeReport report;
        table.time(size, QStringLiteral("compare archives in process"),
            [&] { report = AssessmentComparison::compareFiles(earlier, later, QStringLiteral("All")); });
        qsizetype changes = 0;
        for (const KindChanges& kind : report.kinds)
            changes += kind.size();
        table.note(size, QStringLiteral("records changed"), double(changes), "");
        table.note(size, QStringLiteral("gaps opened and closed"),
            double(report.newGaps.size() + report.closedGaps.size()), "");
        table.time(size, QStringLiteral("compare stores in process"),
            [&] { AssessmentComparison::compareFiles(earlierStore, laterStore, QStringLiteral("All")); });
        table.time(size, QStringLiteral("JSON of the changes"), [&] { ChangeOutput::json(report); });

        const QString json = dir.filePath(QStringLiteral("changes.json"));
        const QStringList args { QStringLiteral("diff"), earlier, later, QStringLiteral("--output"), json };
        table.time(size, QStringLiteral("quarrix-cli diff (archives, JSON)"), [&] { timedRun(cli, args); });
        table.note(size, QStringLiteral("quarrix-cli diff peak memory, MiB"), peakMemoryKiB(cli, args) / 1024.0, "");
    }
    table.print("compare");
    return 0;
}
