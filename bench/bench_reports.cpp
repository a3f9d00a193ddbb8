// The Quarrix report and the custom taxonomy report on fixtures S, M, L and
// XL (ten times L), side by side.
//
// The reports are measured as the analyst's command runs them: quarrix-cli in
// a process of its own (wall time, processor time and peak resident memory),
// each run paired with `zip -6` compressing the XML parts of the same
// document, the least any writer of that document has to do; the ratio shown
// is the median of the pairs, so a busy machine slows both sides alike. The
// in-process rows time typing and saving alone, without starting a program
// or opening the store.
//
//   bench_reports [--keep DIR] [SIZE...]
//
// Sizes S, M, L and XL by default. With --keep each fixture's store stays in
// DIR/SIZE/Quarrix.mdb, for running the commands by hand (under
// /usr/bin/time -v, perf and the like).
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/in_use_derivation.h"
#include "office/typed_document.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
#include "store/assessment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

struct ProcessCost {
    double wallMs = -1;
    double cpuMs = -1; // user and system
    double peakMiB = -1;
    bool ok = false;
};

// Runs a program to its end in `folder`, its output discarded; its costs as
// the kernel accounted them.
ProcessCost run(const QStringList& command, const QString& folder = {})
{
    std::vector<QByteArray> args;
    for (const QString& a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray dir = folder.toLocal8Bit();

    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!dir.isEmpty() && chdir(dir.constData()) != 0)
            _exit(127);
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessCost cost;
    int status = 0;
    rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return cost;
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    cost.wallMs = timer.nsecsElapsed() / 1e6;
    cost.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    cost.peakMiB = usage.ru_maxrss / 1024.0;
    cost.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!cost.ok)
        std::fprintf(stderr, "failed: %s\n", qPrintable(command.join(QLatin1Char(' '))));
    return cost;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A command run several times: its best times, its highest peak, and the
// median ratios to a paired baseline run right after each of its runs.
struct Paired {
    ProcessCost best;
    double wallRatio = -1;
    double cpuRatio = -1;
};

Paired runPaired(int runs, const QStringList& command, const QStringList& baseline, const QString& baselineFolder)
{
    Paired p;
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const ProcessCost c = run(command);
        if (!c.ok)
            return p;
        p.best.ok = true;
        p.best.wallMs = p.best.wallMs < 0 ? c.wallMs : std::min(p.best.wallMs, c.wallMs);
        p.best.cpuMs = p.best.cpuMs < 0 ? c.cpuMs : std::min(p.best.cpuMs, c.cpuMs);
        p.best.peakMiB = std::max(p.best.peakMiB, c.peakMiB);
        if (baseline.isEmpty())
            continue;
        const ProcessCost b = run(baseline, baselineFolder);
        if (b.ok && b.wallMs > 0 && b.cpuMs > 0) {
            wall.push_back(c.wallMs / b.wallMs);
            cpu.push_back(c.cpuMs / b.cpuMs);
        }
    }
    p.wallRatio = median(wall);
    p.cpuRatio = median(cpu);
    return p;
}

// Unpacks the parts of a document into `folder`, for zip to compress.
bool unpackParts(const QString& docx, const QString& folder)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(docx).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return false;
    bool ok = true;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; ok && i < count; ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t* f = zip_fopen_index(archive, zip_uint64_t(i), 0);
        ok = f && zip_fread(f, data.data(), st.size) == zip_int64_t(st.size);
        if (f)
            zip_fclose(f);
        const QString path = QDir(folder).filePath(QString::fromUtf8(st.name));
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        ok = ok && out.open(QIODevice::WriteOnly) && out.write(data) == data.size();
    }
    zip_discard(archive);
    return ok;
}

// Takes the typing and writes nothing: what the report costs without a file.
class DiscardedDocument : public TypedDocument {
protected:
    void writeParagraph(const Paragraph&) override { }
    void writeEnd() override { }
};

