#pragma once

#include "store/table.h"

#include <initializer_list>
#include <utility>

// Appends and posts one record with the given field values.
inline void addRow(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}
