#include "reports/iddr_trace.h"

#include "reports/row_lookup.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QSet>
#include <algorithm>

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

std::vector<TraceRow> rebuild(Assessment& a)
{
    Table& drAtt = a.driverProfiles();
    Table& attribute = a.attribute();
    Table& iddr = a.controlDriverTrace();
    if (drAtt.filtered())
        drAtt.setFiltered(false);

    const FirstRowIndex inUse(attribute, QStringLiteral("Attribute"));
    const int rowCSeq = drAtt.fieldIndex(QStringLiteral("CSeq"));
    const int rowAttribute = drAtt.fieldIndex(QStringLiteral("Attribute"));
    const int secControls = attribute.fieldIndex(QStringLiteral("SecControls"));

    std::vector<TraceRow> rows;
    QSet<std::pair<QString, QString>> seen;
    for (int row = 0; row < drAtt.recordCount(); ++row) {
        const int found = inUse.find(drAtt.textAt(row, rowAttribute));
        if (found < 0)
            continue;
        const QString controls = attribute.textAt(found, secControls);
        if (controls.isEmpty())
            continue;
        const QString cseq = drAtt.textAt(row, rowCSeq);
        for (const QString& entry : LineList::split(controls)) {
            const qsizetype colon = entry.indexOf(QLatin1Char(':'));
            if (colon < 0)
                continue;
            const QString id = entry.left(colon);
            if (seen.contains({ id, cseq }))
                continue;
            seen.insert({ id, cseq });
            rows.push_back({ id + cseq, id, cseq });
        }
    }

    {
        // All or nothing: a failure leaves the previous trace in place and
        // the table open.
        Store::Transaction tx(a.store());
        a.store().deleteAll(iddr.name());
        iddr.refresh();
        const DisplaySuspended suspended { &iddr };
        for (const TraceRow& r : rows) {
            iddr.append();
            iddr.setText(QStringLiteral("IDDR"), r.key);
            iddr.setText(QStringLiteral("id"), r.id);
            iddr.setText(QStringLiteral("cseq"), r.cseq);
            iddr.post();
        }
        tx.commit();
    }
    iddr.refresh();
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
