#include "reports/iddr_trace.h"

#include "core/assessment.h"
#include "reports/row_lookup.h"
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
    Table& drAtt = a.drAtt();
    Table& attribute = a.attribute();
    Table& iddr = a.iddr();
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
            if (seen.contains({id, cseq}))
                continue;
            seen.insert({id, cseq});
            rows.push_back({id + cseq, id, cseq});
        }
    }

    {
        Store::Transaction tx(a.store());
        a.emptyTable(iddr);
        iddr.disableControls();
        struct Resume {
            Table& t;
            ~Resume() { t.enableControls(); }
        } resume{iddr};
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

    std::stable_sort(rows.begin(), rows.end(),
                     [](const TraceRow& x, const TraceRow& y) { return orderKey(x.key) < orderKey(y.key); });
    return rows;
}

}
