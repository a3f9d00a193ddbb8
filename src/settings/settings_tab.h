#pragma once

#include "gui/tab_page.h"

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class Table;

// The "System" tab: the assessment's identity, the organisation structure,
// driver group and activity names, the autoload settings and the details the
// reports print in their front matter.
class SettingsTab : public TabPage {
    Q_OBJECT
public:
    explicit SettingsTab(TabHost& host);

    void tabShown() override;
    // Saves every group being edited.
    void save() override;
    // Text typed into a group being edited is offered like any tab's edits:
    // Yes saves every group being edited, No shows the stored settings.
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;
    void assessmentReplaced() override;

Q_SIGNALS:
    void identityChanged(const QString& name, const QString& description);
    void divisionsChanged(const QStringList& divisions);

private:
    // A group of boxes edited together, viewing ("Edit") or editing ("Save").
    struct EditGroup {
        LinkLabel* label = nullptr;
        std::vector<QWidget*> boxes;
        QWidget* focus = nullptr; // takes the focus when editing starts
        std::function<void(Table& system)> write; // the boxes into the record (or where they are kept)
        std::function<void()> saved = {}; // after the write: what follows it
        bool edited = false; // typed into since editing started
    };
    // One row of the autoload group: the set's file and whether it loads.
    struct AutoloadRow {
        QCheckBox* check;
        QLineEdit* file;
        const char* fileField;
        const char* flagField;
    };

    QGroupBox* buildProjectDetail();
    QGroupBox* buildOrgStructure();
    QGroupBox* buildNameList(
        const QString& caption, const char* groupName, QPlainTextEdit* names, const char* labelName, EditGroup& group);
    QGroupBox* buildAutoload();
    QGroupBox* buildReportDetails();
    QLayout* autoloadFile(const AutoloadRow& row, const char* browseName, const QString& browseHint);

    // Fills every box and check box from the System record. Nothing is
    // written: a check box set here is no click.
    void showStored();
    void stopEditing(EditGroup& group);
    void watchTyping(EditGroup& group);
    std::array<EditGroup*, 5> editGroups();
    static bool isEditing(const EditGroup& group);
    // The group's Edit/Save label: "Edit" enables the boxes, "Save" writes
    // them into the System record and disables them again.
    void editOrSave(EditGroup& group);
    void saveGroup(EditGroup& group);
    void storeAutoload(const AutoloadRow& row);
    void browse(const AutoloadRow& row); // a browse button: the file chosen is stored

    QLineEdit* m_assId;
    QLineEdit* m_assessment;
    QPlainTextEdit* m_description;
    QLineEdit* m_enterprise;
    QPlainTextEdit* m_divisions;
    QPlainTextEdit* m_groups;
    QPlainTextEdit* m_activities;
    AutoloadRow m_controlSet;
    AutoloadRow m_attributeSet;
    QLineEdit* m_releasedBy;
    QLineEdit* m_contact;
    QLineEdit* m_address;
    QPlainTextEdit* m_commentary;
    QPlainTextEdit* m_disclaimer;
    EditGroup m_projectDetail, m_orgStructure, m_groupNames, m_activityNames, m_reportDetails;
    bool m_filling = false;
};
