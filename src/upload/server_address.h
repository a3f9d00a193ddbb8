#pragma once

#include <QString>

// The central database server's address as the store keeps it (System's
// SQL-IP): a host name of up to 253 characters, an IPv4 address, or an IPv6
// address with or without the brackets of a URL. Free of the ODBC client, so
// the store's own commands use it without loading the database libraries.
namespace ServerAddress {

// The most characters the store keeps.
int maxLength();
// Empty when the address can be stored whole; otherwise why not, naming the limit.
QString problem(const QString& address);
// The address as a driver takes it: an IPv6 address without its brackets.
QString forDriver(const QString& address);

}
