#include "app/project_tab.h"

#include "gui/disabled_style.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ProjectTab::ProjectTab(TabHost& host)
    : TabPage(host, "TabSheet9", QStringLiteral("Project"))
{
    using namespace FormLayout;
    m_assessment = named<QLabel>("pAssessment");
    m_assessment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_assessment->setMinimumHeight(26);
    QFont bold = m_assessment->font();
    bold.setBold(true);
    bold.setPixelSize(15);
    m_assessment->setFont(bold);

    m_description = named<QPlainTextEdit>("mAssessment");
    m_description->setReadOnly(true);
    m_description->setEnabled(false);
    m_description->setFixedHeight(120);
    DisabledStyle::apply(m_description);

    QGroupBox* notepadGroup = group(QStringLiteral("Project Notepad"), "GroupBox1");
    m_notepad = named<QPlainTextEdit>("mNotepad",
        QStringLiteral("Use the notepad to record any report notes or reminders related to the  Quarrix assessment,"));
    connect(m_notepad, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            m_notepadEdited = true;
    });
    auto* notepadBox = new QVBoxLayout(notepadGroup);
    notepadBox->addWidget(m_notepad);

    // The name and the description keep their designed width at the
    // smallest size and widen with the window; the notepad takes the height.
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 14, 8);
    page->addWidget(new QLabel(QStringLiteral("Name ")));
    page->addWidget(m_assessment);
    page->addSpacing(8);
    page->addWidget(new QLabel(QStringLiteral("Description ")));
    page->addWidget(m_description);
    page->addSpacing(8);
    page->addWidget(notepadGroup, 1);
    page->addWidget(link(QStringLiteral("Save"), "hSave0", [this] { saveNotepad(); }), 0, Qt::AlignRight);
    for (QWidget* w : std::initializer_list<QWidget*> { m_assessment, m_description })
        w->setMinimumWidth(600);
}

void ProjectTab::showIdentity(const QString& name, const QString& description)
{
    m_assessment->setText(name);
    m_description->setPlainText(description);
}

void ProjectTab::showNotepad(const QString& text)
{
    if (m_notepadEdited && RecordEditor::holdingEdits())
        return;
    m_filling = true;
    Text::setMemo(m_notepad, text);
    m_filling = false;
    m_notepadEdited = false;
}

bool ProjectTab::offerPendingEdits()
{
    if (!m_notepadEdited || RecordEditor::holdingEdits())
        return true;
    if (!dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes)) {
        return host().runCommand([this] { showNotepad(assessment().system().text(QStringLiteral("Notepad"))); });
    }
    return host().runCommand([this] { saveNotepad(); });
}

void ProjectTab::saveNotepad()
{
    WaitCursor wait(dialogs());
    setStatus(QStringLiteral("Saving                  "));
    Table& sys = assessment().system();
    sys.edit();
    sys.setText(QStringLiteral("Notepad"), Text::memo(m_notepad));
    sys.post();
    m_notepadEdited = false;
    setStatus(QStringLiteral("Save complete           "));
    markWorkUnarchived();
}
