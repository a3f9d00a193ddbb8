#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "files/atomic_file.h"
#include "reports/export_workbook.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QPdfWriter>

// export and listings: the Reports tab's spreadsheet export and printed
// listings (to a PDF file), with the tab's filters given as options.

namespace {

const char* exportUsage = "FILE [--division NAME] [--activity NAME] [--group NAME] "
                          "[--tables requirements,drivers,attributes,controls]";
const char* listingsUsage = "FILE.pdf [--division NAME] [--activity NAME] [--group NAME] "
                            "[--tables requirements,drivers,attributes,controls] [--sort identifier|division|activity]";

// Checks the arguments: one file name and known options, each with a value.
QString fileArgument(const CliContext& c, const char* command, const char* usage, const QStringList& known)
{
    const auto fail = [&] {
        return QuarrixError(
            QStringLiteral("usage: quarrix-cli %1 %2").arg(QString::fromLatin1(command), QString::fromLatin1(usage)));
    };
    for (int i = 0; i < c.args.size(); ++i) {
        if (!c.args.at(i).startsWith(QLatin1String("--")))
            continue;
        if (!known.contains(c.args.at(i)) || i + 1 >= c.args.size())
            throw fail();
        ++i;
    }
    const QStringList files = c.positional();
    if (files.size() != 1)
        throw fail();
    return files.first();
}

// The filters as the Reports tab would hold them; tables not named are not ticked.
ReportSelection selectionOf(const CliContext& c)
{
    ReportSelection s;
    s.activity = c.option(QStringLiteral("--activity"), QStringLiteral("All"));
    s.group = c.option(QStringLiteral("--group"), QStringLiteral("All"));
    if (c.hasOption(QStringLiteral("--tables"))) {
        s.requirements = s.drivers = s.attributes = s.controls = false;
        const QStringList tables = c.option(QStringLiteral("--tables")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& t : tables) {
            const QString name = t.trimmed().toLower();
            if (name == QLatin1String("requirements"))
                s.requirements = true;
            else if (name == QLatin1String("drivers"))
                s.drivers = true;
            else if (name == QLatin1String("attributes"))
                s.attributes = true;
            else if (name == QLatin1String("controls"))
                s.controls = true;
            else
                throw QuarrixError(
                    QStringLiteral("Unknown table '%1': choose from requirements, drivers, attributes, controls.")
                        .arg(t));
        }
    }
    return s;
}

// A fresh process has no derivation to rely on: the division filter is set
// and the attributes in use derived for it, as showing the tabs would do.
void prepare(const CliContext& c)
{
    Assessment& a = c.assessment;
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(a.requirements(), division);
    applyDivisionFilter(a.drivers(), division);
    deriveAttributesInUse(a, division);
}

const QStringList commonOptions { QStringLiteral("--division"), QStringLiteral("--activity"), QStringLiteral("--group"),
    QStringLiteral("--tables") };

}

static CliCommand exportCommand("export", exportUsage, [](CliContext& c) {
    const QString file = fileArgument(c, "export", exportUsage, commonOptions);
    const ReportSelection selection = selectionOf(c);
    prepare(c);
    const ExportWorkbook::Result result = ExportWorkbook::write(c.assessment, selection, file);
    cliOut(QStringLiteral("%1 saved: %2 requirements, %3 drivers, %4 attributes, %5 controls")
               .arg(file)
               .arg(result.rows[0])
               .arg(result.rows[1])
               .arg(result.rows[2])
               .arg(result.rows[3]));
    if (result.cutCells > 0)
        cliErr(QStringLiteral("%1 cell(s) held more than %2 characters and were cut to that length.")
                   .arg(result.cutCells)
                   .arg(ExportWorkbook::cellLimit));
    return 0;
});

static CliCommand listingsCommand("listings", listingsUsage, CliDrawing::Pages, [](CliContext& c) {
    const QString file
        = fileArgument(c, "listings", listingsUsage, commonOptions + QStringList { QStringLiteral("--sort") });
    ReferenceListings::Options options;
    options.selection = selectionOf(c);
    const QString sort = c.option(QStringLiteral("--sort"), QStringLiteral("identifier"));
    if (sort == QLatin1String("division"))
        options.sorting = ReferenceListings::Sorting::Division;
    else if (sort == QLatin1String("activity"))
        options.sorting = ReferenceListings::Sorting::Activity;
    else if (sort != QLatin1String("identifier"))
        throw QuarrixError(QStringLiteral("Unknown sort '%1': choose identifier, division or activity.").arg(sort));
    options.date = ReferenceListings::today();
    prepare(c);

    // The PDF replaces the file only once it is whole: a kill or a full disk
    // leaves the previous file as it was.
    AtomicFile::Replacement replacement(file);
    ReferenceListings::Result result;
    {
        QPdfWriter pdf(replacement.tempPath());
        pdf.setCreator(QStringLiteral("Quarrix"));
        ListingPainter canvas(pdf);
        result = ReferenceListings::print(c.assessment, options, canvas);
        canvas.finish();
    }
    if (result.totalPages() == 0) {
        cliOut(QStringLiteral("No listing has a record to print; %1 was not written.").arg(file));
        return 0;
    }
    replacement.requireTrailer(QByteArrayLiteral("%%EOF"));
    replacement.commit();
    cliOut(QStringLiteral("%1 written: %2 page(s)").arg(file).arg(result.totalPages()));
    return 0;
});
