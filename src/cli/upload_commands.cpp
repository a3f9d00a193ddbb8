#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "upload/central_upload.h"

namespace {

int finish(const CentralUpload::Outcome& outcome, bool failed)
{
    cliOut(outcome.status1);
    if (!outcome.status2.isEmpty())
        cliOut(outcome.status2);
    for (const QString& note : outcome.notes)
        cliOut(note);
    for (const QString& problem : outcome.problems)
        cliErr(problem);
    return failed ? 1 : 0;
}

}

// upload [--division NAME]: the Upload tab's UpLoad, with the division filter
// set to NAME first ("All", the default, lifts it).
static CliCommand uploadCommand("upload", CommandUsages::upload, [](CliContext& c) {
    Assessment& a = c.assessment;
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(a.requirements(), division);
    applyDivisionFilter(a.drivers(), division);
    const CentralUpload::Outcome outcome = CentralUpload::upload(a, CentralUpload::storedSettings(a), division);
    return finish(outcome, outcome.status2 != CentralUpload::kReady);
});

// test-connection: the Upload tab's Test.
static CliCommand testCommand("test-connection", CommandUsages::testConnection, [](CliContext& c) {
    const CentralUpload::Outcome outcome = CentralUpload::test(CentralUpload::storedSettings(c.assessment));
    return finish(outcome, outcome.status1 != CentralUpload::kTestedOk);
});
