#pragma once

#include "gui/tab_page_widget.h"

class QLabel;
class QPlainTextEdit;

// The "Project" tab: the assessment's name and description, and the notepad.
class ProjectTab : public TabPage {
    Q_OBJECT
public:
    explicit ProjectTab(MainWindow& form);

    void tabShown() override;
    void showIdentity(const QString& name, const QString& description);
    void showNotepad(const QString& text);
    void hSave0Click();

private:
    QLabel* m_assessment;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_notepad;
};
