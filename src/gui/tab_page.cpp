#include "gui/tab_page.h"

#include "gui/data_grid.h"
#include "gui/link_label.h"
#include "store/assessment.h"

TabPage::TabPage(TabHost& host, const char* objectName, const QString& caption)
    : m_host(host)
    , m_caption(caption)
{
    setObjectName(QString::fromLatin1(objectName));
}

Assessment& TabPage::assessment() const
{
    return m_host.assessment();
}

Dialogs& TabPage::dialogs() const
{
    return m_host.dialogs();
}

void TabPage::setStatus(const QString& text) const
{
    m_host.setStatus(text);
}

void TabPage::blankStatus(int blanks) const
{
    setStatus(QString(blanks, QLatin1Char(' ')));
}

bool TabPage::isPageShown() const
{
    return m_host.isPageShown(this);
}

QString TabPage::filteredDivision() const
{
    const QString division = m_host.divisionFilterText();
    return division == QLatin1String("All") ? QString() : division;
}

void TabPage::markWorkUnarchived() const
{
    m_host.assessment().setWorkArchived(false);
}

// A tab's commands work on the store's tables: without a store they do
// nothing (the window has disabled the tabs and said why).
void TabPage::run(const std::function<void()>& command) const
{
    if (m_host.assessment().isOpen())
        m_host.runCommand(command);
}

LinkLabel* TabPage::link(const QString& text, const char* objectName, const std::function<void()>& command)
{
    auto* label = new LinkLabel(text, objectName, this);
    connect(label, &LinkLabel::clicked, this, [this, command] { run(command); });
    return label;
}

DataGrid* TabPage::makeGrid(
    Table& table, std::vector<TableModel::Column> columns, bool editable, const char* objectName)
{
    auto* grid = new DataGrid(table, std::move(columns), editable, objectName, this);
    connect(grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    // Edits pending in the editors are offered before a cell is typed into:
    // the cell's value is then what the editors show and save.
    grid->setBeforeCellEdit([this] { return m_host.offerPendingEdits(); });
    return grid;
}
