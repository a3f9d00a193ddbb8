// Save to Archive and Load from Archive of fixtures S, M and L.
#include "bench_main.h"
#include "fixture_generator.h"

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "store/assessment.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        Assessment a;
        if (!openFixture(a, dir, name))
            return 1;
        const QString path = dir.filePath(QStringLiteral("archive.txt"));

        benchStep(qPrintable(QStringLiteral("[%1] archive text").arg(name)), [&] { ArchiveWriter::text(a); });
        benchStep(qPrintable(QStringLiteral("[%1] save to archive").arg(name)), [&] { ArchiveWriter::save(a, path); });
        ArchiveReader::Result read;
        benchStep(qPrintable(QStringLiteral("[%1] read archive").arg(name)), [&] { read = ArchiveReader::read(path); });
        benchStep(qPrintable(QStringLiteral("[%1] load from archive").arg(name)),
            [&] { ArchiveReader::apply(a, ArchiveReader::read(path).blocks); });
        std::printf("(%lld bytes, %zu blocks)\n", static_cast<long long>(QFileInfo(path).size()), read.blocks.size());
    }
    return 0;
}
