#include "analysis/security_risk_store.h"

#include "store/assessment.h"
#include "store/text_cut.h"

namespace {

const QString kKey = QStringLiteral("AppId;Attribute");

QString idText(qint64 id)
{
    return QString::number(id);
}

// The attribute as the field keeps it, so a long typed name is found again.
QString attributeKey(Table& t, const QString& attribute)
{
    return cutToCharacters(attribute, t.def().fields[t.fieldIndex(QStringLiteral("Attribute"))].width);
}

}

namespace RiskStore {

RiskEntry read(Assessment& assessment, qint64 applicationId, const QString& attribute)
{
    Table& t = assessment.appControl();
    RiskEntry entry;
    if (t.locate(kKey, { idText(applicationId), attributeKey(t, attribute) })) {
        entry.risk = t.text(QStringLiteral("Risk"));
        entry.likelihood = t.text(QStringLiteral("Likelihood"));
        entry.impact = t.text(QStringLiteral("Impact"));
    }
    return entry;
}

void write(Assessment& assessment, qint64 applicationId, const QString& application, const QString& attribute,
    const RiskEntry& entry)
{
    Table& t = assessment.appControl();
    if (t.locate(kKey, { idText(applicationId), attributeKey(t, attribute) })) {
        t.edit();
    } else {
        t.append();
        t.setText(QStringLiteral("AppId"), idText(applicationId));
        t.setText(QStringLiteral("Attribute"), attribute);
    }
    t.setText(QStringLiteral("Application"), application);
    t.setText(QStringLiteral("Risk"), entry.risk);
    t.setText(QStringLiteral("Likelihood"), entry.likelihood);
    t.setText(QStringLiteral("Impact"), entry.impact);
    t.post();
}

void rename(Assessment& assessment, qint64 applicationId, const QString& application)
{
    Table& t = assessment.appControl();
    const int idField = t.fieldIndex(QStringLiteral("AppId"));
    const QString id = idText(applicationId);
    for (int row = 0; row < t.recordCount(); ++row)
        if (t.textAt(row, idField) == id) {
            t.moveTo(row);
            t.setText(QStringLiteral("Application"), application);
            t.post();
        }
}

void removeApplication(Assessment& assessment, qint64 applicationId)
{
    Table& t = assessment.appControl();
    const int idField = t.fieldIndex(QStringLiteral("AppId"));
    const QString id = idText(applicationId);
    for (int row = t.recordCount() - 1; row >= 0; --row)
        if (t.textAt(row, idField) == id) {
            t.moveTo(row);
            if (t.currentRow() == row)
                t.remove();
        }
}

}
