#pragma once

#include <QObject>
#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class Table;
class TabPage;

// The editors of one record of a table, as an editing tab shows them.
//
// The editor remembers the row id of the record it showed, and saving writes
// that row and no other. Edits the analyst makes mark it edited; before
// anything changes the table's current record (a grid click, the arrow keys,
// Add, Delete, a filter or refresh, a walk by another command), the editor
// offers them once: "Save changes?", Yes by default. Yes saves them into the
// remembered row; No drops them. After the move the editors show the new
// current record, or are cleared when there is none.
//
// A tab makes one editor per record it edits, in storeOpened(), and:
//   - gives it a show step (fill the editors from the current record) and a
//     save step (write them into the row with the given id, through a core
//     command that runs in one transaction);
//   - watches its editors with watch(), or calls markEdited() for changes
//     that are not typed (a list item added, a panel clicked);
//   - calls offerEdits() first in commands that change the record set
//     without a table move (Delete, Clear), and returns it from
//     TabPage::offerPendingEdits() so the window can offer the edits before a
//     tab switch, a report or an import.
class RecordEditor : public QObject {
    Q_OBJECT
public:
    // Whether the editors follow moves made while their tab is not shown.
    // Editors that do not are shown afresh by their tab's show step.
    enum class Follow { WhileShown, Always };

    struct Steps {
        std::function<void()> show; // fill the editors from the table's current record
        std::function<void(qint64 rowId)> save; // write the editors into that row
        std::function<void()> followed = {}; // after the editors followed a move (the status line)
        // Adds a record as the tab's Add does and returns its row id, for
        // edits whose record another program deleted; without it such edits
        // cannot be kept.
        std::function<qint64()> addAnew = {};
    };

    RecordEditor(TabPage& page, Table& table, Steps steps, Follow follow = Follow::WhileShown);

    // Changes the analyst makes in these mark the record edited.
    void watch(QLineEdit* edit);
    void watch(QComboBox* box);
    void watch(QPlainTextEdit* memo);
    void markEdited(); // ignored while the editors are being filled
    bool isEdited() const { return m_edited; }
    qint64 rowId() const { return m_rowId; } // the record shown, 0 when none

    // Fills the editors from the current record and remembers its row id;
    // the record is then not edited.
    void showCurrent();
    // Writes the editors into the remembered row (nothing when there is
    // none). An error is raised and the edits are kept.
    void save();
    // Offers the edits: asks "Save changes?" when the record is edited; Yes
    // saves, No shows the stored record again. Returns false when the save
    // failed (its error has been shown and the edits are kept).
    bool offerEdits();

    // While one lives, the window is showing the store afresh after another
    // program changed it: editors holding edits keep them, with the record
    // they were made on, and no move asks about them.
    class HoldEdits {
    public:
        HoldEdits() { ++s_holding; }
        ~HoldEdits() { --s_holding; }
        HoldEdits(const HoldEdits&) = delete;
        HoldEdits& operator=(const HoldEdits&) = delete;
    };
    // Whether a HoldEdits lives: editors of the tabs' own (the notepad, the
    // System tab's groups) keep their edits too.
    static bool holdingEdits() { return s_holding > 0; }

    // Marks the editors as being filled for its lifetime: their change
    // notifications then are no edits. Nests.
    class Filling {
    public:
        explicit Filling(RecordEditor& editor);
        ~Filling();
        Filling(const Filling&) = delete;
        Filling& operator=(const Filling&) = delete;

    private:
        RecordEditor& m_editor;
    };

private:
    bool follows() const;
    bool holds() const { return s_holding > 0 && m_edited; }
    // The record edited is gone (another program deleted it): the edits are
    // offered as a new record. Returns whether they were kept.
    bool saveWithoutRecord();
    void addAnew(); // the edits into a new record
    void saveIntoRow();

    TabPage& m_page;
    Table& m_table;
    Steps m_steps;
    Follow m_follow;
    qint64 m_rowId = 0;
    bool m_edited = false;
    int m_filling = 0;
    bool m_guarding = false; // the move guard is running: the table is between two records
    bool m_adding = false; // a new record is being added for the edits
    static inline int s_holding = 0;
};
