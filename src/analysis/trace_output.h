#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <utility>

class TraceChain;
struct TraceGaps;

// The trace and its gaps as the command line prints them.
namespace TraceOutput {
// A CSV field as RFC 4180 asks: in quotes, quotes doubled, when it holds a
// comma, a quote or a line break.
QString csvField(const QString& value);

// A header row "driver,requirement,profiled_attribute,priority,
// security_attribute,control" and one row per link, quoted as RFC 4180 asks
// (fields holding a comma, a quote or a line break in quotes, quotes
// doubled), every row ended by CR LF.
QString csv(const TraceChain& chain);
// An array of objects with the same keys: text values, priority a whole
// number or null.
QByteArray json(const TraceChain& chain);

// The gap lists under the names the outputs give them, in their order.
using GapLists = std::array<std::pair<QString, const QStringList*>, 5>;
GapLists gapLists(const TraceGaps& gaps);

// Each list's name, its count and its items, one per line.
QString gapsText(const TraceGaps& gaps);
// An object with the five lists under their names.
QByteArray gapsJson(const TraceGaps& gaps);
}
