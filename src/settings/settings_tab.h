#pragma once

#include "gui/tab_page.h"

#include <vector>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

// The "System" tab: the assessment's identity, the organisation structure,
// driver group and activity names, and the autoload settings.
class SettingsTab : public TabPage {
    Q_OBJECT
public:
    explicit SettingsTab(TabHost& host);

    void tabShown() override;
    void hEdit2Click();
    void hEdit3Click();
    void hEdit5Click();
    void hEdit6Click();
    void bbBrowseControlClick();
    void bbBrowseAttributeClick();

Q_SIGNALS:
    void identityChanged(const QString& name, const QString& description);
    void divisionsChanged(const QStringList& divisions);

private:
    struct Group {
        LinkLabel* label;
        std::vector<QWidget*> boxes;
    };
    // Edit/Save cycle of one group. Returns true when it saved.
    bool toggle(Group& group, QWidget* focus, const std::function<void()>& write);
    void storeAutoload(QLineEdit* file, QCheckBox* check, const char* fileField, const char* flagField);
    void browse(QLineEdit* file, QCheckBox* check, const char* fileField, const char* flagField);

    QLineEdit* m_assId;
    QLineEdit* m_assessment;
    QPlainTextEdit* m_description;
    QLineEdit* m_enterprise;
    QPlainTextEdit* m_divisions;
    QPlainTextEdit* m_groups;
    QPlainTextEdit* m_activities;
    QCheckBox* m_autoControl;
    QLineEdit* m_autoControlFile;
    QCheckBox* m_autoAttribute;
    QLineEdit* m_autoAttributeFile;
    Group m_project, m_org, m_groupNames, m_activityNames;
};
