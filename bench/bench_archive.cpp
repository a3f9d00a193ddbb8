// Save to Archive and Load from Archive on fixtures S, M, L and XL (ten times
// L), side by side: in process, and as quarrix-cli commands against cat
// copying the same bytes (medians of paired runs, since the machine may be
// shared; processor times are steadier than wall times there).
//
//   bench_archive [SIZE...] [--keep FOLDER]
//
// --keep copies each size's store and archive into FOLDER (L.mdb, L.txt...),
// to repeat the commands by hand.
#include "bench_main.h"
#include "fixture_generator.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "store/assessment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

namespace {

struct Figures {
    std::map<QString, QString> values; // by row name
};

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList sizes;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        if (QByteArrayView(argv[i]) == "--keep" && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else
            sizes << QString::fromLatin1(argv[i]);
    }
    if (sizes.isEmpty())
        sizes = { "S", "M", "L", "XL" };
    const QString cli = QStringLiteral(QUARRIX_CLI);
    const QString cat = QStringLiteral("cat");

    const QStringList rows = { "records", "archive bytes", "save to archive, ms", "read archive, ms",
        "load from archive, ms", "load, us per record", "load at once, ms", "cat, ms", "cli save-archive, ms",
        "save-archive / cat", "cli load-archive, ms", "load-archive / cat", "cat, cpu ms", "cli save-archive, cpu ms",
        "cli load-archive, cpu ms" };
    std::map<QString, Figures> table;
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        Figures& f = table[name];
        const QString store = dir.filePath(QStringLiteral("Quarrix.mdb"));
        const QString archive = dir.filePath(QStringLiteral("archive.txt"));
        {
            Assessment a;
            if (!openFixture(a, dir, name))
                return 1;
            auto step = [&](const char* what) { return QStringLiteral("[%1] %2").arg(name, QLatin1String(what)); };
            const double save
                = benchStep(qPrintable(step("save to archive")), [&] { ArchiveWriter::save(a, archive); });
            size_t records = 0;
            const double read = benchStep(
                qPrintable(step("read archive")), [&] { records = ArchiveReader::read(archive).blocks.size(); });
            const double load = benchStep(qPrintable(step("load from archive")), [&] {
                const ArchiveReader::Result r = ArchiveReader::read(archive);
                ArchiveReader::apply(a, r.blocks);
            });
            // As the command line loads: the file read on a second thread.
            const double atOnce = benchStep(qPrintable(step("load at once")), [&] { ArchiveReader::load(a, archive); });
            f.values["load at once, ms"] = ms(atOnce);
            f.values["records"] = QString::number(records);
            f.values["archive bytes"] = QString::number(QFileInfo(archive).size());
            f.values["save to archive, ms"] = ms(save);
            f.values["read archive, ms"] = ms(read);
            f.values["load from archive, ms"] = ms(load);
            f.values["load, us per record"] = QString::number(load * 1000 / std::max<size_t>(records, 1), 'f', 2);
        }
        const QString copy = dir.filePath(QStringLiteral("copy.txt"));
        const auto catRun = [&] { return timedRun(cat, { archive }, copy); };
        const PairedTimes save = pairedRuns(
            [&] {
                return timedRun(cli, { "--store", store, "save-archive", dir.filePath("saved.txt") });
            },
            catRun);
        const PairedTimes load = pairedRuns(
            [&] {
                return timedRun(cli, { "--store", store, "load-archive", archive });
            },
            catRun);
        f.values["cat, ms"] = ms(load.reference.wall);
        f.values["cli save-archive, ms"] = ms(save.work.wall);
        f.values["save-archive / cat"] = QString::number(save.ratio, 'f', 1) + QLatin1Char('x');
        f.values["cli load-archive, ms"] = ms(load.work.wall);
        f.values["load-archive / cat"] = QString::number(load.ratio, 'f', 1) + QLatin1Char('x');
        f.values["cat, cpu ms"] = ms(load.reference.cpu);
        f.values["cli save-archive, cpu ms"] = ms(save.work.cpu);
        f.values["cli load-archive, cpu ms"] = ms(load.work.cpu);
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            for (const auto& [from, to] :
                { std::pair { store, QStringLiteral("%1.mdb") }, std::pair { archive, QStringLiteral("%1.txt") } })
                QFile::copy(from, QDir(keep).filePath(to.arg(name)));
        }
    }

    std::printf("%-26s", "");
    for (const QString& name : sizes)
        std::printf("%12s", qPrintable(name));
    std::printf("\n");
    for (const QString& row : rows) {
        std::printf("%-26s", qPrintable(row));
        for (const QString& name : sizes)
            std::printf("%12s", qPrintable(table[name].values[row]));
        std::printf("\n");
    }
    return 0;
}
