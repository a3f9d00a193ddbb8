#include "catalogues/catalogue_keys.h"

#include "store/quarrix_error.h"

namespace CatalogueKeys {

int strictInteger(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw QuarrixError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString attributeSortKey(const QString& groupNumber, const QString& name)
{
    const qint64 shifted = qint64(strictInteger(groupNumber)) + 100;
    return QString::number(shifted).right(2) + name;
}

QString pairKey(const QString& first, const QString& second)
{
    auto part = [](const QString& s) { return s.left(16).leftJustified(16, QLatin1Char(' ')); };
    return part(first) + part(second);
}

QString asciiUpper(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

}
