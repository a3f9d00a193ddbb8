#pragma once

#include "gui/tab_page.h"

class QLabel;
class QPlainTextEdit;

// The "Project" tab: the assessment's name and description, and the notepad.
class ProjectTab : public TabPage {
    Q_OBJECT
public:
    explicit ProjectTab(TabHost& host);

    void showIdentity(const QString& name, const QString& description);
    void showNotepad(const QString& text);
    void saveNotepad();
    void save() override { saveNotepad(); }

private:
    QLabel* m_assessment;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_notepad;
};
