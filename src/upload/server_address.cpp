#include "upload/server_address.h"

#include "store/schema.h"

namespace ServerAddress {

int maxLength()
{
    const TableDef* system = Schema::find(QStringLiteral("System"));
    return system->fields[size_t(system->fieldIndex(QStringLiteral("SQL-IP")))].width;
}

QString problem(const QString& address)
{
    // Host names and addresses are ASCII, where code points and UTF-16
    // units agree; anything else is counted by code point like every field.
    const qsizetype length = address.toUcs4().size();
    if (length <= maxLength())
        return {};
    return QStringLiteral("The server address has %1 characters; it can have at most %2 (a host name, or an IPv4 or "
                          "IPv6 address).")
        .arg(length)
        .arg(maxLength());
}

QString forDriver(const QString& address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.size() > 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))
        && trimmed.contains(QLatin1Char(':')))
        return trimmed.mid(1, trimmed.size() - 2);
    return address;
}

}
