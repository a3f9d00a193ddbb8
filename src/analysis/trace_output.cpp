#include "analysis/trace_output.h"

#include "analysis/trace_chain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

// The priority as a whole number; empty when it was never set.
QString priorityText(const QVariant& priority)
{
    return priority.isValid() ? QString::number(priority.toLongLong()) : QString();
}

}

namespace TraceOutput {

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
    if (gaps.noRequirements)
        out += gaps.noRequirementsNote() + QLatin1Char('\n');
    for (const TraceGaps::Named& list : gaps.named()) {
        if (gaps.noRequirements && list.items != &gaps.orphanProfileRows)
            continue;
        out += QStringLiteral("%1: %2\n").arg(QString::fromLatin1(list.key)).arg(list.items->size());
        for (const QString& item : *list.items) {
            out += QStringLiteral("  ") + item;
            if (list.items == &gaps.requirementsWithoutDriver)
                if (const QStringList by = gaps.namedOutsideFilter.value(item); !by.isEmpty())
                    out += QStringLiteral("  (named only by %1)").arg(by.join(QStringLiteral(", ")));
            out += QLatin1Char('\n');
        }
    }
    return out;
}

QByteArray gapsJson(const TraceGaps& gaps)
{
    QJsonObject object;
    if (gaps.noRequirements)
        object.insert(QStringLiteral("note"), gaps.noRequirementsNote());
    for (const TraceGaps::Named& list : gaps.named())
        if (!gaps.noRequirements || list.items == &gaps.orphanProfileRows)
            object.insert(QString::fromLatin1(list.key), QJsonArray::fromStringList(*list.items));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QString matrixCsv(const TraceChain& chain)
{
    const CoverageMatrix matrix(chain);
    QStringList header { QStringLiteral("driver") };
    QStringList controls { QStringLiteral("(controls)") };
    for (int a = 0; a < matrix.attributes().size(); ++a) {
        header << csvField(matrix.attributes()[a]);
        controls << (matrix.withoutControl(a) ? QStringLiteral("none") : QString());
    }
    QString out = header.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (int d = 0; d < matrix.drivers().size(); ++d) {
        QStringList row { csvField(matrix.drivers()[d]) };
        for (int a = 0; a < matrix.attributes().size(); ++a) {
            const int cell = matrix.cell(d, a);
            row << (cell == CoverageMatrix::notCarried   ? QString()
                    : cell == CoverageMatrix::noPriority ? QStringLiteral("-")
                                                         : QString::number(cell));
        }
        out += row.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return out + controls.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

}
