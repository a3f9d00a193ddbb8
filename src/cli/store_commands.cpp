#include "cli/command_registry.h"
#include "store/assessment.h"

// init: the store is created (when missing) by opening it.
static CliCommand initCommand("init", "", [](CliContext& c) {
    cliOut(QStringLiteral("Store ready: %1").arg(c.storePath));
    return 0;
});

// info: one line per table, in start-up order.
static CliCommand infoCommand("info", "", [](CliContext& c) {
    Assessment& a = c.assessment;
    for (Table* t :
        { &a.system(), &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(), &a.businessToTechnical(),
            &a.technicalToSecurity(), &a.controls(), &a.applications(), &a.appControl(), &a.controlDriverTrace() })
        cliOut(QStringLiteral("%1: %2").arg(t->name()).arg(t->recordCount()));
    return 0;
});

// clear: Clear Database without the archive step.
static CliCommand clearCommand("clear", "", [](CliContext& c) {
    c.assessment.clearDatabase();
    c.assessment.setWorkArchived(true);
    cliOut(QStringLiteral("Database cleared"));
    return 0;
});
