#include "catalogues/starter_set_offer.h"

#include "catalogues/starter_sets.h"
#include "gui/dialogs.h"
#include "gui/tab_host.h"
#include "store/table.h"

StarterSetOffer::StarterSetOffer(TabHost& host, Set set, QWidget* parent)
    : LinkLabel(set == Set::Controls
            ? QStringLiteral("The control catalogue is empty: load the starter control set")
            : QStringLiteral("The attribute taxonomy is empty: load the starter attribute set"),
        set == Set::Controls ? "hStarterControls" : "hStarterAttributes", parent)
    , m_host(host)
    , m_set(set)
{
    setToolTip(set == Set::Controls
            ? QStringLiteral("Loads the control set that comes with the program, as a new database does")
            : QStringLiteral("Loads the attribute set that comes with the program, with its links, as a new "
                             "database does"));
    hide();
    connect(this, &LinkLabel::clicked, this, [this] { load(); });
}

void StarterSetOffer::follow(Table& table)
{
    connect(&table, &Table::rowsReset, this, [this, &table] { showFor(table); });
    showFor(table);
}

void StarterSetOffer::showFor(const Table& table)
{
    // A count asks the store; the offer stands while nothing is there.
    setVisible(table.isOpen() && table.recordCount() == 0 && !table.filtered());
}

void StarterSetOffer::load()
{
    const bool done = m_host.runCommand([this] {
        if (!m_host.offerPendingEdits())
            throw MoveStopped();
        WaitCursor wait(m_host.dialogs());
        if (m_set == Set::Controls)
            StarterSets::importControls(m_host.assessment());
        else
            StarterSets::importAttributes(m_host.assessment());
        m_host.setStatus(m_set == Set::Controls ? QStringLiteral("Starter control set loaded")
                                                : QStringLiteral("Starter attribute set loaded"));
    });
    if (done)
        Q_EMIT loaded();
}
