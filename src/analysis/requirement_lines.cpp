#include "analysis/requirement_lines.h"

#include "store/line_list.h"
#include "store/store.h"
#include "store/table.h"

namespace {

// Lifts a table's filter for a walk over all its records and puts it back.
class FilterLifted {
public:
    explicit FilterLifted(Table& table)
        : m_table(table)
        , m_filter(table.filter())
        , m_filtered(table.filtered())
    {
        m_table.setFiltered(false);
    }
    ~FilterLifted()
    {
        try {
            restore();
        } catch (...) {
            // The walk's own error is the one to report.
        }
    }
    void restore()
    {
        if (m_restored)
            return;
        m_restored = true;
        m_table.setFilter(m_filter);
        m_table.setFiltered(m_filtered);
    }
    bool wasFiltered() const { return m_filtered; }
    FilterLifted(const FilterLifted&) = delete;
    FilterLifted& operator=(const FilterLifted&) = delete;

private:
    Table& m_table;
    QString m_filter;
    bool m_filtered;
    bool m_restored = false;
};

}

namespace RequirementLines {

QString line(const QString& id, const QString& text)
{
    return id + QStringLiteral(": ") + text;
}

QString rewrittenLine(const QString& id, const QString& text)
{
    return id + QLatin1Char(':') + text;
}

QString identifier(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? line : line.left(colon);
}

bool replaceFirst(QStringList& lines, const QString& oldId, const QString& replacement)
{
    if (oldId.isEmpty())
        return false;
    for (QString& l : lines) {
        if (identifier(l) == oldId) {
            l = replacement;
            return true;
        }
    }
    return false;
}

int rewriteDrivers(Table& drivers, const QString& oldId, const QString& newId, const QString& newText)
{
    if (oldId.isEmpty())
        return 0;
    const QString replacement = rewrittenLine(newId, newText);
    const int requirementField = drivers.fieldIndex(QStringLiteral("Requirement"));
    int changed = 0;
    Store::Transaction tx(drivers.store());
    FilterLifted lifted(drivers);
    // The first move offers pending edits of the current driver for saving,
    // while that driver is still current. The lines are then read from the
    // rows held in memory; only drivers that change become current, so the
    // move hooks run for them and not for every driver.
    drivers.first();
    for (int row = 0; row < drivers.recordCount(); ++row) {
        QStringList lines = LineList::split(drivers.textAt(row, requirementField));
        if (!replaceFirst(lines, oldId, replacement))
            continue;
        drivers.moveTo(row);
        drivers.edit();
        drivers.setText(QStringLiteral("Requirement"), LineList::build(lines));
        drivers.post();
        ++changed;
    }
    // The walk ends on the last driver, as a walk from first to last does.
    drivers.last();
    lifted.restore();
    tx.commit();
    if (lifted.wasFiltered())
        drivers.first();
    return changed;
}

} // namespace RequirementLines

namespace DriverProfile {

bool movesProfile(const QString& oldId, const QString& newId)
{
    return oldId != newId;
}

int moveRows(Table& drAtt, const QString& oldId, const QString& newId)
{
    if (!movesProfile(oldId, newId))
        return 0;
    const int cseq = drAtt.fieldIndex(QStringLiteral("CSeq"));
    int moved = 0;
    Store::Transaction tx(drAtt.store());
    FilterLifted lifted(drAtt);
    const DisplaySuspended suspended { &drAtt };
    for (int row = 0; row < drAtt.recordCount(); ++row) {
        if (drAtt.textAt(row, cseq) != oldId)
            continue;
        drAtt.moveTo(row);
        drAtt.edit();
        drAtt.setText(QStringLiteral("CSeq"), newId);
        drAtt.post();
        ++moved;
    }
    lifted.restore();
    tx.commit();
    return moved;
}

} // namespace DriverProfile
