#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

// derive: the in-use derivation, with the division filter set as the window
// would set it; prints the attributes in use, one per line, in name order.
static CliCommand deriveCommand("derive", "[--division NAME]", [](CliContext& c) {
    Assessment& a = c.assessment;
    if (!c.positional().isEmpty() || (c.hasOption(QStringLiteral("--division")) && c.args.size() != 2))
        throw QuarrixError(QStringLiteral("usage: quarrix-cli derive [--division NAME]"));
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(a.requirements(), division);
    applyDivisionFilter(a.drivers(), division);
    deriveAttributesInUse(a, division);
    Table& attribute = a.attribute();
    attribute.setSort(QStringLiteral("Attribute ASC"));
    const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
    for (int row = 0; row < attribute.recordCount(); ++row)
        cliOut(attribute.textAt(row, name));
    return 0;
});
