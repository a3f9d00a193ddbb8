#pragma once

#include "core/session_flags.h"
#include "store/store.h"
#include "store/table.h"

#include <QString>
#include <memory>

// The working assessment: the store and its eleven open tables, plus the
// process-wide flags. The window and the command line both work through it.
class Assessment {
public:
    Assessment() = default;
    ~Assessment();
    Assessment(const Assessment&) = delete;
    Assessment& operator=(const Assessment&) = delete;

    // Opens (creating if missing) the store and its tables in start-up order.
    // On failure returns false with a message naming the file; no table is open.
    bool open(const QString& path, bool createIfMissing, QString* error);
    bool isOpen() const { return m_store != nullptr; }

    Store& store();

    Table& system() { return table(m_system); }
    Table& requirements() { return table(m_requirements); }
    Table& drivers() { return table(m_drivers); }
    Table& drAtt() { return table(m_drAtt); }
    Table& attribute() { return table(m_attribute); }
    Table& btAtt() { return table(m_btAtt); }
    Table& tsAtt() { return table(m_tsAtt); }
    Table& controls() { return table(m_controls); }
    Table& applications() { return table(m_applications); }
    Table& appControl() { return table(m_appControl); }
    Table& iddr() { return table(m_iddr); }
    Table* byName(const QString& name);

    SessionFlags& flags() { return m_flags; }

    // Closes the table, runs the delete-all statement on it and opens it again.
    void emptyTable(Table& table);
    // Empty tables: the nine assessment tables (not System, not IDDR).
    void emptyTables();
    // Clear Database without the archive step: empties the assessment fields
    // of System and the nine tables.
    void clearDatabase();

private:
    Table& table(const std::unique_ptr<Table>& t);

    std::unique_ptr<Store> m_store;
    std::unique_ptr<Table> m_system, m_requirements, m_drivers, m_drAtt, m_attribute, m_btAtt, m_tsAtt, m_controls,
        m_applications, m_appControl, m_iddr;
    SessionFlags m_flags;
};
