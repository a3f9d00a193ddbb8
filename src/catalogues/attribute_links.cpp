#include "catalogues/attribute_links.h"

#include "analysis/carried_attributes.h"
#include "catalogues/catalogue_keys.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/text_cut.h"

#include <QStringList>

namespace {

QString count(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

qint64 scalar(Store& store, const QString& sql, const QVariantList& values)
{
    SqlStatement& q = store.cached(sql);
    q.reset();
    for (int i = 0; i < values.size(); ++i)
        q.bind(i + 1, values[i]);
    const qint64 value = q.step() ? q.columnInt64(0) : 0;
    q.reset();
    return value;
}

// Renames one side of a mapping table and works out the pair keys again.
int moveMappings(Store& store, const char* table, const char* key, const char* first, const char* second,
    const QString& oldName, const QString& newName)
{
    struct Row {
        qint64 rowid;
        QString first, second;
    };
    std::vector<Row> rows;
    SqlStatement& find
        = store.cached(QStringLiteral("SELECT rowid, COALESCE(%2,''), COALESCE(%3,'') FROM %1 "
                                      "WHERE COALESCE(%2,'')=?1 OR COALESCE(%3,'')=?1")
                           .arg(QString::fromLatin1(table), QString::fromLatin1(first), QString::fromLatin1(second)));
    find.reset();
    find.bind(1, oldName);
    find.eachRow([&](SqlStatement& s) { rows.push_back({ s.columnInt64(0), s.text(1), s.text(2) }); });
    SqlStatement& update = store.cached(QStringLiteral("UPDATE %1 SET %2=?, %3=?, %4=? WHERE rowid=?")
                                            .arg(QString::fromLatin1(table), QString::fromLatin1(key),
                                                QString::fromLatin1(first), QString::fromLatin1(second)));
    for (Row& r : rows) {
        if (r.first == oldName)
            r.first = newName;
        if (r.second == oldName)
            r.second = newName;
        update.bind(1, CatalogueKeys::pairKey(r.first, r.second));
        update.bind(2, r.first);
        update.bind(3, r.second);
        update.bind(4, r.rowid);
        update.run();
    }
    return int(rows.size());
}

}

QString AttributeLinks::renameQuestion() const
{
    QStringList parts;
    if (mappings)
        parts << count(mappings, "mapping row (BTAtt, TSAtt)", "mapping rows (BTAtt, TSAtt)");
    if (profileRows)
        parts << count(profileRows, "driver profile row", "driver profile rows");
    if (applications)
        parts << count(applications, "application's attribute list", "applications' attribute lists");
    if (riskEntries)
        parts << count(riskEntries, "application risk entry", "application risk entries");
    QString question
        = QStringLiteral("Rename the attribute %1 to %2? %3 %4 with it: %5.")
              .arg(from, to, count(total(), "link", "links"),
                  total() == 1 ? QStringLiteral("moves") : QStringLiteral("move"), parts.join(QStringLiteral(", ")));
    if (mergedProfileRows)
        question += QStringLiteral(" %1 of a driver that already profiles %2 %3 into that row, which keeps the "
                                   "higher priority.")
                        .arg(count(mergedProfileRows, "profile row", "profile rows"), to,
                            mergedProfileRows == 1 ? QStringLiteral("merges") : QStringLiteral("merge"));
    return question;
}

namespace AttributeRename {

QString storedName(Assessment& assessment, const QString& name)
{
    const Table& attribute = assessment.attribute();
    return cutToCharacters(
        name, attribute.def().fields[size_t(attribute.fieldIndex(QStringLiteral("Attribute")))].width);
}

AttributeLinks linksToMove(Assessment& assessment, qint64 rowId, const QString& newName)
{
    Store& store = assessment.store();
    SqlStatement& name = store.cached(QStringLiteral("SELECT COALESCE(Attribute,'') FROM Attribute WHERE rowid=?"));
    name.reset();
    name.bind(1, rowId);
    const QString oldName = name.step() ? name.text(0) : QString();
    name.reset();
    const QString stored = storedName(assessment, newName);
    AttributeLinks links;
    links.from = oldName;
    links.to = stored;
    if (oldName == stored
        || scalar(store,
            QStringLiteral("SELECT EXISTS(SELECT 1 FROM Attribute WHERE COALESCE(Attribute,'')=? AND rowid<>?)"),
            { oldName, rowId }))
        return links;
    links.mappings = int(scalar(store,
        QStringLiteral("SELECT (SELECT COUNT(*) FROM BTAtt WHERE COALESCE(BusAtt,'')=?1 OR COALESCE(TechAtt,'')=?1)"
                       " + (SELECT COUNT(*) FROM TSAtt WHERE COALESCE(TechAtt,'')=?1 OR COALESCE(SecAtt,'')=?1)"),
        { oldName }));
    links.profileRows
        = int(scalar(store, QStringLiteral("SELECT COUNT(*) FROM DrAtt WHERE COALESCE(Attribute,'')=?"), { oldName }));
    links.mergedProfileRows = int(scalar(store,
        QStringLiteral(
            "SELECT COUNT(*) FROM DrAtt o WHERE COALESCE(o.Attribute,'')=?1 AND EXISTS(SELECT 1 FROM DrAtt n "
            "WHERE COALESCE(n.Attribute,'')=?2 AND COALESCE(n.CSeq,'')=COALESCE(o.CSeq,''))"),
        { oldName, stored }));
    store.cached(QStringLiteral("SELECT SecAtt FROM Applications")).eachRow([&](SqlStatement& s) {
        if (LineList::split(s.text(0)).contains(oldName))
            ++links.applications;
    });
    links.riskEntries = int(
        scalar(store, QStringLiteral("SELECT COUNT(*) FROM AppControl WHERE COALESCE(Attribute,'')=?"), { oldName }));
    return links;
}

AttributeLinks moveLinks(Assessment& assessment, const QString& oldName, const QString& newName)
{
    Store& store = assessment.store();
    AttributeLinks moved;
    moved.from = oldName;
    moved.to = newName;
    {
        Store::Transaction tx(store);
        moved.mappings = moveMappings(store, "BTAtt", "BTAtt", "BusAtt", "TechAtt", oldName, newName)
            + moveMappings(store, "TSAtt", "TSAtt", "TechAtt", "SecAtt", oldName, newName);

        // Profile rows: at most one row per driver and attribute.
        struct Row {
            qint64 rowid;
            QString cseq;
            QVariant priority;
        };
        std::vector<Row> rows;
        SqlStatement& find = store.cached(
            QStringLiteral("SELECT rowid, COALESCE(CSeq,''), Priority FROM DrAtt WHERE COALESCE(Attribute,'')=?"));
        find.reset();
        find.bind(1, oldName);
        find.eachRow([&](SqlStatement& s) { rows.push_back({ s.columnInt64(0), s.text(1), s.column(2) }); });
        SqlStatement& existing = store.cached(QStringLiteral(
            "SELECT rowid, Priority FROM DrAtt WHERE COALESCE(CSeq,'')=? AND COALESCE(Attribute,'')=? ORDER BY rowid"));
        SqlStatement& rename = store.cached(QStringLiteral("UPDATE DrAtt SET Attribute=? WHERE rowid=?"));
        SqlStatement& setPriority = store.cached(QStringLiteral("UPDATE DrAtt SET Priority=? WHERE rowid=?"));
        SqlStatement& drop = store.cached(QStringLiteral("DELETE FROM DrAtt WHERE rowid=?"));
        for (const Row& r : rows) {
            existing.reset();
            existing.bind(1, r.cseq);
            existing.bind(2, newName);
            const bool merge = existing.step();
            const qint64 target = merge ? existing.columnInt64(0) : 0;
            const QVariant kept = merge ? existing.column(1) : QVariant();
            existing.reset();
            ++moved.profileRows;
            if (!merge) {
                rename.bind(1, newName);
                rename.bind(2, r.rowid);
                rename.run();
                continue;
            }
            ++moved.mergedProfileRows;
            if (isProfiledPriority(r.priority)
                && (!isProfiledPriority(kept) || r.priority.toLongLong() < kept.toLongLong())) {
                setPriority.bind(1, r.priority);
                setPriority.bind(2, target);
                setPriority.run();
            }
            drop.bind(1, r.rowid);
            drop.run();
        }

        // The applications' attribute lists, each name once.
        std::vector<std::pair<qint64, QString>> lists;
        store.cached(QStringLiteral("SELECT rowid, SecAtt FROM Applications")).eachRow([&](SqlStatement& s) {
            QStringList names = LineList::split(s.text(1));
            if (!names.contains(oldName))
                return;
            for (QString& name : names)
                if (name == oldName)
                    name = newName;
            names.removeDuplicates();
            lists.emplace_back(s.columnInt64(0), LineList::build(names));
        });
        SqlStatement& list = store.cached(QStringLiteral("UPDATE Applications SET SecAtt=? WHERE rowid=?"));
        for (const auto& [rowid, value] : lists) {
            list.bind(1, value);
            list.bind(2, rowid);
            list.run();
        }
        moved.applications = int(lists.size());

        SqlStatement& risks
            = store.cached(QStringLiteral("UPDATE AppControl SET Attribute=? WHERE COALESCE(Attribute,'')=?"));
        risks.bind(1, newName);
        risks.bind(2, oldName);
        const qint64 before = store.totalChanges();
        risks.run();
        moved.riskEntries = int(store.totalChanges() - before);
        tx.commit();
    }
    for (Table* t : { &assessment.businessToTechnical(), &assessment.technicalToSecurity(),
             &assessment.driverProfiles(), &assessment.applications(), &assessment.appControl() })
        t->refresh();
    return moved;
}

}
