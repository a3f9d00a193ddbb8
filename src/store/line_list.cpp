#include "store/line_list.h"

namespace LineList {

QString build(const QStringList& items)
{
    QString out;
    for (const QString& item : items) {
        out += item;
        out += QLatin1String("\r\n");
    }
    return out;
}

QStringList split(const QString& value)
{
    QStringList items;
    QString current;
    const int n = value.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            items.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < n && value.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        items.append(current);
    return items;
}

}
