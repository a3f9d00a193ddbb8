#pragma once

#include "store/store.h"
#include "store/table.h"

#include <QString>
#include <memory>

// The working assessment: the store and its eleven open tables. The window
// and the command line both work through it.
class Assessment {
public:
    Assessment() = default;
    ~Assessment();
    Assessment(const Assessment&) = delete;
    Assessment& operator=(const Assessment&) = delete;

    // Opens the store (see Store::open) and its tables in start-up order.
    // On failure returns false with the kind of problem and a message naming
    // the file and the system's reason; no table is open.
    bool open(const QString& path, StoreOpening how, StoreCondition* failure);
    // As above, creating a missing store when createIfMissing is set; the
    // failure is told by its message only.
    bool open(const QString& path, bool createIfMissing, QString* error);
    // Opens the tables over a store already open (one in memory, say).
    bool open(std::unique_ptr<Store> store, QString* error);
    bool isOpen() const { return m_store != nullptr; }
    // Closes the tables and the store; an assessment that was not open stays so.
    void close();
    // A store open for reading only refuses every write with the reason.
    bool isReadOnly() const { return m_store && m_store->isReadOnly(); }
    StoreCondition readOnlyReason() const { return m_store ? m_store->readOnlyReason() : StoreCondition(); }

    Store& store();

    Table& system() { return table(m_system); }
    Table& requirements() { return table(m_requirements); }
    Table& drivers() { return table(m_drivers); }
    Table& driverProfiles() { return table(m_driverProfiles); }
    Table& attribute() { return table(m_attribute); }
    Table& businessToTechnical() { return table(m_businessToTechnical); }
    Table& technicalToSecurity() { return table(m_technicalToSecurity); }
    Table& controls() { return table(m_controls); }
    Table& applications() { return table(m_applications); }
    Table& appControl() { return table(m_appControl); }
    Table& controlDriverTrace() { return table(m_controlDriverTrace); }
    Table* byName(const QString& name);

    // Closes the table, runs the delete-all statement on it and opens it again.
    void emptyTable(Table& table);
    // Empty tables: the nine assessment tables (not System, not IDDR).
    void emptyTables();
    // Clear Database without the archive step: empties the assessment fields
    // of System, the report details and the nine tables.
    void clearDatabase();

    // Whether every change of the store is in an archive (the saved flag),
    // as the store keeps it across restarts.
    bool workArchived();
    void setWorkArchived(bool archived);

private:
    bool openTables(std::unique_ptr<Store> store, StoreCondition* failure);
    Table& table(const std::unique_ptr<Table>& t);

    std::unique_ptr<Store> m_store;
    std::unique_ptr<Table> m_system, m_requirements, m_drivers, m_driverProfiles, m_attribute, m_businessToTechnical,
        m_technicalToSecurity, m_controls, m_applications, m_appControl, m_controlDriverTrace;
};
