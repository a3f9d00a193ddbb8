#include "reports/oscal_selection.h"

#include "analysis/attributes_in_use.h"
#include "analysis/trace_chain.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/store.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>

namespace {

// An OSCAL identifier (a token): a letter or '_', then letters, digits,
// '.', '-' or '_'.
bool isToken(const QString& id)
{
    static const QRegularExpression token(QStringLiteral("^(\\p{L}|_)(\\p{L}|\\p{N}|[.\\-_])*$"));
    return token.match(id).hasMatch();
}

struct ControlRow {
    QString id;
    qint64 rowId;
};

// Why an entry selects nothing, and which attributes hold it.
struct LeftOut {
    QString reason;
    QStringList attributes;
};

}

OscalSelection OscalSelection::read(Assessment& assessment, const QString& division, bool withJson)
{
    OscalSelection selection;
    Store& store = assessment.store();
    // One read transaction: every table as one state of the store.
    Store::Transaction snapshot(store);

    SqlStatement& system
        = store.cached(QStringLiteral("SELECT \"Assessment\", \"AssID\" FROM \"System\" ORDER BY rowid LIMIT 1"));
    system.eachRow([&](SqlStatement& s) {
        selection.assessmentName = s.text(0);
        selection.assessmentId = s.text(1);
    });
    selection.catalog = ControlOrigin::read(store, withJson);

    const AttributesInUse inUse = AttributesInUse::derive(store, division);
    // The drivers in view that the trace shows carrying each attribute.
    const TraceChain chain(assessment, division);
    QHash<QString, QStringList> driversOf;
    for (const DriverTrace& d : chain.drivers()) {
        QSet<QString> attributes;
        for (const TraceStep& step : d.steps)
            attributes.insert(step.securityAttribute);
        const QString driver = (d.cseq + u' ' + chain.driverText(d.cseq)).trimmed();
        for (const QString& attribute : attributes)
            driversOf[attribute] << driver;
    }

    // The entries of the row in use of each attribute, by name.
    std::map<QString, std::pair<QStringList, QStringList>> entriesOf; // objective lines, control lines
    SqlStatement& attributes = store.cached(QStringLiteral(
        "SELECT rowid, \"Attribute\", \"SecObjectives\", \"SecControls\" FROM \"Attribute\" ORDER BY rowid"));
    attributes.eachRow([&](SqlStatement& s) {
        if (inUse.containsRow(s.columnInt64(0)))
            entriesOf[s.text(1)] = { LineList::split(s.text(2)), LineList::split(s.text(3)) };
    });

    // The catalogue: the first record of each Id, and each objective's
    // records in Id order.
    QHash<QString, qint64> rowOfId;
    QHash<QString, std::vector<ControlRow>> rowsOfObjective;
    SqlStatement& controls = store.cached(QStringLiteral("SELECT rowid, \"Id\" FROM \"Controls\" ORDER BY rowid"));
    controls.eachRow([&](SqlStatement& s) {
        const QString id = s.text(1);
        if (!rowOfId.contains(id))
            rowOfId.insert(id, s.columnInt64(0));
        rowsOfObjective[id.left(5)].push_back({ id, s.columnInt64(0) });
    });
    snapshot.commit();

    const auto rememberedOf = [&](qint64 rowId) -> const ControlOrigin::Remembered* {
        if (!selection.catalog)
            return nullptr;
        const auto found = selection.catalog->controls.constFind(rowId);
        return found == selection.catalog->controls.cend() ? nullptr : &*found;
    };

    QHash<QString, size_t> selectedAt; // by OSCAL id
    std::map<QString, LeftOut> leftOut; // by entry
    const auto leave = [&](const QString& entry, const QString& attribute, const QString& reason) {
        LeftOut& l = leftOut[entry];
        l.reason = reason;
        if (!l.attributes.contains(attribute))
            l.attributes << attribute;
    };
    const auto select = [&](const ControlOrigin::Remembered& r, const QString& entry, const QString& attribute) {
        if (!isToken(r.origin.id)) {
            leave(entry, attribute, QStringLiteral("its OSCAL id '%1' is not a valid identifier").arg(r.origin.id));
            return;
        }
        auto at = selectedAt.constFind(r.origin.id);
        if (at == selectedAt.cend()) {
            at = selectedAt.insert(r.origin.id, selection.controls.size());
            selection.controls.push_back({ r, {} });
        }
        std::vector<OscalNeed>& needs = selection.controls[*at].needs;
        if (needs.empty() || needs.back().attribute != attribute)
            needs.push_back({ attribute, driversOf.value(attribute) });
    };
    const QString notInCatalogue = QStringLiteral("not in the control catalogue");
    const QString notFromCatalog = QStringLiteral("not imported from an OSCAL catalog");

    // An entry names a control by the text before its first colon; one
    // without a colon names none.
    const auto identifiers = [&](const QStringList& lines, const QString& attribute) {
        QStringList ids;
        for (const QString& line : lines) {
            if (line.trimmed().isEmpty())
                continue;
            const qsizetype colon = line.indexOf(u':');
            if (colon >= 0)
                ids << line.left(colon);
            else
                leave(QStringLiteral("entry '%1'").arg(line), attribute, QStringLiteral("names no control"));
        }
        return ids;
    };
    for (const auto& [attribute, entries] : entriesOf) {
        const QStringList objectives = identifiers(entries.first, attribute);
        const QStringList controlIds = identifiers(entries.second, attribute);
        for (const QString& objective : objectives) {
            const QString entry = QStringLiteral("objective ") + objective;
            auto rows = rowsOfObjective.value(objective);
            if (objective.size() != 5 || rows.empty()) {
                leave(entry, attribute, notInCatalogue);
                continue;
            }
            std::stable_sort(rows.begin(), rows.end(), [](const ControlRow& x, const ControlRow& y) {
                return QString::compare(x.id, y.id, Qt::CaseInsensitive) < 0;
            });
            // The objective stands for its base control.
            const auto base = std::find_if(rows.cbegin(), rows.cend(), [&](const ControlRow& row) {
                const ControlOrigin::Remembered* r = rememberedOf(row.rowId);
                return r && r->origin.parent.isEmpty();
            });
            if (base == rows.cend())
                leave(entry, attribute, notFromCatalog);
            else
                select(*rememberedOf(base->rowId), entry, attribute);
        }
        for (const QString& id : controlIds) {
            const QString entry = QStringLiteral("control ") + id;
            const auto row = rowOfId.constFind(id);
            if (row == rowOfId.cend()) {
                leave(entry, attribute, notInCatalogue);
                continue;
            }
            if (const ControlOrigin::Remembered* r = rememberedOf(*row))
                select(*r, entry, attribute);
            else
                leave(entry, attribute, notFromCatalog);
        }
    }

    std::stable_sort(selection.controls.begin(), selection.controls.end(),
        [](const OscalSelectedControl& x, const OscalSelectedControl& y) {
            return x.remembered.order < y.remembered.order;
        });
    for (const auto& [entry, l] : leftOut)
        selection.leftOut
            << QStringLiteral("%1 (%2): %3").arg(entry, l.attributes.join(QStringLiteral(", ")), l.reason);
    return selection;
}
