#include "analysis/risk_output.h"

#include "analysis/trace_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using TraceOutput::csvField;

namespace RiskOutput {

QString text(const std::vector<RequirementAtRisk>& list)
{
    if (list.empty())
        return QStringLiteral("No requirement is at risk.\n");
    QString out;
    for (const RequirementAtRisk& r : list) {
        out += r.rseq + QLatin1Char(' ') + r.text + QLatin1Char('\n');
        if (r.worst)
            out += QStringLiteral("  worst risk: %1 %2, %3, %4\n")
                       .arg(r.worst->level())
                       .arg(r.worst->score)
                       .arg(r.worst->application, r.worst->attribute);
        if (!r.uncontrolled.isEmpty())
            out += QStringLiteral("  without controls: ") + r.uncontrolled.join(QStringLiteral(", "))
                + QLatin1Char('\n');
    }
    return out;
}

QString csv(const std::vector<RequirementAtRisk>& list)
{
    QString out = QStringLiteral("requirement,score,level,application,security_attribute,uncontrolled_attributes\r\n");
    for (const RequirementAtRisk& r : list) {
        const QStringList fields { csvField(r.rseq), r.worst ? QString::number(r.worst->score) : QString(),
            r.worst ? r.worst->level() : QString(), csvField(r.worst ? r.worst->application : QString()),
            csvField(r.worst ? r.worst->attribute : QString()), csvField(r.uncontrolled.join(QStringLiteral("; "))) };
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

QByteArray json(const std::vector<RequirementAtRisk>& list)
{
    QJsonArray rows;
    for (const RequirementAtRisk& r : list)
        rows.append(QJsonObject { { QStringLiteral("requirement"), r.rseq },
            { QStringLiteral("score"), r.worst ? QJsonValue(r.worst->score) : QJsonValue(QJsonValue::Null) },
            { QStringLiteral("level"), r.worst ? r.worst->level() : QString() },
            { QStringLiteral("application"), r.worst ? r.worst->application : QString() },
            { QStringLiteral("security_attribute"), r.worst ? r.worst->attribute : QString() },
            { QStringLiteral("uncontrolled_attributes"), QJsonArray::fromStringList(r.uncontrolled) } });
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

}
