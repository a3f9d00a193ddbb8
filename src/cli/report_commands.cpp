#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "cli/selection_options.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

namespace {

// The report's file and its options; anything else is a usage error. A
// file it cannot write or a filter the assessment does not have is refused.
QString reportFile(const CliContext& c, const QStringList& options, const char* command, const char* usage)
{
    const QStringList files = c.positional();
    bool ok = files.size() == 1;
    for (int i = 0; ok && i < c.args.size(); ++i) {
        if (!c.args.at(i).startsWith(QLatin1String("--")))
            continue;
        ok = options.contains(c.args.at(i)) && i + 1 < c.args.size();
        ++i;
    }
    if (!ok)
        throw QuarrixError(
            QStringLiteral("usage: quarrix-cli %1 %2").arg(QString::fromLatin1(command), QString::fromLatin1(usage)));
    SelectionOptions::requireExtension(files.first(), { QStringLiteral(".docx"), QStringLiteral(".pdf") });
    SelectionOptions::requireKnownFilters(c);
    return files.first();
}

// The division filter as the window's filter box would set it.
QString applyDivision(CliContext& c)
{
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(c.assessment.requirements(), division);
    applyDivisionFilter(c.assessment.drivers(), division);
    return division;
}

}

// report: the Quarrix report, as the Reports tab writes it: a .docx, or a PDF
// when the file name ends in .pdf.
static CliCommand reportCommand("report", CommandUsages::report, CliDrawing::Pages, [](CliContext& c) {
    const QString file = reportFile(
        c, { QStringLiteral("--division"), QStringLiteral("--activity") }, "report", CommandUsages::report);
    QuarrixReportOptions options;
    options.division = applyDivision(c);
    options.activity = c.option(QStringLiteral("--activity"), QStringLiteral("All"));
    QuarrixReport::write(c.assessment, file, options);
    cliOut(file + QStringLiteral(" saved"));
    return 0;
});

// taxonomy-report: the custom taxonomy report, .docx or PDF as for report,
// with the attributes in use derived for the division.
static CliCommand taxonomyCommand(
    "taxonomy-report", CommandUsages::taxonomyReport, CliDrawing::Pages, [](CliContext& c) {
        const QString file = reportFile(c, { QStringLiteral("--division"), QStringLiteral("--group") },
            "taxonomy-report", CommandUsages::taxonomyReport);
        TaxonomyReportOptions options;
        options.division = applyDivision(c);
        options.group = c.option(QStringLiteral("--group"), QStringLiteral("All"));
        TaxonomyReport::write(c.assessment, file, options);
        cliOut(file + QStringLiteral(" saved"));
        return 0;
    });
