#pragma once

#include <QSet>
#include <QString>

class Store;

// Which attributes are in use for a division filter, worked out in memory:
// the store is only read, so every command that merely reads or reports can
// ask without changing the file.
//
// A security attribute is in use when a profile row (DrAtt) of priority 1 to
// 3 of a driver in view names a business attribute that BTAtt maps to a
// technical attribute that TSAtt maps to it, and an Attribute row carries its
// name. The drivers in view are every driver for "All", otherwise those whose
// Division is exactly the filter's text; a row whose driver does not exist
// counts nowhere. With no requirement in view nothing is in use. Of several
// Attribute rows of one name, the first in the table's key order is the one
// in use.
class AttributesInUse {
public:
    static AttributesInUse derive(Store& store, const QString& division);

    bool contains(const QString& name) const { return m_names.contains(name); }
    bool containsRow(qint64 rowId) const { return m_rowIds.contains(rowId); }
    const QSet<QString>& names() const { return m_names; }
    const QSet<qint64>& rowIds() const { return m_rowIds; }
    // Whether any requirement is in view; without one nothing is in use.
    bool requirementsInView() const { return m_requirementsInView; }

private:
    QSet<QString> m_names;
    QSet<qint64> m_rowIds;
    bool m_requirementsInView = false;
};

// The division filter as the tables apply it: "All" lets every record
// through, any other text (empty included) the records of exactly that
// division.
bool divisionPasses(const QString& division, const QString& recordDivision);

// Picks the attributes in use out of a walk over Attribute in key order by
// name: the first row of each name in use, as AttributesInUse counts it.
// For readers that see the names but not the row ids.
class FirstInUse {
public:
    explicit FirstInUse(const AttributesInUse& inUse)
        : m_inUse(inUse)
    {
    }
    bool take(const QString& name)
    {
        if (!m_inUse.contains(name) || m_seen.contains(name))
            return false;
        m_seen.insert(name);
        return true;
    }

private:
    const AttributesInUse& m_inUse;
    QSet<QString> m_seen;
};
