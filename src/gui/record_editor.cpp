#include "gui/record_editor.h"

#include "gui/dialogs.h"
#include "gui/tab_page.h"
#include "store/table.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

RecordEditor::RecordEditor(TabPage& page, Table& table, Steps steps, Follow follow)
    : QObject(&page)
    , m_page(page)
    , m_table(table)
    , m_steps(std::move(steps))
    , m_follow(follow)
{
    // The guard runs before every move of the table, whoever makes it; a
    // failed save stops the move, so the edits are not lost.
    table.addMoveGuard(this, [this] { return offerEdits() ? MoveDecision::GoOn : MoveDecision::Stop; });
    connect(&table, &Table::afterMove, this, [this] {
        if (!follows())
            return;
        m_page.host().runCommand([this] {
            showCurrent();
            if (m_steps.followed)
                m_steps.followed();
        });
    });
    // A record changed in place (a cell typed over in a grid, a save) is
    // shown as stored, unless the analyst is editing it.
    connect(&table, &Table::rowChanged, this, [this](int row) {
        if (m_edited || m_filling || !follows() || row != m_table.currentRow() || m_table.currentRowId() != m_rowId)
            return;
        m_page.host().runCommand([this] { showCurrent(); });
    });
}

bool RecordEditor::follows() const
{
    return m_follow == Follow::Always || m_page.host().isPageShown(&m_page);
}

void RecordEditor::watch(QLineEdit* edit)
{
    connect(edit, &QLineEdit::textChanged, this, &RecordEditor::markEdited);
}

void RecordEditor::watch(QComboBox* box)
{
    connect(box, &QComboBox::currentTextChanged, this, &RecordEditor::markEdited);
}

void RecordEditor::watch(QPlainTextEdit* memo)
{
    connect(memo, &QPlainTextEdit::textChanged, this, &RecordEditor::markEdited);
}

void RecordEditor::markEdited()
{
    if (m_filling == 0)
        m_edited = true;
}

void RecordEditor::showCurrent()
{
    const Filling filling(*this);
    m_rowId = m_table.currentRowId();
    m_steps.show();
    m_edited = false;
}

void RecordEditor::save()
{
    if (m_rowId == 0)
        return;
    m_edited = false;
    try {
        m_steps.save(m_rowId);
    } catch (...) {
        m_edited = true;
        throw;
    }
}

bool RecordEditor::offerEdits()
{
    if (!m_edited)
        return true;
    // Asked once: a walk by another command moves many times while the
    // editors stay as they are.
    m_edited = false;
    if (!m_page.dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes)) {
        m_page.host().runCommand([this] { showCurrent(); });
        return true;
    }
    return m_page.host().runCommand([this] {
        m_edited = true;
        save();
    });
}

RecordEditor::Filling::Filling(RecordEditor& editor)
    : m_editor(editor)
{
    ++m_editor.m_filling;
}

RecordEditor::Filling::~Filling()
{
    --m_editor.m_filling;
}
