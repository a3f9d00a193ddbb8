#include "gui/field_limits.h"

#include "store/quarrix_error.h"
#include "store/schema.h"

#include <QComboBox>
#include <QLineEdit>

namespace FieldLimits {

int width(const char* table, const char* field)
{
    const TableDef* def = Schema::find(QString::fromLatin1(table));
    const int index = def ? def->fieldIndex(QString::fromLatin1(field)) : -1;
    if (index < 0)
        throw QuarrixError(QStringLiteral("%1: Field '%2' not found").arg(QString::fromLatin1(table), field));
    return def->fields[index].type == FieldType::Text ? def->fields[index].width : 0;
}

void limit(QLineEdit* edit, const char* table, const char* field)
{
    if (const int w = width(table, field))
        edit->setMaxLength(w);
}

void limit(QComboBox* box, const char* table, const char* field)
{
    if (QLineEdit* edit = box->lineEdit())
        limit(edit, table, field);
}

}
