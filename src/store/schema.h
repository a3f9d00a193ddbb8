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
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    QStringList keyOrder; // default order; empty means stored order

    int fieldIndex(const QString& name) const; // case-insensitive; -1 if unknown
};

// The eleven tables of the assessment store, in start-up order (System first).
namespace Schema {
const std::vector<TableDef>& tables();
const TableDef* find(const QString& tableName); // case-insensitive
}
