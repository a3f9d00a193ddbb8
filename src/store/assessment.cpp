#include "store/assessment.h"

#include "store/quarrix_error.h"
#include "store/report_details.h"
#include "store/store_messages.h"

Assessment::~Assessment()
{
    close();
}

void Assessment::close()
{
    // Tables detach from the store, so they go first.
    m_system.reset();
    m_requirements.reset();
    m_drivers.reset();
    m_driverProfiles.reset();
    m_attribute.reset();
    m_businessToTechnical.reset();
    m_technicalToSecurity.reset();
    m_controls.reset();
    m_applications.reset();
    m_appControl.reset();
    m_controlDriverTrace.reset();
    m_store.reset();
}

bool Assessment::open(const QString& path, bool createIfMissing, QString* error)
{
    StoreCondition failure;
    const bool opened = open(path, createIfMissing ? StoreOpening::CreateIfMissing : StoreOpening::Existing, &failure);
    if (!opened)
        *error = failure.message;
    return opened;
}

bool Assessment::open(const QString& path, StoreOpening how, StoreCondition* failure)
{
    close();
    std::unique_ptr<Store> store = Store::open(path, how, failure);
    return store && openTables(std::move(store), failure);
}

bool Assessment::open(std::unique_ptr<Store> store, QString* error)
{
    close();
    StoreCondition failure;
    const bool opened = openTables(std::move(store), &failure);
    if (!opened)
        *error = failure.message;
    return opened;
}

bool Assessment::openTables(std::unique_ptr<Store> store, StoreCondition* failure)
{
    m_store = std::move(store);
    const QString path = m_store->path();
    auto make = [this](const char* name) {
        return std::make_unique<Table>(*m_store, *Schema::find(QString::fromLatin1(name)));
    };
    m_system = make("System");
    m_requirements = make("Requirements");
    m_drivers = make("Drivers");
    m_driverProfiles = make("DrAtt");
    m_attribute = make("Attribute");
    m_businessToTechnical = make("BTAtt");
    m_technicalToSecurity = make("TSAtt");
    m_controls = make("Controls");
    m_applications = make("Applications");
    m_appControl = make("AppControl");
    m_controlDriverTrace = make("IDDR");
    try {
        for (Table* t : { m_system.get(), m_requirements.get(), m_drivers.get(), m_driverProfiles.get(),
                 m_attribute.get(), m_businessToTechnical.get(), m_technicalToSecurity.get(), m_controls.get(),
                 m_applications.get(), m_appControl.get(), m_controlDriverTrace.get() })
            t->open();
    } catch (const QuarrixError& e) {
        *failure = { StoreMessages::problemOf(m_store->handle()), QStringLiteral("%1: %2").arg(path, e.message()) };
        close();
        return false;
    }
    return true;
}

Store& Assessment::store()
{
    if (!m_store)
        throw QuarrixError(QStringLiteral("The store Quarrix.mdb is not open."));
    return *m_store;
}

Table& Assessment::table(const std::unique_ptr<Table>& t)
{
    if (!t)
        throw QuarrixError(QStringLiteral("The store Quarrix.mdb is not open."));
    return *t;
}

Table* Assessment::byName(const QString& name)
{
    for (Table* t : { m_system.get(), m_requirements.get(), m_drivers.get(), m_driverProfiles.get(), m_attribute.get(),
             m_businessToTechnical.get(), m_technicalToSecurity.get(), m_controls.get(), m_applications.get(),
             m_appControl.get(), m_controlDriverTrace.get() })
        if (t && t->name().compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return nullptr;
}

void Assessment::emptyTable(Table& t)
{
    t.close();
    store().deleteAll(t.name());
    t.open();
}

void Assessment::emptyTables()
{
    Table* nine[] = { &requirements(), &drivers(), &attribute(), &businessToTechnical(), &technicalToSecurity(),
        &driverProfiles(), &controls(), &applications(), &appControl() };
    {
        Store::Transaction tx(store());
        for (Table* t : nine)
            store().deleteAll(t->name());
        tx.commit();
    }
    for (Table* t : nine) {
        t->close();
        t->open();
    }
    for (Table* t : nine) {
        try {
            t->refresh();
        } catch (const QuarrixError&) {
            // a refresh error is ignored here, as the tables were just reopened
        }
    }
}

void Assessment::clearDatabase()
{
    // All or nothing: a failure leaves the assessment whole.
    Store::Transaction tx(store());
    Table& sys = system();
    sys.edit();
    for (const char* field :
        { "AssID", "Assessment", "Description", "Enterprise", "Divisions", "Groups", "Activities", "Notepad" })
        sys.setText(QString::fromLatin1(field), QString());
    sys.post();
    ReportDetailsStore::clear(store());
    emptyTables();
    tx.commit();
}

bool Assessment::workArchived()
{
    return store().workArchived();
}

void Assessment::setWorkArchived(bool archived)
{
    store().setWorkArchived(archived);
}
