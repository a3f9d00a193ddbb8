#include "analysis/trace_output.h"

#include "analysis/trace_chain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <array>
#include <utility>

namespace {

// The priority as a whole number; empty when it was never set.
QString priorityText(const QVariant& priority)
{
    return priority.isValid() ? QString::number(priority.toLongLong()) : QString();
}

}

namespace TraceOutput {

// The five lists under the names the command line gives them, in order.
GapLists gapLists(const TraceGaps& g)
{
    return { { { QStringLiteral("requirements_without_driver"), &g.requirementsWithoutDriver },
        { QStringLiteral("drivers_without_profile"), &g.driversWithoutProfile },
        { QStringLiteral("profiled_without_security"), &g.profiledWithoutSecurity },
        { QStringLiteral("security_without_controls"), &g.securityWithoutControls },
        { QStringLiteral("unknown_controls"), &g.unknownControls } } };
}

QString csvField(const QString& value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\r'))
        && !value.contains(QLatin1Char('\n')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csv(const TraceChain& chain)
{
    QString out = QStringLiteral("driver,requirement,profiled_attribute,priority,security_attribute,control\r\n");
    chain.eachLink([&](const QString& driver, const QString& requirement, const TraceStep& step) {
        out += QStringList { csvField(driver), csvField(requirement), csvField(step.profiledAttribute),
            priorityText(step.priority), csvField(step.securityAttribute), csvField(step.control) }
                   .join(QLatin1Char(','))
            + QLatin1String("\r\n");
    });
    return out;
}

QByteArray json(const TraceChain& chain)
{
    QJsonArray rows;
    chain.eachLink([&](const QString& driver, const QString& requirement, const TraceStep& step) {
        rows.append(QJsonObject { { QStringLiteral("driver"), driver }, { QStringLiteral("requirement"), requirement },
            { QStringLiteral("profiled_attribute"), step.profiledAttribute },
            { QStringLiteral("priority"),
                step.priority.isValid() ? QJsonValue(step.priority.toLongLong()) : QJsonValue(QJsonValue::Null) },
            { QStringLiteral("security_attribute"), step.securityAttribute },
            { QStringLiteral("control"), step.control } });
    });
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

QString gapsText(const TraceGaps& gaps)
{
    QString out;
    for (const auto& [name, items] : gapLists(gaps)) {
        out += QStringLiteral("%1: %2\n").arg(name).arg(items->size());
        for (const QString& item : *items)
            out += QStringLiteral("  ") + item + QLatin1Char('\n');
    }
    return out;
}

QByteArray gapsJson(const TraceGaps& gaps)
{
    QJsonObject object;
    for (const auto& [name, items] : gapLists(gaps))
        object.insert(name, QJsonArray::fromStringList(*items));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

}
