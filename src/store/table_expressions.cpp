#include "store/table_expressions.h"

#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store.h"

namespace {

[[noreturn]] void bad(const QString& expression)
{
    throw QuarrixError(QStringLiteral("Invalid filter expression: %1").arg(expression));
}

int requireField(const TableDef& def, const QString& name, const QString& expression, bool sort)
{
    const int index = def.fieldIndex(name.trimmed());
    if (index < 0) {
        if (sort)
            throw QuarrixError(QStringLiteral("Invalid sort expression: %1").arg(expression));
        bad(expression);
    }
    return index;
}

QString orderTerm(const FieldDef& f)
{
    if (f.type == FieldType::Text || f.type == FieldType::Memo)
        return QStringLiteral("COALESCE(%1,'') COLLATE NOCASE").arg(quoteIdentifier(f.name));
    return QStringLiteral("COALESCE(%1,0)").arg(quoteIdentifier(f.name));
}

}

namespace TableExpressions {

std::vector<FilterCondition> parseFilter(const TableDef& def, const QString& expression)
{
    std::vector<FilterCondition> conditions;
    const QString text = expression;
    int pos = 0;
    const int n = text.size();
    auto skipBlanks = [&] {
        while (pos < n && text.at(pos).isSpace())
            ++pos;
    };
    skipBlanks();
    if (pos == n)
        return conditions;
    for (;;) {
        skipBlanks();
        const int nameStart = pos;
        while (pos < n && text.at(pos) != QLatin1Char('='))
            ++pos;
        if (pos == n)
            bad(expression);
        FilterCondition condition;
        condition.field = requireField(def, text.mid(nameStart, pos - nameStart), expression, false);
        ++pos;
        skipBlanks();
        if (pos < n && text.at(pos) == QLatin1Char('\'')) {
            QString value;
            ++pos;
            bool closed = false;
            while (pos < n) {
                const QChar c = text.at(pos++);
                if (c == QLatin1Char('\'')) {
                    if (pos < n && text.at(pos) == QLatin1Char('\'')) {
                        value += c;
                        ++pos;
                    } else {
                        closed = true;
                        break;
                    }
                } else {
                    value += c;
                }
            }
            if (!closed)
                bad(expression);
            condition.value = value;
        } else {
            const int valueStart = pos;
            while (pos < n && !text.at(pos).isSpace())
                ++pos;
            const QString word = text.mid(valueStart, pos - valueStart);
            bool isNumber = false;
            const qint64 number = word.toLongLong(&isNumber);
            if (word.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
                condition.value = true;
            else if (word.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
                condition.value = false;
            else if (isNumber)
                condition.value = number;
            else
                bad(expression);
        }
        conditions.push_back(condition);
        skipBlanks();
        if (pos == n)
            break;
        if (text.mid(pos, 3).compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0)
            bad(expression);
        pos += 3;
    }
    return conditions;
}

std::vector<SortKey> parseSort(const TableDef& def, const QString& expression)
{
    std::vector<SortKey> keys;
    if (expression.trimmed().isEmpty())
        return keys;
    const QStringList parts = expression.split(QLatin1Char(','));
    for (const QString& part : parts) {
        QStringList words = part.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty() || words.size() > 2)
            throw QuarrixError(QStringLiteral("Invalid sort expression: %1").arg(expression));
        SortKey key;
        key.field = requireField(def, words.first(), expression, true);
        if (words.size() == 2) {
            if (words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0)
                key.descending = true;
            else if (words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0)
                throw QuarrixError(QStringLiteral("Invalid sort expression: %1").arg(expression));
        }
        keys.push_back(key);
    }
    return keys;
}

QString equals(const QString& field, const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return field + QLatin1String("='") + quoted + QLatin1Char('\'');
}

QString orderClause(const TableDef& def, const std::vector<SortKey>& keys)
{
    QStringList order;
    if (!keys.empty()) {
        for (const SortKey& k : keys)
            order << orderTerm(def.fields[k.field]) + (k.descending ? QStringLiteral(" DESC") : QString());
    } else {
        for (const QString& key : def.keyOrder)
            order << orderTerm(def.fields[def.fieldIndex(key)]);
    }
    order << QStringLiteral("rowid");
    return order.join(QLatin1String(", "));
}

}
