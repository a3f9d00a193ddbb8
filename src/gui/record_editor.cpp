#include "gui/record_editor.h"

#include "gui/dialogs.h"
#include "gui/tab_page.h"
#include "store/sql_statement.h"
#include "store/store.h"
#include "store/table.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>

RecordEditor::RecordEditor(TabPage& page, Table& table, Steps steps, Follow follow)
    : QObject(&page)
    , m_page(page)
    , m_table(table)
    , m_steps(std::move(steps))
    , m_follow(follow)
{
    // The guard runs before every move of the table, whoever makes it; a
    // failed save stops the move, so the edits are not lost.
    table.addMoveGuard(this, [this] {
        if (m_adding || holds())
            return MoveDecision::GoOn;
        m_guarding = true;
        const bool settled = offerEdits();
        m_guarding = false;
        return settled ? MoveDecision::GoOn : MoveDecision::Stop;
    });
    connect(&table, &Table::afterMove, this, [this] {
        if (!follows() || m_adding || holds())
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
    if (holds())
        return;
    const Filling filling(*this);
    m_rowId = m_table.currentRowId();
    m_steps.show();
    m_edited = false;
}

// The record is looked for in the file, not among the rows held: another
// program may have deleted it since they were read.
static bool stillStored(Table& table, qint64 rowId)
{
    SqlStatement& find = table.store().cached(
        QStringLiteral("SELECT EXISTS(SELECT 1 FROM %1 WHERE rowid=?)").arg(quoteIdentifier(table.name())));
    find.bindInteger(1, rowId);
    const bool found = find.step() && find.columnInt64(0) != 0;
    find.reset();
    return found;
}

void RecordEditor::save()
{
    if (m_rowId == 0)
        return;
    // Another program's change is shown first (outside a move: the rows of
    // the table are not re-read while it is between two records).
    if (!m_guarding)
        m_page.host().followOtherPrograms();
    if (!stillStored(m_table, m_rowId)) {
        saveWithoutRecord();
        return;
    }
    saveIntoRow();
}

bool RecordEditor::saveWithoutRecord()
{
    Dialogs& dialogs = m_page.dialogs();
    if (!m_steps.addAnew) {
        dialogs.notice(QStringLiteral("The record you were editing was deleted by another program, so your edits "
                                      "could not be saved."));
        m_edited = false;
        showCurrent();
        return false;
    }
    if (!dialogs.ask(QStringLiteral("The record you were editing was deleted by another program. Add your edits "
                                    "as a new record?"),
            Dialogs::Default::Yes)) {
        m_edited = false;
        showCurrent();
        return false;
    }
    // Within a move the table cannot take a new record: the move stops,
    // and the record is added as soon as the move's command has ended.
    if (m_guarding) {
        QMetaObject::invokeMethod(
            this, [this] { m_page.host().runCommand([this] { addAnew(); }); }, Qt::QueuedConnection);
        throw MoveStopped();
    }
    addAnew();
    return true;
}

// The edits go into the remembered row; a save that fails leaves them marked
// as edited, so they are still offered.
void RecordEditor::saveIntoRow()
{
    m_edited = false;
    try {
        m_steps.save(m_rowId);
    } catch (...) {
        m_edited = true;
        throw;
    }
}

void RecordEditor::addAnew()
{
    {
        m_adding = true;
        const auto added = qScopeGuard([this] { m_adding = false; });
        m_rowId = m_steps.addAnew();
    }
    saveIntoRow();
    showCurrent();
}

bool RecordEditor::offerEdits()
{
    if (!m_edited || holds())
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
