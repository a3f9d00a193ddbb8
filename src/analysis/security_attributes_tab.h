#pragma once

#include "gui/tab_page.h"

class DataGrid;
class RecordEditor;
class QComboBox;
class QVBoxLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The "Security Attributes" tab: the attributes in use, and for the one
// selected its description, profile, control objectives and controls.
class SecurityAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit SecurityAttributesTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    void tabHidden() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;
    void save() override { saveAttribute(); }

    // The division filter changed: the attributes in use are recomputed while
    // this tab shows.
    void followDivisionFilter(const QString& division);

    void saveAttribute(); // the Save link
    void addObjective(); // the objective's Add link
    void addControl(); // the control's Add link

Q_SIGNALS:
    // The "Trace" link: the analyst asks for the trace window.
    void traceRequested();
    // The tab was left; the attributes in use it showed may be given back
    // unless the page shown next lists them too.
    void attributesInUseLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAttribute(); // fills the editors from the current attribute
    void writeAttribute(qint64 rowId);
    void fillCatalogue();
    void insertObjective(); // the chosen objective with its controls
    void insertControl(); // the chosen control
    void objectiveListKey(int key);
    void controlListKey(int key);

    QVBoxLayout* m_gridColumn = nullptr; // the caption and Trace link, then the grid
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    QLineEdit* m_group;
    QLineEdit* m_name;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_profile;
    QListWidget* m_objectives;
    QListWidget* m_controls;
    QComboBox* m_objectiveChoice;
    QComboBox* m_controlChoice;
};
