// The spreadsheet export and the printed listings (to PDF) on fixtures S, M, L and XL.
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
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        Assessment a;
        if (!openFixture(a, dir, name))
            return 1;
        deriveAttributesInUse(a, QStringLiteral("All"));
        ReportSelection all;
        all.controls = true;

        ExportWorkbook::Result exported;
        table.time(name, "export all four tables",
            [&] { exported = ExportWorkbook::write(a, all, dir.filePath(QStringLiteral("export.xlsx"))); });
        ReferenceListings::Result printed;
        table.time(
            name, "listings of all four tables to PDF",
            [&] {
                ReferenceListings::Options options;
                options.selection = all;
                QPdfWriter pdf(dir.filePath(QStringLiteral("listings.pdf")));
                ListingPainter canvas(pdf);
                printed = ReferenceListings::print(a, options, canvas);
                canvas.finish();
            },
            1);
        table.note(
            name, "rows exported", exported.rows[0] + exported.rows[1] + exported.rows[2] + exported.rows[3], "");
        table.note(name, "pages printed", printed.totalPages(), "");
    }
    table.print("bench_export");
    return 0;
}
