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
    // Shows the stored notes; text typed into the notepad is then no edit.
    void showNotepad(const QString& text);
    void saveNotepad();
    void save() override { saveNotepad(); }
    // Text typed into the notepad and not saved is offered like any tab's edits.
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override { return m_notepadEdited; }

private:
    QLabel* m_assessment;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_notepad;
    bool m_notepadEdited = false;
    bool m_filling = false;
};
