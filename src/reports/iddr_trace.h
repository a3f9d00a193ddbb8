#pragma once

#include <QString>
#include <vector>

class CarriedAttributes;
class InUseRows;
class Table;

// One control-to-driver trace row: control identifier `id` (the text before
// the first colon of a control entry) and driver `cseq`; `key` is the two
// joined, as the IDDR table stores it.
struct TraceRow {
    QString key;
    QString id;
    QString cseq;
};

namespace IddrTrace {
// The control-to-driver trace, worked out in memory: every profile row
// (DrAtt, all divisions and activities) of a driver that `drivers` holds (as
// filtered), and each attribute the row brings to its driver (see
// CarriedAttributes) that is in use, give one row per distinct identifier of
// the attribute's control entries and driver. Rows of drivers outside the
// filter, or of none, would only make controls with no driver to list.
//
// Rows are told apart by the pair itself, never by the joined key: two pairs
// that join to the same key ("01.1" + "0BD1" and "01.10" + "BD1") and keys
// longer than the IDDR fields keep one trace row each, whole. They come in
// the IDDR table's key order (joined key ignoring letter case, then first
// seen). Nothing is written: the IDDR table keeps what it holds.
std::vector<TraceRow> rows(
    const Table& attribute, const InUseRows& inUse, const Table& drivers, const CarriedAttributes& carried);
}
