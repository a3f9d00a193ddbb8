#pragma once

#include "gui/dialogs.h"
#include "gui/tab_host.h"
#include "store/assessment.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QTabWidget;
class QVBoxLayout;
class StoreProblemBar;
class TabPage;
class ProjectTab;
class RequirementsTab;
class DriversTab;
class BusinessAttributesTab;
class SecurityAttributesTab;
class ApplicationsTab;
class ReportsTab;
class AttributesDatabaseTab;
class ControlsDatabaseTab;
class UploadTab;
class SettingsTab;
class PictureWindow;
class AboutWindow;
class TraceWindow;
class CompareWindow;
class Table;

// The main window: owns the assessment, the eleven tabs, the menu, the status
// line, the division filter box and the dialog interface. It is the only
// place that knows the tabs: it creates them, shows them, and connects what
// one tab announces to the tabs that follow it.
class MainWindow : public QMainWindow, public TabHost {
    Q_OBJECT
public:
    // storePath: the store file (Quarrix.mdb in the working directory for the
    // program). dialogs: the dialog interface; the window's own when null.
    explicit MainWindow(
        const QString& storePath, std::unique_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // TabHost
    Assessment& assessment() override { return *m_assessment; }
    Dialogs& dialogs() override { return *m_dialogs; }
    void setStatus(const QString& text) override;
    QString divisionFilterText() const override;
    const QWidget* pageShown() const override;
    bool runCommand(const std::function<void()>& command) override;
    bool offerPendingEdits() override;
    void showAssessmentAfresh() override;
    void followOtherPrograms() override;

    QString statusText() const;
    QTabWidget* pageControl() const { return m_pages; }
    template <class T> T* tab() const { return findChild<T*>(); }

    QComboBox* divisionFilterBox() const { return m_division; }
    // Fills the division filter box: "All", "Enterprise", then the divisions;
    // it shows "All".
    void rebuildDivisionFilter(const QStringList& divisions);
    // The division filter box's text changed (by the analyst, by Save to
    // Archive, or by tests): the tabs filter their tables.
    void applyDivisionFilter();

    // Shows the assessment's name and description on the Project tab.
    void showProjectIdentity(const QString& name, const QString& description);

    // Opens the trace window for the division filter in force, in place of
    // the one opened before.
    void openTraceWindow();
    TraceWindow* traceWindow() const;
    // The trace window, when open, rebuilds if the store changed.
    void followStoreInTraceWindow();

    // The store the window works on, and whether it is open.
    const QString& storePath() const { return m_storePath; }
    bool storeIsOpen() const { return m_assessment->isOpen(); }
    // The store is open for reading only: a marker says so and why.
    bool storeIsReadOnly() const { return m_assessment->isReadOnly(); }
    // The text of the bar shown while no store is open, or while the store
    // is open for reading only; empty otherwise.
    QString storeProblem() const;
    // Opens another store in the window (File > Open Store..., New Store...):
    // the edits pending are offered, then every tab works on that store. A
    // store that cannot be opened leaves the window without a store, saying
    // why. Returns whether the store opened.
    bool switchToStore(const QString& path, bool create);
    void chooseStoreToOpen();
    void chooseNewStore();

    // File > Compare with Archive...: compares an archive the analyst chooses
    // (the earlier assessment) with the open one, for the division filter in
    // force, and shows the changes in a window of their own.
    void compareWithArchive();
    // The same with the archive given, pending edits already settled.
    void openComparison(const QString& archivePath);
    CompareWindow* compareWindow() const;

    // Menu commands.
    void newDatabase();
    void loadFromArchive();
    // Saves the assessment to an archive; returns false when the analyst
    // cancelled. Errors are raised.
    bool saveToArchive();
    // Returns false when the analyst kept the assessment.
    bool clearDatabase();
    void exitProgram();
    void openHelp();

    // Viewers of the References and Help menus.
    PictureWindow* architectureMatrix() const { return m_architectureMatrix; }
    PictureWindow* serviceMatrix() const { return m_serviceMatrix; }
    PictureWindow* taxonomyPicture() const { return m_taxonomy; }
    AboutWindow* aboutBox() const { return m_about; }

Q_SIGNALS:
    // The division filter changed; every tab that shows or reads Requirements
    // or Drivers follows it, in the order connected.
    void divisionFilterChanged(const QString& division);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Before the analyst's input reaches a control (a click, a key), a change
    // another program made to the store is shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDivisionFilter();
    void buildMenu();
    void buildTabs();
    void connectTabs();
    void startUp(const QString& storePath);
    void closeStore(); // the tabs go with the tables they show
    void showStoreProblem(const StoreCondition& failure);
    void showStoreState(); // the title, the marker, the bar and what can be used
    void createViewers();
    void pageChanged(int index);
    void showNewDivisions(const QStringList& divisions);
    void reportFailure(const QString& message);
    void showStoredIdentity();
    bool hasUnarchivedWork(); // the saved flag is false
    // Before the assessment is replaced: work not in an archive is offered
    // for saving. False when the analyst cancelled the question or the save.
    bool offerArchiveFirst();
    bool confirmClearing(); // before Clear and New: false when the analyst stopped them

    void showRecordIn(TabPage* page, Table& table, const char* field, const QString& value, const QString& what);
    void saveChangeReport();
    QString askArchiveToOpen(const QString& title); // empty when cancelled

    std::unique_ptr<Assessment> m_assessment = std::make_unique<Assessment>();
    std::unique_ptr<Dialogs> m_dialogs;
    QString m_storePath;
    QVBoxLayout* m_column = nullptr; // the client area: the bar, the division filter, the tabs
    StoreProblemBar* m_storeBar = nullptr;
    std::vector<QAction*> m_storeCommands; // the File commands that need an open store
    QTabWidget* m_pages = nullptr;
    QComboBox* m_division = nullptr;
    QString m_divisionApplied = QStringLiteral("All"); // the filter the tables hold, to go back to when a save fails
    QLabel* m_status = nullptr;
    ProjectTab* m_project = nullptr;
    RequirementsTab* m_requirements = nullptr;
    DriversTab* m_drivers = nullptr;
    BusinessAttributesTab* m_profile = nullptr;
    SecurityAttributesTab* m_securityAttributes = nullptr;
    ApplicationsTab* m_applications = nullptr;
    ReportsTab* m_reports = nullptr;
    AttributesDatabaseTab* m_attributesDatabase = nullptr;
    ControlsDatabaseTab* m_controlsDatabase = nullptr;
    UploadTab* m_upload = nullptr;
    SettingsTab* m_settings = nullptr;
    std::vector<TabPage*> m_tabs;
    TabPage* m_pageShown = nullptr;
    bool m_exiting = false;
    // Other programs' commits to the store when the window last looked.
    quint64 m_othersSeen = 0;
    bool m_othersKnown = false;
    bool m_following = false;
    PictureWindow* m_architectureMatrix = nullptr;
    PictureWindow* m_serviceMatrix = nullptr;
    PictureWindow* m_taxonomy = nullptr;
    AboutWindow* m_about = nullptr;
    QPointer<QWidget> m_traceWindow; // a TraceWindow
    QPointer<QWidget> m_compareWindow; // a CompareWindow
};
