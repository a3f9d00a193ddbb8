#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <array>
#include <utility>
#include <vector>

// What changed between two assessments: for each kind of record, the records
// added, removed and changed, named by their keys.

// One field whose value differs. Values are as stored; line ends read "\n".
struct FieldChange {
    QString field;
    QVariant before; // text, or a whole number; null when the value was not set
    QVariant after;
    bool words = false; // free text, shown as a word-level difference
};

// A record as a change names it. Most records are named by one value (a
// requirement by its RSeq); some by named parts (a profile row by its driver,
// attribute and priority).
struct ChangeItem {
    using Part = std::pair<QString, QVariant>;
    std::vector<Part> key; // one part with an empty name for a single value
    QString oldKey; // a record renamed: its key before (its text is the same)
    std::vector<FieldChange> fields; // of a changed record
    QString label; // what the key stands for (a requirement's text), for showing

    static ChangeItem named(const QString& key, const QString& label = {})
    {
        ChangeItem item;
        item.key.emplace_back(QString(), key);
        item.label = label;
        return item;
    }
    bool singleKey() const { return key.size() == 1 && key.front().first.isEmpty(); }
    QVariant part(const QString& name) const;
    // The key as one text: the value, or the parts' values joined by " / ".
    QString keyText() const;
};

// A count that both sides have, for the catalogue and the taxonomy.
struct CountChange {
    QString name; // "controls", "attributes", ...
    qint64 before = 0;
    qint64 after = 0;
};

enum class ChangeKind {
    System,
    Requirements,
    Drivers,
    Profiles,
    AttributesInUse,
    Controls,
    Trace,
    Applications,
    Risks,
    Catalogue,
    Taxonomy,
};
inline constexpr int kChangeKindCount = 11;

struct KindChanges {
    std::vector<ChangeItem> added, removed, changed;
    std::vector<CountChange> counts; // the catalogue's and the taxonomy's
    qsizetype size() const { return qsizetype(added.size() + removed.size() + changed.size()); }
    bool empty() const { return size() == 0; }
};

// A gap of the trace that one side has and the other not.
struct GapChange {
    QString gap; // the gap list's key: "requirements_without_driver", ...
    QString name; // what it lists
};

// What names a compared assessment.
struct ComparedSource {
    QString path;
    bool archive = false; // an archive file, else a store
    QDateTime modified; // the file's last change
    QString assessmentId; // AssID
    QString title; // Assessment
    QString shownName() const; // the title, else the Id, else the file name
};

struct ChangeReport {
    ComparedSource before, after;
    QString division = QStringLiteral("All");
    std::array<KindChanges, kChangeKindCount> kinds;
    std::vector<GapChange> newGaps, closedGaps;

    KindChanges& operator[](ChangeKind kind) { return kinds[size_t(kind)]; }
    const KindChanges& operator[](ChangeKind kind) const { return kinds[size_t(kind)]; }
    // No record, count or gap differs.
    bool empty() const;
};

namespace ChangeKinds {
// The kinds in report order, with their keys ("system", "requirements", ...)
// and the titles reports show ("System", "Requirements", ...).
const std::array<ChangeKind, kChangeKindCount>& all();
QString key(ChangeKind kind);
QString title(ChangeKind kind);
}
