#pragma once

#include <QByteArray>
#include <QString>

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

// Each list's name, its count and its items, one per line; a requirement
// that only drivers of other divisions name is followed by those drivers.
// When drivers are in view but no requirement is, a sentence saying so
// stands in place of the five trace lists; the orphan rows still follow.
QString gapsText(const TraceGaps& gaps);
// An object with the six lists under the same names, each a list of names;
// when drivers are in view but no requirement is, "note" holds the sentence
// in place of the five trace lists.
QByteArray gapsJson(const TraceGaps& gaps);

// The coverage matrix: a header row "driver" and the attributes in use, one
// row per driver within the filter whose cells hold the best priority that
// carries the attribute to the driver ("-" when only rows without a priority
// do, empty when nothing does), then a row "(controls)" whose cells say
// "none" under the attributes without a control. Quoted and ended as csv().
QString matrixCsv(const TraceChain& chain);
}
