#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/report_details.h"

// init: the store is created (when missing) by opening it.
static CliCommand initCommand("init", "", [](CliContext& c) {
    cliOut(QStringLiteral("Store ready: %1").arg(c.storePath));
    return 0;
});

// info: one line per table, in start-up order, then the report details.
static CliCommand infoCommand("info", "", [](CliContext& c) {
    Assessment& a = c.assessment;
    for (Table* t :
        { &a.system(), &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(), &a.businessToTechnical(),
            &a.technicalToSecurity(), &a.controls(), &a.applications(), &a.appControl(), &a.controlDriverTrace() })
        cliOut(QStringLiteral("%1: %2").arg(t->name()).arg(t->recordCount()));
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
    return 0;
});

// clear: Clear Database without the archive step.
static CliCommand clearCommand("clear", "", [](CliContext& c) {
    c.assessment.clearDatabase();
    c.assessment.setWorkArchived(true);
    cliOut(QStringLiteral("Database cleared"));
    return 0;
});
