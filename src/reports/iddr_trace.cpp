#include "reports/iddr_trace.h"

#include "analysis/carried_attributes.h"
#include "reports/row_lookup.h"
#include "store/assessment.h"

#include <QHash>
#include <algorithm>
#include <array>
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

// Whether the store's IDDR rows are these, in this order: a report run again
// on an unchanged assessment rewrites nothing.
bool holdsAlready(Store& store, const std::vector<std::array<QVariant, 3>>& rows)
{
    SqlStatement& query = store.cached(QStringLiteral("SELECT IDDR, id, cseq FROM IDDR ORDER BY rowid"));
    query.reset();
    size_t next = 0;
    bool same = true;
    query.eachRow([&](SqlStatement& s) {
        if (!same)
            return;
        same = next < rows.size();
        for (int column = 0; same && column < 3; ++column)
            same = s.column(column) == rows[next][size_t(column)];
        ++next;
    });
    return same && next == rows.size();
}

}

namespace IddrTrace {

std::vector<TraceRow> rebuild(Assessment& a, const CarriedAttributes& carried)
{
    Table& attribute = a.attribute();
    Table& iddr = a.controlDriverTrace();

    const FirstRowIndex inUse(attribute, QStringLiteral("Attribute"));
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

    std::vector<TraceRow> rows;
    for (const ProfileReach& row : carried.rows()) {
        std::vector<bool>& traced = tracedOf[row.cseq];
        for (const QString& name : row.brings) {
            const int found = inUse.find(name);
            if (found < 0)
                continue;
            for (int n : numbers(found)) {
                traced.resize(std::max(traced.size(), size_t(identifiers.size())));
                if (traced[size_t(n)])
                    continue;
                traced[size_t(n)] = true;
                const QString& id = identifiers[n];
                rows.push_back({ id + row.cseq, id, row.cseq });
            }
        }
    }

    // The rows as the store holds them.
    const std::vector<FieldDef>& fields = iddr.def().fields;
    const FieldDef& keyField = fields[size_t(iddr.fieldIndex(QStringLiteral("IDDR")))];
    const FieldDef& idField = fields[size_t(iddr.fieldIndex(QStringLiteral("id")))];
    const FieldDef& cseqField = fields[size_t(iddr.fieldIndex(QStringLiteral("cseq")))];
    std::vector<std::array<QVariant, 3>> stored;
    stored.reserve(rows.size());
    for (const TraceRow& r : rows)
        stored.push_back({ Table::storedValue(keyField, r.key), Table::storedValue(idField, r.id),
            Table::storedValue(cseqField, r.cseq) });

    if (!holdsAlready(a.store(), stored)) {
        // All or nothing: a failure leaves the previous trace in place and
        // the table open.
        // The rows go straight to the store, as the table would write them,
        // and the table reads them back once.
        Store::Transaction tx(a.store());
        a.store().deleteAll(iddr.name());
        SqlStatement& insert = a.store().cached(QStringLiteral("INSERT INTO IDDR (IDDR, id, cseq) VALUES (?, ?, ?)"));
        for (const auto& values : stored) {
            for (int column = 0; column < 3; ++column)
                insert.bind(column + 1, values[size_t(column)]);
            insert.run();
        }
        tx.commit();
        iddr.refresh();
    }
    iddr.first();

    std::vector<std::pair<QString, size_t>> order;
    order.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        order.emplace_back(orderKey(rows[i].key), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<TraceRow> sorted;
    sorted.reserve(rows.size());
    for (const auto& o : order)
        sorted.push_back(std::move(rows[o.second]));
    return sorted;
}

}
