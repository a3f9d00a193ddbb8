#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"
#include "store/report_details.h"

// init: the store is created (when missing) by opening it.
static CliCommand initCommand("init", "", [](CliContext& c) {
    cliOut(QStringLiteral("Store ready: %1").arg(c.storePath));
    return 0;
});

// info: one line per table, in start-up order, then the report details. A
// damaged store is said to be so first, a table that cannot be counted says
// so instead of a count, and either ends the command with status 1: the
// counts are not the whole.
static CliCommand infoCommand("info", "", [](CliContext& c) {
    Assessment& a = c.assessment;
    bool whole = a.readOnlyReason().problem != StoreProblem::Damaged;
    if (!whole)
        cliErr(a.readOnlyReason().message);
    for (Table* t :
        { &a.system(), &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(), &a.businessToTechnical(),
            &a.technicalToSecurity(), &a.controls(), &a.applications(), &a.appControl(), &a.controlDriverTrace() }) {
        try {
            cliOut(QStringLiteral("%1: %2").arg(t->name()).arg(t->recordCount()));
        } catch (const QuarrixError& e) {
            cliOut(QStringLiteral("%1: unreadable").arg(t->name()));
            cliErr(e.message());
            whole = false;
        }
    }
    // The report details, a memo's lines indented under its name.
    const ReportDetails details = ReportDetailsStore::read(a.store());
    const bool defaultDisclaimer = details.disclaimer == ReportDetailsStore::defaultDisclaimer();
    const std::pair<const char*, QString> shown[] = { { "Released by", details.releasedBy },
        { "Contact", details.contact }, { "Address", details.address }, { "Commentary", details.commentary },
        { "Disclaimer", defaultDisclaimer ? QStringLiteral("(the default)") : details.disclaimer } };
    for (const auto& [name, value] : shown) {
        const QStringList lines = LineList::split(value);
        const QString label = QString::fromLatin1(name) + QLatin1Char(':');
        if (lines.size() <= 1) {
            cliOut(lines.isEmpty() ? label : label + QLatin1Char(' ') + lines.first());
            continue;
        }
        cliOut(label);
        for (const QString& line : lines)
            cliOut(QStringLiteral("  ") + line);
    }
    return whole ? 0 : 1;
});

// clear: Clear Database without the archive step.
static CliCommand clearCommand("clear", "", [](CliContext& c) {
    c.assessment.clearDatabase();
    c.assessment.setWorkArchived(true);
    cliOut(QStringLiteral("Database cleared"));
    return 0;
});
