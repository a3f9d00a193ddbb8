#pragma once

#include "store/schema.h"
#include "store/table_expressions.h"

#include "store/quarrix_error.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class SqlStatement;
class Store;

// What a move guard decides before the current record changes.
enum class MoveDecision { GoOn, Stop };
using MoveGuard = std::function<MoveDecision()>;

// Raised by a move that a guard stopped: nothing moved, and the guard has
// already told the analyst why, so the command ends without another message.
class MoveStopped : public QuarrixError {
public:
    MoveStopped()
        : QuarrixError(QStringLiteral("The record was not left."))
    {
    }
};

// One table of the store with a cursor, in the way every tab and command uses
// it: the rows that pass the filter, in sort order, are held in memory so a
// walk or a locate costs no query per row; every post is written through to
// the file at once.
//
// The rows are read when they are first needed, not when the table opens or
// its filter or sort changes: a command reads only the tables it uses, and a
// count asks the store. A table nobody watches (no grid, no move guard, no
// move hook) stays unread until then; a watched one reads at once. A re-read
// is skipped while the rows held are still what the file holds: a narrower
// filter picks among them, and widening back to rows it was picked from
// needs no read while nothing was written.
//
// Moves (first, next, prior, last, moveTo, moveToRowId, locate, append,
// remove, and a refresh or filter change that puts another record in place of
// the current one) run the move guards before the current record changes and
// emit afterMove once it has; a record in edit or insert mode is posted before
// the cursor moves. A post that changes the fields the table is ordered by
// moves that one record to its place in the order.
class Table : public QObject {
    Q_OBJECT
public:
    Table(Store& store, const TableDef& def, QObject* parent = nullptr);
    ~Table() override;

    const QString& name() const { return m_def.name; }
    const TableDef& def() const { return m_def; }
    Store& store() const { return m_store; }

    void open();
    void close();
    bool isOpen() const { return m_open; }
    // Re-reads the file, keeping the current record where it still passes.
    // When another record takes its place, the guards run first.
    void refresh();

    // Cursor.
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row); // 0-based position among the visible rows
    // Makes current the visible record with this row id; false when none is.
    bool moveToRowId(qint64 rowId);
    int rowOf(qint64 rowId) const; // position of a visible record by its row id, -1 when none
    bool eof() const
    {
        ensureRead();
        return m_eof;
    }
    bool bof() const
    {
        ensureRead();
        return m_bof;
    }
    int recordCount() const;
    bool hasRecord() const
    {
        ensureRead();
        return m_current >= 0 && m_current < int(m_rows.size());
    }
    int currentRow() const { return hasRecord() ? m_current : -1; }
    // The store's key of the current record (0 when none, or not yet posted);
    // tells whether the current record is still the one a tab loaded.
    qint64 currentRowId() const { return hasRecord() ? m_rows[m_current].rowid : 0; }

    // Field access on the current record (or the record being edited).
    int fieldIndex(const QString& field) const; // raises for unknown names
    QString text(const QString& field) const;
    bool boolean(const QString& field) const;
    int integer(const QString& field) const;
    void setText(const QString& field, const QString& value);
    void setBoolean(const QString& field, bool value);
    void setInteger(const QString& field, int value);

    // What a field stores when given a text, as setText stores it: a text
    // field's value cut to its width, a number for a word field, nothing for
    // empty text in a word or Boolean field. Raises QuarrixError for a text
    // that is no value of the field's type.
    static QVariant storedValue(const FieldDef& field, const QString& text);

    // Field access by position, for grids and fast walks.
    QString textAt(int row, int field) const;
    QVariant valueAt(int row, int field) const;
    qint64 rowIdAt(int row) const; // the store's row id of a visible row (0 when out of range)

    // Calls take(values) for each record of the table's view (its filter and
    // order), with the values of `fields` as textAt() gives them, in UTF-8.
    // Reads the store, not the rows held, so a long walk that only reads
    // lays out no record in memory; the views last until take returns. The
    // caller settles a pending edit first.
    void eachRecordText(
        const std::vector<int>& fields, const std::function<void(const std::vector<QByteArrayView>&)>& take) const;

    // Changing records.
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    bool isEditing() const { return m_state != State::Browse; }
    bool isInserting() const { return m_state == State::Insert; }

    // Writes one field of the given rows (by row id) in one transaction,
    // without moving the cursor; the rows held take the values too.
    struct RowValue {
        qint64 rowid;
        QVariant value;
    };
    void setValues(const QString& field, const std::vector<RowValue>& values);

    // Filter and sort; both survive close and open.
    void setFilter(const QString& expression);
    const QString& filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }
    void setSort(const QString& expression);
    const QString& sort() const { return m_sort; }

    // Makes current the first record whose fields (names separated by ';')
    // equal the values exactly. Returns whether one was found.
    bool locate(const QString& fields, const QStringList& values);

    // Registers a guard, run before every change of the current record, in
    // the order registered, until one says Stop. A stopped move changes
    // nothing and raises MoveStopped. The guard goes with its owner.
    void addMoveGuard(QObject* owner, MoveGuard guard);

    // While suspended, grids are not told about changes; resuming tells them
    // once. Records posted meanwhile take their place in the order then.
    void suspendNotifications();
    void resumeNotifications();
    bool notificationsSuspended() const { return m_disabled > 0; }

    void reloadAfterRollback(); // used by the store when a transaction is undone
    void closeAfterFailure(); // drops the rows without posting (the store could not be read)

