#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "analysis/trace_chain.h"
#include "analysis/trace_output.h"
#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

namespace {

// The command's --division and --format, the format one of `formats` (the
// first is the default); anything else is a usage error. Runs the in-use
// derivation for the division, as the window would have it.
QString prepare(CliContext& c, const QStringList& formats, const char* usage, QString* format)
{
    bool ok = c.positional().isEmpty();
    for (int i = 0; ok && i < c.args.size(); i += 2)
        ok = (c.args.at(i) == QLatin1String("--division") || c.args.at(i) == QLatin1String("--format"))
            && i + 1 < c.args.size();
    *format = c.option(QStringLiteral("--format"), formats.first());
    if (!ok || !formats.contains(*format))
        throw QuarrixError(QString::fromLatin1(usage));
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(c.assessment.requirements(), division);
    applyDivisionFilter(c.assessment.drivers(), division);
    deriveAttributesInUse(c.assessment, division);
    return division;
}

}

// trace: every chain from a driver through its requirement lines and profile
// rows to the attributes in use it carries and their controls.
static CliCommand traceCommand("trace", "[--division NAME] [--format csv|json]", [](CliContext& c) {
    QString format;
    const QString division = prepare(c, { QStringLiteral("csv"), QStringLiteral("json") },
        "usage: quarrix-cli trace [--division NAME] [--format csv|json]", &format);
    const TraceChain chain(c.assessment, division);
    cliWrite(format == QLatin1String("json") ? TraceOutput::json(chain) : TraceOutput::csv(chain).toUtf8());
    return 0;
});

// gaps: what the trace is missing. The lists are data, so the status is 0.
static CliCommand gapsCommand("gaps", "[--division NAME] [--format text|json]", [](CliContext& c) {
    QString format;
    const QString division = prepare(c, { QStringLiteral("text"), QStringLiteral("json") },
        "usage: quarrix-cli gaps [--division NAME] [--format text|json]", &format);
    const TraceGaps gaps = TraceChain(c.assessment, division).gaps();
    cliWrite(format == QLatin1String("json") ? TraceOutput::gapsJson(gaps) : TraceOutput::gapsText(gaps).toUtf8());
    return 0;
});
