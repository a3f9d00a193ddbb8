#include "analysis/application_commands.h"

#include "analysis/security_risk_store.h"
#include "store/assessment.h"
#include "store/line_list.h"

namespace {

Table& showApplication(Assessment& assessment, qint64 rowId)
{
    return recordToChange(assessment.applications(), rowId, "application");
}

void setDetails(Table& apps, const ApplicationDetails& details)
{
    apps.setText(QStringLiteral("Application"), details.application);
    apps.setText(QStringLiteral("Domain"), details.domain);
    apps.setText(QStringLiteral("Owner"), details.owner);
    apps.setText(QStringLiteral("Description"), details.description);
    apps.setText(QStringLiteral("Division"), details.division);
}

}

void addApplication(Assessment& assessment, const ApplicationDetails& details)
{
    Table& apps = assessment.applications();
    apps.append();
    setDetails(apps, details);
    apps.post();
}

void saveApplication(Assessment& assessment, qint64 rowId, const ApplicationDetails& details)
{
    Store::Transaction tx(assessment.store());
    Table& apps = showApplication(assessment, rowId);
    apps.edit();
    setDetails(apps, details);
    apps.post();
    RiskStore::rename(assessment, rowId, apps.text(QStringLiteral("Application")));
    tx.commit();
}

void saveApplicationAttributes(Assessment& assessment, qint64 rowId, const QStringList& attributes)
{
    Table& apps = showApplication(assessment, rowId);
    apps.edit();
    apps.setText(QStringLiteral("SecAtt"), LineList::build(attributes));
    apps.post();
}

void deleteApplication(Assessment& assessment, qint64 rowId)
{
    Store::Transaction tx(assessment.store());
    Table& apps = showApplication(assessment, rowId);
    RiskStore::removeApplication(assessment, rowId);
    apps.remove();
    tx.commit();
}