QString cell(double value, const char* format = "%.0f")
{
    return value < 0 ? QStringLiteral("-") : QString::asprintf(format, value);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList sizes;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--keep" && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else
            sizes << QString::fromLatin1(argv[i]);
    }
    if (sizes.isEmpty())
        sizes = { "S", "M", "L", "XL" };
    const QString cli = QStringLiteral(QUARRIX_CLI_PATH);
    const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));

    // Row name -> value per size, printed as one table at the end.
    std::vector<QString> rowOrder;
    std::map<QString, std::map<QString, QString>> rows;
    auto put = [&](const QString& row, const QString& size, const QString& value) {
        if (!rows.count(row))
            rowOrder.push_back(row);
        rows[row][size] = value;
    };

    for (const QString& size : sizes) {
        QTemporaryDir temporary;
        const QDir dir(keep.isEmpty() ? temporary.path() : QDir(keep).filePath(size));
        const QString store = dir.filePath(QStringLiteral("Quarrix.mdb"));
        QDir().mkpath(dir.path());
        QFile::remove(store);
        Assessment a;
        QString error;
        if (!a.open(store, true, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        Fixture::generate(a, Fixture::byName(size));
        const bool extraLarge = size == QLatin1String("XL");
        const int runs = extraLarge ? 1 : 3;
        const QString docx = dir.filePath(QStringLiteral("report.docx"));
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        const QString taxonomy = dir.filePath(QStringLiteral("taxonomy.docx"));
        auto step = [&](const QString& name, const std::function<void()>& work) {
            return cell(benchStep(qPrintable(QStringLiteral("[%1] %2").arg(size, name)), work, runs));
        };

        // In process: typing and saving alone.
        const QuarrixReportOptions options;
        put(QStringLiteral("report typed, no file (ms)"), size, step(QStringLiteral("report, no file"), [&] {
            DiscardedDocument none;
            QuarrixReport::type(a, none, options);
            none.finish();
        }));
        put(QStringLiteral("report .docx, in process (ms)"), size,
            step(QStringLiteral("report .docx"), [&] { QuarrixReport::write(a, docx, options); }));
        put(QStringLiteral("report .pdf, in process (ms)"), size,
            step(QStringLiteral("report .pdf"), [&] { QuarrixReport::write(a, pdf, options); }));
        deriveAttributesInUse(a, QStringLiteral("All"));
        put(QStringLiteral("taxonomy .docx, in process (ms)"), size, step(QStringLiteral("taxonomy report .docx"), [&] {
            TaxonomyReport::write(a, taxonomy, TaxonomyReportOptions {});
        }));

        // As the command line runs them, the .docx paired with zip -6.
        const QString parts = dir.filePath(QStringLiteral("parts"));
        QStringList zipParts;
        if (!zip.isEmpty() && unpackParts(docx, parts))
            zipParts = { zip, QStringLiteral("-6"), QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-r"),
                dir.filePath(QStringLiteral("parts.zip")), QStringLiteral(".") };
        const int cliRuns = extraLarge ? 1 : 5;
        const Paired report = runPaired(
            cliRuns, { cli, QStringLiteral("--store"), store, QStringLiteral("report"), docx }, zipParts, parts);
        const ProcessCost zipped = zipParts.isEmpty() ? ProcessCost {} : run(zipParts, parts);
        const Paired reportPdf
            = runPaired(runs, { cli, QStringLiteral("--store"), store, QStringLiteral("report"), pdf }, {}, {});
        const Paired taxonomyCli = runPaired(
            runs, { cli, QStringLiteral("--store"), store, QStringLiteral("taxonomy-report"), taxonomy }, {}, {});

        put(QStringLiteral("quarrix-cli report .docx (ms)"), size, cell(report.best.wallMs));
        put(QStringLiteral("zip -6 of its XML parts (ms)"), size, cell(zipped.wallMs));
        put(QStringLiteral("report / zip -6, wall time"), size, cell(report.wallRatio, "%.2fx"));
        put(QStringLiteral("report / zip -6, processor time"), size, cell(report.cpuRatio, "%.2fx"));
        put(QStringLiteral("report .docx peak memory (MiB)"), size, cell(report.best.peakMiB, "%.1f"));
        put(QStringLiteral("quarrix-cli report .pdf (ms)"), size, cell(reportPdf.best.wallMs));
        put(QStringLiteral("report .pdf peak memory (MiB)"), size, cell(reportPdf.best.peakMiB, "%.1f"));
        put(QStringLiteral("quarrix-cli taxonomy-report (ms)"), size, cell(taxonomyCli.best.wallMs));
        put(QStringLiteral("report .docx size (KiB)"), size, cell(QFileInfo(docx).size() / 1024.0));
        put(QStringLiteral("report .pdf size (KiB)"), size, cell(QFileInfo(pdf).size() / 1024.0));
    }

    std::printf("\n%-34s", "");
    for (const QString& size : sizes)
        std::printf("%12s", qPrintable(size));
    std::printf("\n");
    for (const QString& row : rowOrder) {
        std::printf("%-34s", qPrintable(row));
        for (const QString& size : sizes)
            std::printf("%12s", qPrintable(rows[row].count(size) ? rows[row][size] : QStringLiteral("-")));
        std::printf("\n");
    }
    return 0;
}
