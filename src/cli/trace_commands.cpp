#include "analysis/requirements_at_risk.h"
#include "analysis/risk_output.h"
#include "analysis/trace_chain.h"
#include "analysis/trace_output.h"
#include "cli/command_registry.h"
#include "reports/filter_names.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

namespace {

// The command's --division and --format, the format one of `formats` (the
// first is the default); anything else is a usage error, and with
// checkDivision a division the assessment does not have is refused. The
// trace derives the attributes in use in memory: the store is only read.
QString parse(CliContext& c, const QStringList& formats, const char* usage, QString* format, bool checkDivision = false)
{
    bool ok = c.positional().isEmpty();
    for (int i = 0; ok && i < c.args.size(); i += 2)
        ok = (c.args.at(i) == QLatin1String("--division") || c.args.at(i) == QLatin1String("--format"))
            && i + 1 < c.args.size();
    *format = c.option(QStringLiteral("--format"), formats.first());
    if (!ok || !formats.contains(*format))
        throw QuarrixError(QString::fromLatin1(usage));
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    if (checkDivision)
        FilterNames::require("division", division, FilterNames::divisions(c.assessment));
    return division;
}

}

// trace: every chain from a driver through its requirement lines and profile
// rows to the attributes in use it carries and their controls, or the
// coverage matrix of drivers and attributes in use.
static CliCommand traceCommand("trace", "[--division NAME] [--format csv|json|matrix-csv]", [](CliContext& c) {
    QString format;
    const QString division = parse(c, { QStringLiteral("csv"), QStringLiteral("json"), QStringLiteral("matrix-csv") },
        "usage: quarrix-cli trace [--division NAME] [--format csv|json|matrix-csv]", &format);
    const TraceChain chain(c.assessment, division);
    if (format == QLatin1String("json"))
        cliWrite(TraceOutput::json(chain));
    else if (format == QLatin1String("matrix-csv"))
        cliWrite(TraceOutput::matrixCsv(chain).toUtf8());
    else
        cliWrite(TraceOutput::csv(chain).toUtf8());
    // The output stays data; why it is empty goes to the error stream.
    if (chain.gaps().noRequirements)
        cliErr(chain.gaps().noRequirementsNote());
    return 0;
});

// gaps: what the trace is missing. The lists are data, so the status is 0.
static CliCommand gapsCommand("gaps", "[--division NAME] [--format text|json]", [](CliContext& c) {
    QString format;
    const QString division = parse(c, { QStringLiteral("text"), QStringLiteral("json") },
        "usage: quarrix-cli gaps [--division NAME] [--format text|json]", &format);
    const TraceGaps gaps = TraceChain(c.assessment, division).gaps();
    cliWrite(format == QLatin1String("json") ? TraceOutput::gapsJson(gaps) : TraceOutput::gapsText(gaps).toUtf8());
    return 0;
});

// risks: the requirements at risk, in order of urgency, as the report's
// section 2.2 lists them.
static CliCommand risksCommand("risks", "[--division NAME] [--format text|csv|json]", [](CliContext& c) {
    QString format;
    const QString division = parse(c, { QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json") },
        "usage: quarrix-cli risks [--division NAME] [--format text|csv|json]", &format, true);
    const std::vector<RequirementAtRisk> list
        = RequirementsAtRisk::list(c.assessment, division, ApplicationRisks::read(c.assessment.store()));
    if (format == QLatin1String("json"))
        cliWrite(RiskOutput::json(list));
    else
        cliWrite((format == QLatin1String("csv") ? RiskOutput::csv(list) : RiskOutput::text(list)).toUtf8());
    return 0;
});