Q_SIGNALS:
    void afterMove(); // the current record changed
    void rowsReset(); // the visible rows were re-read, added or removed
    void rowChanged(int row); // a posted edit changed one visible row
    void currentChanged(int row);

private:
    enum class State { Browse, Edit, Insert };
    struct Record {
        qint64 rowid = 0;
        std::vector<QVariant> values;
    };

    // How the rows held serve the filter and sort asked for.
    enum class HeldPick {
        None, // they do not: the rows are read
        Same, // they are those rows
        Narrower, // the rows asked for are among them
        Wider, // the rows asked for are among the wider rows kept
        WholeWider, // they are the wider rows kept
    };
    using BoundTests = std::vector<std::pair<int, QVariant>>; // field and the value it must equal

    void requireOpen() const;
    void ensureRead() const
    {
        if (m_open && !m_held.read)
            readHeld();
    }
    void readHeld() const;
    std::vector<FilterCondition> activeConditions() const;
    QString whereClause(const std::vector<FilterCondition>& conditions) const;
    void bindConditions(SqlStatement& query, const std::vector<FilterCondition>& conditions) const;
    std::vector<Record> readRows() const;
    int countRows() const;
    bool watched() const;
    bool rowsCurrent() const;
    bool ordersOrFilters(int field) const; // a field the order or filter of the rows held depends on
    bool keepsOrderAndFilter(const Record& before, const Record& after) const;
    HeldPick pickHeld(std::vector<Record>* picked) const;
    bool includesAll(const std::vector<FilterCondition>& all, const std::vector<FilterCondition>& some) const;
    BoundTests boundTests(
        const std::vector<FilterCondition>& conditions, const std::vector<FilterCondition>& alreadyMet) const;
    static std::vector<Record> rowsPassing(const std::vector<Record>& rows, const BoundTests& tests);
    void forgetWider() const; // when the rows held change: the wider ones kept would not
    void dropRows(); // read again when used, the cursor kept where it can be
    void reload(bool guarded);
    void checkBrowse(); // posts a pending edit
    void runMoveGuards(); // raises MoveStopped when a guard stops the move
    void setCurrent(int row);
    bool ordered() const; // the table keeps its rows in a sort or key order
    bool before(const Record& a, const Record& b) const; // a comes before b in that order
    void keepInOrder(int row); // moves a posted record to its place
    void notifyReset();
    QVariant readValue(int field) const;
    void writeValue(int field, const QVariant& value);
    QVariant textToValue(int field, const QString& value) const;

    Store& m_store;
    const TableDef& m_def;
    bool m_open = false;
    // The rows held and the cursor over them are filled on first use, which
    // may come through a const accessor.
    mutable std::vector<Record> m_rows;
    mutable int m_current = -1;
    mutable bool m_eof = true;
    mutable bool m_bof = true;
    struct HeldRows {
        bool read = false; // m_rows holds the rows; otherwise they are read on first use
        bool exact = false; // m_rows is what a read would give, as long as the version holds
        quint64 version = 0; // the store's version of the table when read
        std::vector<FilterCondition> conditions; // the filter they were read or picked with
        std::vector<SortKey> sortKeys; // the order they were read in
        // The rows of a wider filter a narrower one was picked from, kept
        // while nothing is written so that widening again needs no read.
        bool hasWider = false;
        std::vector<Record> wider;
        std::vector<FilterCondition> widerConditions;
        // Where the cursor goes when they are read: to the first record (after
        // open and first), or to this record if it passes, else this position.
        bool atFirst = true;
        qint64 keepRowId = 0;
        int keepIndex = 0;
    };
    mutable HeldRows m_held;
    State m_state = State::Browse;
    Record m_buffer;
    bool m_modified = false;
    QString m_filter;
    bool m_filtered = false;
    std::vector<FilterCondition> m_conditions;
    QString m_sort;
    std::vector<SortKey> m_sortKeys;
    int m_disabled = 0;
    bool m_resetPending = false;
    bool m_orderPending = false; // records posted while suspended wait for their place
    struct Guard {
        QObject* owner;
        MoveGuard decide;
    };
    std::vector<Guard> m_guards;
};

// Suspends the displays of the tables for its lifetime and resumes them
// however the work ends.
class DisplaySuspended {
public:
    explicit DisplaySuspended(std::initializer_list<Table*> tables)
        : m_tables(tables)
    {
        for (Table* t : m_tables)
            t->suspendNotifications();
    }
    ~DisplaySuspended()
    {
        for (Table* t : m_tables)
            t->resumeNotifications();
    }
    DisplaySuspended(const DisplaySuspended&) = delete;
    DisplaySuspended& operator=(const DisplaySuspended&) = delete;

private:
    std::vector<Table*> m_tables;
};

// Makes the record at rowId current for a command that changes it; raises,
// naming the record ("driver"), when it is no longer there, so that nothing
// changes.
Table& recordToChange(Table& table, qint64 rowId, const char* what);
