#pragma once

#include <QString>
#include <QStringList>
#include <vector>

enum class FieldType { Text, Memo, Boolean, Word };

struct FieldDef {
    QString name;
    FieldType type;
    int width = 0; // characters, for Text fields
    bool addedLater = false; // missing in older stores: added on open instead of refused
    bool work = true; // part of the analyst's work: a change marks the work as not archived
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    QStringList keyOrder; // default order; empty means stored order
    bool work = true; // its records are the analyst's work (the derived trace is not)

    int fieldIndex(const QString& name) const; // case-insensitive; -1 if unknown
};

// The eleven tables of the assessment store, in start-up order (System first).
namespace Schema {
const std::vector<TableDef>& tables();
const TableDef* find(const QString& tableName); // case-insensitive
}
