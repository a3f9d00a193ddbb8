#pragma once

#include "app/session_flags.h"
#include "gui/dialogs.h"
#include "store/assessment.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QTabWidget;
class TabPage;
class ProjectTab;
class PictureWindow;
class AboutWindow;

// The main window: owns the assessment, the eleven tabs, the menu, the status
// line, the division filter box and the dialog interface.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // storePath: the store file (Quarrix.mdb in the working directory for the
    // program). dialogs: the dialog interface; the window's own when null.
    explicit MainWindow(
        const QString& storePath, std::unique_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    Assessment& assessment() { return m_assessment; }
    Dialogs& dialogs() { return *m_dialogs; }
    SessionFlags& flags() { return m_flags; }

    void setStatus(const QString& text);
    QString statusText() const;

    // Runs a command: an error it raises is shown with its message and ends
    // it; the window stays usable. Returns false when the command failed.
    bool run(const std::function<void()>& command);

    TabPage* pageShown() const { return m_pageShown; }
    void showPage(TabPage* page);
    QTabWidget* pageControl() const { return m_pages; }
    template <class T> T* tab() const { return findChild<T*>(); }

    QComboBox* divisionFilterBox() const { return m_division; }
    // Fills the division filter box: "All", "Enterprise", then the divisions.
    void rebuildDivisionFilter(const QStringList& divisions, bool showAll);
    // The division filter box's text, as the reports and the derivation read it.
    QString divisionFilterText() const;
    // Division filter chosen (by the analyst, by Save to Archive, or by tests).
    void cbDivision0Change();

    // Shows the assessment's name and description on the Project tab.
    void showProjectIdentity(const QString& name, const QString& description);

    // Menu commands.
    void newDatabase();
    void loadFromArchive();
    // Saves the assessment to an archive; returns false when the analyst
    // cancelled. Errors are raised.
    bool saveToArchive();
    void clearDatabase();
    void exitProgram();
    void openHelp();

    // Viewers of the References and Help menus.
    PictureWindow* architectureMatrix() const { return m_architectureMatrix; }
    PictureWindow* serviceMatrix() const { return m_serviceMatrix; }
    PictureWindow* taxonomyPicture() const { return m_taxonomy; }
    AboutWindow* aboutBox() const { return m_about; }

    QSize referenceSize() const { return m_referenceSize; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildTabs();
    void startUp(const QString& storePath);
    void createViewers();
    void pageChanged(int index);
    void applyProportionalResize(const QSize& size);

    Assessment m_assessment;
    SessionFlags m_flags;
    std::unique_ptr<Dialogs> m_dialogs;
    QTabWidget* m_pages = nullptr;
    QComboBox* m_division = nullptr;
    QLabel* m_status = nullptr;
    std::vector<TabPage*> m_tabs;
    TabPage* m_pageShown = nullptr;
    QSize m_referenceSize { 0, 0 };
    bool m_exiting = false;
    PictureWindow* m_architectureMatrix = nullptr;
    PictureWindow* m_serviceMatrix = nullptr;
    PictureWindow* m_taxonomy = nullptr;
    AboutWindow* m_about = nullptr;
};
