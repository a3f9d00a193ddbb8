// The spreadsheet export and the printed listings (to PDF) on fixtures S, M and L.
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/in_use_derivation.h"
#include "reports/export_workbook.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"
#include "store/assessment.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList sizes = argc > 1 ? QStringList { QString::fromLatin1(argv[1]) } : QStringList { "S", "M", "L" };
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        Assessment a;
        if (!openFixture(a, dir, name))
            return 1;
        deriveAttributesInUse(a, QStringLiteral("All"));
        ReportSelection all;
        all.controls = true;

        ExportWorkbook::Result exported;
        benchStep(qPrintable(QStringLiteral("[%1] export all four tables").arg(name)),
            [&] { exported = ExportWorkbook::write(a, all, dir.filePath(QStringLiteral("export.xlsx"))); });
        ReferenceListings::Result printed;
        benchStep(
            qPrintable(QStringLiteral("[%1] listings of all four tables to PDF").arg(name)),
            [&] {
                ReferenceListings::Options options;
                options.selection = all;
                QPdfWriter pdf(dir.filePath(QStringLiteral("listings.pdf")));
                ListingPainter canvas(pdf);
                printed = ReferenceListings::print(a, options, canvas);
                canvas.finish();
            },
            1);
        std::printf("(%d + %d + %d + %d rows exported, %d pages printed)\n", exported.rows[0], exported.rows[1],
            exported.rows[2], exported.rows[3], printed.totalPages());
    }
    return 0;
}
