#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

static QString onlyFile(const CliContext& c, const char* command)
{
    const QStringList files = c.positional();
    if (files.size() != 1)
        throw QuarrixError(QStringLiteral("usage: quarrix-cli %1 FILE").arg(QString::fromLatin1(command)));
    return files.first();
}

// import-attributes FILE: replaces the attribute taxonomy and its links; the
// attributes of the same name keep their objectives, controls and profile
// text, and those the set drops are named.
static CliCommand importAttributes("import-attributes", CommandUsages::importAttributes, [](CliContext& c) {
    const AttributeSet set = readAttributeSet(onlyFile(c, "import-attributes"));
    const std::vector<DroppedAttribute> dropped = droppedAttributes(c.assessment, set);
    const AttributeImportCounts n = importAttributeSet(c.assessment, set);
    cliOut(QStringLiteral("Attribute: %1").arg(n.attributes));
    cliOut(QStringLiteral("BTAtt: %1").arg(n.busToTech));
    cliOut(QStringLiteral("TSAtt: %1").arg(n.techToSec));
    cliOut(QStringLiteral("Carried: %1").arg(n.carried));
    for (const DroppedAttribute& d : dropped)
        cliOut(QStringLiteral("Dropped: %1 (%2 objectives, %3 controls, %4 profile text, %5 driver profile rows)")
                   .arg(d.name)
                   .arg(d.objectives)
                   .arg(d.controls)
                   .arg(d.profile ? QStringLiteral("with") : QStringLiteral("no"))
                   .arg(d.profileRows));
    return 0;
});

// import-controls FILE: replaces the control catalogue.
static CliCommand importControls("import-controls", CommandUsages::importControls, [](CliContext& c) {
    QString cutNote;
    const int n = importControlSet(c.assessment, onlyFile(c, "import-controls"), &cutNote);
    cliOut(QStringLiteral("Controls: %1").arg(n));
    if (!cutNote.isEmpty())
        cliOut(cutNote);
    return 0;
});
