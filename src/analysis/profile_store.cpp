#include "analysis/profile_store.h"

#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/store.h"
#include "store/text_cut.h"

#include <sqlite3.h>

#include <QHash>

namespace ProfileStore {

std::vector<ProfileEntry> read(Assessment& assessment, const QString& cseq)
{
    std::vector<ProfileEntry> rows;
    SqlStatement& q = assessment.store().cached(
        QStringLiteral("SELECT Attribute, Priority FROM DrAtt WHERE COALESCE(CSeq,'')=? ORDER BY rowid"));
    q.reset();
    q.bind(1, cseq);
    q.eachRow([&](SqlStatement& s) {
        const QVariant p = s.column(1);
        rows.push_back({ s.text(0), p.isValid() ? int(p.toLongLong()) : 0 });
    });
    return rows;
}

void save(Assessment& assessment, const QString& cseq, const std::vector<ProfileEntry>& entries)
{
    Store& store = assessment.store();
    Table& drAtt = assessment.driverProfiles();
    const QString id = cutToCharacters(cseq, drAtt.def().fields[drAtt.fieldIndex(QStringLiteral("CSeq"))].width);
    const int nameWidth = drAtt.def().fields[drAtt.fieldIndex(QStringLiteral("Attribute"))].width;
    {
        Store::Transaction tx(store);
        // The first row of each attribute for this driver, found in one pass.
        QHash<QString, qint64> firstRow;
        SqlStatement& find = store.cached(
            QStringLiteral("SELECT rowid, Attribute FROM DrAtt WHERE COALESCE(CSeq,'')=? ORDER BY rowid"));
        find.reset();
        find.bind(1, id);
        find.eachRow([&](SqlStatement& s) {
            const QString name = s.text(1);
            if (!firstRow.contains(name))
                firstRow.insert(name, s.columnInt64(0));
        });
        SqlStatement& del = store.cached(QStringLiteral("DELETE FROM DrAtt WHERE rowid=?"));
        SqlStatement& update = store.cached(QStringLiteral("UPDATE DrAtt SET Priority=? WHERE rowid=?"));
        SqlStatement& insert
            = store.cached(QStringLiteral("INSERT INTO DrAtt (CSeq, Attribute, Priority) VALUES (?,?,?)"));
        for (const ProfileEntry& e : entries) {
            const QString name = cutToCharacters(e.attribute, nameWidth);
            const auto found = firstRow.constFind(name);
            if (e.priority == 0) {
                if (found == firstRow.constEnd())
                    continue;
                del.bind(1, *found);
                del.run();
                firstRow.remove(name);
            } else if (found != firstRow.constEnd()) {
                update.bind(1, e.priority);
                update.bind(2, *found);
                update.run();
            } else {
                insert.bind(1, id);
                insert.bind(2, name);
                insert.bind(3, e.priority);
                insert.run();
                firstRow.insert(name, sqlite3_last_insert_rowid(store.handle()));
            }
        }
        tx.commit();
    }
    drAtt.refresh();
}

void saveForDriver(Assessment& assessment, qint64 driverRowId, const std::vector<ProfileEntry>& entries)
{
    SqlStatement& id = assessment.store().cached(QStringLiteral("SELECT COALESCE(CSeq,'') FROM Drivers WHERE rowid=?"));
    id.bind(1, driverRowId);
    const bool found = id.step();
    const QString cseq = found ? id.text(0) : QString();
    id.reset();
    if (!found)
        throw QuarrixError(QStringLiteral("The driver of this profile is no longer in the store; nothing was saved."));
    save(assessment, cseq, entries);
}

}
