#pragma once

#include "analysis/application_commands.h"
#include "analysis/profile_store.h"
#include "analysis/requirement_commands.h"
#include "analysis/security_risk_store.h"
#include "compare/change_model.h"
#include "store/assessment.h"
#include "support/trace_assessment.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Two small assessments for comparing: the trace assessment (see
// trace_assessment.h) with one application, Ledger (North; attributes
// Availability and Integrity; a risk entry on Availability rated Low and
// Medium), as the earlier store, and the same with a change as the later one.
namespace ComparePair {

using Change = std::function<void(Assessment&)>;

inline void build(Assessment& a)
{
    TraceAssessment::build(a);
    addApplication(a,
        { QStringLiteral("Ledger"), QStringLiteral("Finance"), QStringLiteral("Ann"), QStringLiteral("General ledger"),
            QStringLiteral("North") });
    const qint64 ledger = a.applications().currentRowId();
    saveApplicationAttributes(a, ledger, { QStringLiteral("Availability"), QStringLiteral("Integrity") });
    RiskStore::write(a, ledger, QStringLiteral("Ledger"), QStringLiteral("Availability"),
        { QStringLiteral("Outage at month end"), QStringLiteral("Low"), QStringLiteral("Medium") });
}

// Makes the record whose field holds the value current; fails the test when none does.
inline Table& at(Table& t, const char* field, const QString& value)
{
    t.setFiltered(false);
    EXPECT_TRUE(t.locate(QString::fromLatin1(field), { value })) << field << " " << value.toStdString();
    return t;
}

// Sets one field of the record whose key field holds the value.
inline void set(Table& t, const char* keyField, const QString& key, const char* field, const QString& value)
{
    at(t, keyField, key).edit();
    t.setText(QString::fromLatin1(field), value);
    t.post();
}

// Changes made by several cases.
inline void renameRequirement(Assessment& a, const char* from, const char* to)
{
    Table& r = at(a.requirements(), "RSeq", QString::fromLatin1(from));
    saveRequirement(a, r.currentRowId(),
        { QString::fromLatin1(to), r.text(QStringLiteral("Requirement")), r.text(QStringLiteral("Division")),
            r.text(QStringLiteral("Priority")), r.text(QStringLiteral("Activity")), r.text(QStringLiteral("Source")) });
}

inline void moveControl(Assessment& a)
{
    set(a.attribute(), "Attribute", QStringLiteral("Availability"), "SecControls",
        QStringLiteral("01.02.01: Audit trail\r\n"));
    set(a.attribute(), "Attribute", QStringLiteral("Resilience"), "SecControls",
        QStringLiteral("02.01.01: Spare capacity\r\n"));
}

inline void rescoreRisk(Assessment& a)
{
    const qint64 ledger = at(a.applications(), "Application", QStringLiteral("Ledger")).currentRowId();
    RiskStore::write(a, ledger, QStringLiteral("Ledger"), QStringLiteral("Availability"),
        { QStringLiteral("Outage at month end"), QStringLiteral("High"), QStringLiteral("High") });
}

inline void addControl(Assessment& a)
{
    TraceAssessment::add(a.controls(),
        { { "Id", "04.01.01" }, { "section_title", "People" }, { "control_title", "Train staff" },
            { "control", "Yearly training" } });
}

// Several changes at once, as the JSON names them.
inline void quarterOfChanges(Assessment& a)
{
    renameRequirement(a, "BR1.03", "BR1.09");
    ProfileStore::save(a, QStringLiteral("BD1.01"), { { QStringLiteral("Responsive"), 1 } });
    moveControl(a);
    rescoreRisk(a);
    addControl(a);
    set(a.requirements(), "RSeq", QStringLiteral("BR2.01"), "Requirement", QStringLiteral("Ship every order on time"));
}

// Writes the base assessment, changed by `change`, into a new store at path.
inline void writeStore(const QString& path, const Change& change)
{
    Assessment a;
    QString error;
    ASSERT_TRUE(a.open(path, true, &error)) << error.toStdString();
    build(a);
    if (change)
        change(a);
}

// Every change of a report as one line each: "kind + key", "kind - key",
// "kind ~ key: Field, Field" (a rename: "kind ~ key < old key"), "gaps +
// list name" and "gaps - list name", in report order; keys with parts read
// "a / b / c".
inline QStringList lines(const ChangeReport& report)
{
    QStringList out;
    for (ChangeKind kind : ChangeKinds::all()) {
        const KindChanges& c = report[kind];
        const QString name = ChangeKinds::key(kind);
        for (const ChangeItem& item : c.added)
            out << name + QStringLiteral(" + ") + item.keyText();
        for (const ChangeItem& item : c.removed)
            out << name + QStringLiteral(" - ") + item.keyText();
        for (const ChangeItem& item : c.changed) {
            QString line = name + QStringLiteral(" ~ ") + item.keyText();
            if (!item.oldKey.isEmpty())
                line += QStringLiteral(" < ") + item.oldKey;
            QStringList fields;
            for (const FieldChange& f : item.fields)
                fields << f.field;
            if (!fields.isEmpty())
                line += QStringLiteral(": ") + fields.join(QStringLiteral(", "));
            out << line;
        }
        for (const CountChange& count : c.counts)
            if (count.before != count.after)
                out << QStringLiteral("%1 # %2 %3 -> %4").arg(name, count.name).arg(count.before).arg(count.after);
    }
    for (const GapChange& g : report.newGaps)
        out << QStringLiteral("gaps + %1 %2").arg(g.gap, g.name);
    for (const GapChange& g : report.closedGaps)
        out << QStringLiteral("gaps - %1 %2").arg(g.gap, g.name);
    return out;
}

}
