#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "reports/oscal_export.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

// export-oscal: the controls the assessment selects, as an OSCAL profile of
// the catalog they came from, or with --resolved as the catalog the profile
// resolves to.

static const char* const kUsage = "FILE.json [--division NAME] [--catalog HREF] [--resolved]";

static CliCommand exportOscal("export-oscal", kUsage, [](CliContext& c) {
    OscalExport::Options options;
    QStringList files;
    bool known = true;
    for (int i = 0; i < c.args.size(); ++i) {
        const QString& arg = c.args.at(i);
        const bool takesValue = arg == QLatin1String("--division") || arg == QLatin1String("--catalog");
        if (takesValue && i + 1 < c.args.size())
            (arg == QLatin1String("--division") ? options.division : options.catalogHref) = c.args.at(++i);
        else if (arg == QLatin1String("--resolved"))
            options.resolved = true;
        else if (!arg.startsWith(QLatin1String("--")))
            files << arg;
        else
            known = false;
    }
    if (!known || files.size() != 1
        || (c.hasOption(QStringLiteral("--catalog")) && options.catalogHref.trimmed().isEmpty()))
        throw QuarrixError(QStringLiteral("usage: quarrix-cli export-oscal %1").arg(QString::fromLatin1(kUsage)));
    applyDivisionFilter(c.assessment.requirements(), options.division);
    applyDivisionFilter(c.assessment.drivers(), options.division);
    const OscalExport::Result result = OscalExport::write(c.assessment, files.first(), options);
    cliOut(QStringLiteral("%1 saved: %2 controls (%3)")
               .arg(files.first())
               .arg(result.controls)
               .arg(options.resolved ? QStringLiteral("resolved catalog") : QStringLiteral("profile")));
    if (!result.leftOut.isEmpty()) {
        cliOut(result.leftOut.size() == 1 ? QStringLiteral("1 entry left out:")
                                          : QStringLiteral("%1 entries left out:").arg(result.leftOut.size()));
        for (const QString& line : result.leftOut)
            cliOut(QStringLiteral("  ") + line);
    }
    return 0;
});
