#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "cli/selection_options.h"
#include "files/atomic_file.h"
#include "reports/listing_layout.h"
#include "reports/listing_painter.h"
#include "store/quarrix_error.h"

#include <QPdfWriter>

// listings: the Reports tab's printed listings, to a PDF file, with the tab's
// filters given as options.

using CommandUsages::listingsUsage;

static CliCommand listingsCommand("listings", listingsUsage, CliDrawing::Pages, [](CliContext& c) {
    const QString file = SelectionOptions::fileArgument(
        c, "listings", listingsUsage, SelectionOptions::common() + QStringList { QStringLiteral("--sort") });
    SelectionOptions::requireExtension(file, { QStringLiteral(".pdf") });
    SelectionOptions::requireKnownFilters(c);
    ReferenceListings::Options options;
    options.selection = SelectionOptions::selectionOf(c);
    const QString sort = c.option(QStringLiteral("--sort"), QStringLiteral("identifier"));
    if (sort == QLatin1String("division"))
        options.sorting = ReferenceListings::Sorting::Division;
    else if (sort == QLatin1String("activity"))
        options.sorting = ReferenceListings::Sorting::Activity;
    else if (sort != QLatin1String("identifier"))
        throw QuarrixError(QStringLiteral("Unknown sort '%1': choose identifier, division or activity.").arg(sort));
    options.date = ReferenceListings::today();
    SelectionOptions::filterDivision(c);

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
