#pragma once

#include "store/schema.h"
#include "store/table_expressions.h"

#include "store/quarrix_error.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

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
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return int(m_rows.size()); }
    bool hasRecord() const { return m_current >= 0 && m_current < int(m_rows.size()); }
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

    // Changing records.
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    bool isEditing() const { return m_state != State::Browse; }
    bool isInserting() const { return m_state == State::Insert; }

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

    void requireOpen() const;
    std::vector<Record> readRows();
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
    std::vector<Record> m_rows;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
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
