#include "app/main_window.h"

#include "analysis/drivers_tab.h"
#include "analysis/requirements_tab.h"
#include "analysis/trace_window.h"
#include "catalogues/controls_database_tab.h"

#include <QTabWidget>

// Shows the tab and makes the record whose field holds the value current
// there; says so when the tab's list does not hold it. When the page shown
// keeps its edits (a save failed), nothing moves.
void MainWindow::showRecordIn(TabPage* page, Table& table, const char* field, const QString& value, const QString& what)
{
    pageControl()->setCurrentWidget(page);
    if (!isPageShown(page))
        return;
    if (!table.locate(QString::fromLatin1(field), { value }))
        dialogs().notice(QStringLiteral("%1 %2 is not in the list shown").arg(what, value));
}

void MainWindow::followStoreInTraceWindow()
{
    if (TraceWindow* trace = traceWindow())
        trace->followStore();
}

TraceWindow* MainWindow::traceWindow() const
{
    return static_cast<TraceWindow*>(m_traceWindow.data());
}

void MainWindow::openTraceWindow()
{
    // The trace reads the store: edits not yet saved are offered first.
    if (!offerPendingEdits())
        return;
    WaitCursor wait(*m_dialogs);
    delete m_traceWindow;
    auto* trace = new TraceWindow(*m_assessment, divisionFilterText(), this);
    m_traceWindow = trace;
    trace->setAttribute(Qt::WA_DeleteOnClose);
    connect(trace, &TraceWindow::requirementChosen, this, [this](const QString& id) {
        runCommand([&] { showRecordIn(m_requirements, m_assessment->requirements(), "RSeq", id, "Requirement"); });
    });
    connect(trace, &TraceWindow::driverChosen, this, [this](const QString& id) {
        runCommand([&] { showRecordIn(m_drivers, m_assessment->drivers(), "CSeq", id, "Driver"); });
    });
    connect(trace, &TraceWindow::controlChosen, this, [this](const QString& id) {
        runCommand([&] { showRecordIn(m_controlsDatabase, m_assessment->controls(), "Id", id, "Control"); });
    });
    connect(this, &MainWindow::divisionFilterChanged, trace, &TraceWindow::setDivision);
    // Edits typed into a grid are posted without a command: the window looks
    // again once the current event is done.
    Assessment& a = *m_assessment;
    for (Table* table : { &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(),
             &a.businessToTechnical(), &a.technicalToSecurity(), &a.controls() })
        connect(table, &Table::rowChanged, trace, &TraceWindow::followStore, Qt::QueuedConnection);
    trace->show();
    trace->raise();
    trace->activateWindow();
}
