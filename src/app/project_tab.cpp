#include "app/project_tab.h"

#include "app/main_window.h"
#include "gui/link_label_widget.h"
#include "gui/memo_text.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

ProjectTab::ProjectTab(MainWindow& form)
    : TabPage(form, "TabSheet9", QStringLiteral("Project"))
{
    auto* nameLabel = new QLabel(QStringLiteral("Name "), this);
    nameLabel->setGeometry(16, 12, 200, 16);
    m_assessment = new QLabel(this);
    m_assessment->setObjectName(QStringLiteral("pAssessment"));
    m_assessment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_assessment->setGeometry(16, 30, 600, 26);
    QFont bold = m_assessment->font();
    bold.setBold(true);
    bold.setPixelSize(15);
    m_assessment->setFont(bold);

    auto* descLabel = new QLabel(QStringLiteral("Description "), this);
    descLabel->setGeometry(16, 66, 200, 16);
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("mAssessment"));
    m_description->setReadOnly(true);
    m_description->setEnabled(false);
    m_description->setGeometry(16, 84, 600, 120);
    Text::markDisabledStyle(m_description);

    auto* group = new QGroupBox(QStringLiteral("Project Notepad"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(16, 216, 890, 300);
    m_notepad = new QPlainTextEdit(group);
    m_notepad->setObjectName(QStringLiteral("mNotepad"));
    m_notepad->setGeometry(10, 22, 870, 268);
    m_notepad->setToolTip(
        QStringLiteral("Use the notepad to record any report notes or reminders related to the  Quarrix assessment,"));

    link(QStringLiteral("Save"), "hSave0", QRect(870, 522, 36, 18), [this] { hSave0Click(); });
}

void ProjectTab::tabShown()
{
    flags().profilingDisplay = false;
}

void ProjectTab::showIdentity(const QString& name, const QString& description)
{
    m_assessment->setText(name);
    m_description->setPlainText(description);
}

void ProjectTab::showNotepad(const QString& text)
{
    Text::setMemo(m_notepad, text);
}

void ProjectTab::hSave0Click()
{
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                  "));
    Table& sys = assessment().system();
    sys.edit();
    sys.setText(QStringLiteral("Notepad"), Text::memo(m_notepad));
    sys.post();
    setStatus(QStringLiteral("Save complete           "));
    flags().saved = false;
}
