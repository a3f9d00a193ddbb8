#pragma once

#include "support/window_fixture.h"

#include <functional>
#include <map>

// The ways the current record of an editing tab moves, or the record set
// changes, while the tab's editors hold edits. Before each, the edits are
// offered once ("Save changes?", Yes by default): Yes saves them into the
// record they were made on, No drops them, and afterwards the editors show
// the current record.
enum class RecordMove {
    GridClick,
    ArrowKey,
    DivisionFilter,
    TabSwitchLeft,
    TabSwitchRight,
    Add,
    Delete,
    Clear,
    Load,
    ReportRun,
};
const char* moveName(RecordMove move);

// What the table of moves needs to know of a tab.
struct EditingTab {
    const char* tab; // object name of the tab
    const char* grid; // its grid; the edited record is the second row, the move goes to the first
    const char* leftTab; // the neighbours a tab switch goes to, and back from
    const char* rightTab;
    const char* division; // a division that hides the edited record
    const char* addLink = nullptr;
    const char* deleteLink = nullptr;
};

// Every stored row of a table, read afresh from the file: row id -> values.
using StoredRows = std::map<qint64, QStringList>;

// Takes the rows that are not in `before` out of `after`; returns how many.
int takeAddedRows(StoredRows& after, const StoredRows& before);

// A window whose tests make each move with edits pending and check what the
// store and the editors hold afterwards.
class EditMovesFixture : public WindowFixture {
protected:
    StoredRows storedRows(const char* table) const;
    // Scripts the answers: `yes` to "Save changes?", and answers that keep
    // everything to what the move asks next (Confirm Delete: No; Clear the
    // whole assessment: No; file dialogs cancelled).
    void scriptAnswers(bool yes);
    // Makes the move from the tab shown with its second row current; a tab
    // switch comes back to the tab, so that its editors can be checked.
    void makeMove(RecordMove move, const EditingTab& tab);
    int timesAsked(const QString& question) const;
    // The move asked "Save changes?" first and once, Yes by default, and
    // showed no error.
    void expectOfferedOnce() const;
    // Yes set the edited field of the edited record to "Edited" and changed
    // nothing else, No changed nothing; Add added its record all the same.
    static void expectOnlyEditedRecordChanged(
        StoredRows after, const StoredRows& before, qint64 edited, int field, bool yes, RecordMove move);
};
