// The Quarrix report and the custom taxonomy report on fixtures S, M and L:
// time to type and save each, and the size of the document written.
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/in_use_derivation.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
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

        const QString report = dir.filePath(QStringLiteral("report.docx"));
        benchStep(qPrintable(QStringLiteral("[%1] Quarrix report").arg(name)),
            [&] { QuarrixReport::write(a, report, QuarrixReportOptions {}); });
        std::printf("    document: %lld bytes\n", static_cast<long long>(QFileInfo(report).size()));

        const QString taxonomy = dir.filePath(QStringLiteral("taxonomy.docx"));
        deriveAttributesInUse(a, QStringLiteral("All"));
        benchStep(qPrintable(QStringLiteral("[%1] custom taxonomy report").arg(name)),
            [&] { TaxonomyReport::write(a, taxonomy, TaxonomyReportOptions {}); });
        std::printf("    document: %lld bytes\n", static_cast<long long>(QFileInfo(taxonomy).size()));
    }
    return 0;
}
