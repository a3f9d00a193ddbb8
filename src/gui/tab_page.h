#pragma once

#include "gui/dialogs.h"
#include "gui/tab_host.h"
#include "gui/table_model.h"

#include <QWidget>
#include <functional>

class Assessment;
class Dialogs;
class DataGrid;
class LinkLabel;
class Table;

// Base of the eleven tabs. The window runs tabShown() when the tab becomes the
// page shown (before the old page's tabHidden()), after offering the old
// page's pending edits.
class TabPage : public QWidget {
    Q_OBJECT
public:
    TabPage(TabHost& host, const char* objectName, const QString& caption);
    const QString& caption() const { return m_caption; }
    TabHost& host() const { return m_host; }
    Dialogs& dialogs() const;

    virtual void tabShown() { }
    virtual void tabHidden() { }
    // Runs once the window has opened the store at start-up. The tables do not
    // exist before, so tabs bind their grids and record editors here.
    virtual void storeOpened() { }
    // The assessment changed as a whole (a load, a clear, a new database, an
    // import): the tab lets go of what it showed of the one before (groups
    // being edited, boxes filled on show). The window has offered the tab's
    // edits first, and runs the show step of the page shown afterwards.
    virtual void assessmentReplaced() { }
    // Offers the tab's edits not yet saved ("Save changes?"); the window calls
    // it before the tab is left and before commands that change the whole
    // record set. False when a save failed.
    virtual bool offerPendingEdits() { return true; }
    // The tab's editors hold edits not yet saved.
    virtual bool hasPendingEdits() const { return false; }
    // The tab's Save command, which Ctrl+S runs while the tab is shown; tabs
    // without one do nothing.
    virtual void save() { }

protected:
    Assessment& assessment() const;
    void setStatus(const QString& text) const;
    // Blanks the status line as a command starts; the tabs' commands write
    // 21 blanks, their grid clicks and moves 22.
    void blankStatus(int blanks = 21) const;
    bool isPageShown() const; // this tab is the page shown
    // The division the filter shows, or empty text while it shows "All": a
    // record added under a filter starts in that division, so it stays in view.
    QString filteredDivision() const;
    // The store now holds work that is not in an archive (the saved flag false).
    void markWorkUnarchived() const;

    // Runs a command; an error it raises is shown with its message and ends
    // it. Nothing runs while no store is open.
    void run(const std::function<void()>& command) const;
    // A command label that runs the command on click, for a layout to place.
    LinkLabel* link(const QString& text, const char* objectName, const std::function<void()>& command);
    // A grid on a table, named; a value typed into a cell that the table
    // refuses is shown as an error.
    DataGrid* makeGrid(Table& table, std::vector<TableModel::Column> columns, bool editable, const char* objectName);

private:
    TabHost& m_host;
    QString m_caption;
};
