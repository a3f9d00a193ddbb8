#include "analysis/requirement_commands.h"

#include "analysis/requirement_lines.h"
#include "store/assessment.h"

void saveRequirement(Assessment& assessment, qint64 rowId, const RequirementValues& values)
{
    Table& reqs = assessment.requirements();
    Store::Transaction tx(assessment.store());
    recordToChange(reqs, rowId, "requirement");
    const QString oldId = reqs.text(QStringLiteral("RSeq"));
    const QString oldText = reqs.text(QStringLiteral("Requirement"));
    reqs.edit();
    reqs.setText(QStringLiteral("RSeq"), values.id);
    reqs.setText(QStringLiteral("Requirement"), values.requirement);
    reqs.setText(QStringLiteral("Division"), values.division);
    reqs.setText(QStringLiteral("Priority"), values.priority);
    reqs.setText(QStringLiteral("Activity"), values.activity);
    reqs.setText(QStringLiteral("Source"), values.source);
    reqs.post();
    // The lines take the values as stored.
    const QString newId = reqs.text(QStringLiteral("RSeq"));
    const QString newText = reqs.text(QStringLiteral("Requirement"));
    if (newId != oldId || newText != oldText)
        RequirementLines::rewriteDrivers(assessment.drivers(), oldId, newId, newText);
    tx.commit();
}
