#pragma once

#include <QString>
#include <vector>

class Assessment;
class CarriedAttributes;

// One control-to-driver trace row: control identifier `id` (the text before
// the first colon of a control entry) and driver `cseq`; `key` is the two
// joined, as the IDDR table stores it.
struct TraceRow {
    QString key;
    QString id;
    QString cseq;
};

namespace IddrTrace {
// Rebuilds IDDR from every profile row (DrAtt, all divisions and activities)
// and each attribute the row brings to its driver (see CarriedAttributes)
// that the Attribute table holds (the attributes in use): one row per
// distinct identifier and driver pair, written in one transaction.
//
// Rows are told apart by the pair itself, never by the joined key: two pairs
// that join to the same key ("01.1" + "0BD1" and "01.10" + "BD1") and keys
// longer than the IDDR fields keep one trace row each. The store cuts the
// values to its field sizes; the rows returned keep them whole, in the
// table's key order (joined key ignoring letter case, then first seen).
std::vector<TraceRow> rebuild(Assessment& assessment, const CarriedAttributes& carried);
}
