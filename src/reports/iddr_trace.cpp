#include "reports/iddr_trace.h"

#include "analysis/carried_attributes.h"
#include "reports/row_lookup.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace {

// The store orders IDDR by its key with ASCII letters compared without case.
QString orderKey(const QString& key)
{
    QString out = key;
    for (QChar& ch : out)
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() - u'A' + u'a');
    return out;
}

}

namespace IddrTrace {

std::vector<TraceRow> rows(
    const Table& attribute, const InUseRows& inUse, const Table& drivers, const CarriedAttributes& carried)
{
    const FirstRowIndex driverRows(drivers, QStringLiteral("CSeq"));
    const int secControls = attribute.fieldIndex(QStringLiteral("SecControls"));

    // Each attribute's control identifiers are split and numbered once; each
    // driver marks the numbers it has been traced to.
    QHash<QString, int> numberOf;
    QStringList identifiers;
    std::vector<std::optional<std::vector<int>>> numbersOf(size_t(attribute.recordCount()));
    auto numbers = [&](int found) -> const std::vector<int>& {
        std::optional<std::vector<int>>& known = numbersOf[size_t(found)];
        if (!known) {
            known.emplace();
            for (const QString& id : controlEntryIdentifiers(attribute.textAt(found, secControls))) {
                auto it = numberOf.constFind(id);
                if (it == numberOf.constEnd()) {
                    it = numberOf.insert(id, int(identifiers.size()));
                    identifiers << id;
                }
                known->push_back(*it);
            }
        }
        return *known;
    };
    QHash<QString, std::vector<bool>> tracedOf; // driver -> identifier numbers already traced

    std::vector<TraceRow> found;
    for (const ProfileReach& row : carried.rows()) {
        if (driverRows.find(row.cseq) < 0)
            continue;
        std::vector<bool>& traced = tracedOf[row.cseq];
        for (const QString& name : row.brings) {
            const int at = inUse.find(name);
            if (at < 0)
                continue;
            for (int n : numbers(at)) {
                traced.resize(std::max(traced.size(), size_t(identifiers.size())));
                if (traced[size_t(n)])
                    continue;
                traced[size_t(n)] = true;
                const QString& id = identifiers[n];
                found.push_back({ id + row.cseq, id, row.cseq });
            }
        }
    }

    std::vector<std::pair<QString, size_t>> order;
    order.reserve(found.size());
    for (size_t i = 0; i < found.size(); ++i)
        order.emplace_back(orderKey(found[i].key), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<TraceRow> sorted;
    sorted.reserve(found.size());
    for (const auto& o : order)
        sorted.push_back(std::move(found[o.second]));
    return sorted;
}

}
