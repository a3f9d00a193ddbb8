#pragma once

#include "store/line_list.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

// A window with a few requirements and drivers written straight into the
// store, and helpers to drive the two tabs like the analyst does.
class TabFixture : public WindowFixture {
protected:
    Table& reqs() { return window->assessment().requirements(); }
    Table& drivers() { return window->assessment().drivers(); }

    // A stored field of the record at row, as the table holds it now.
    static QString stored(Table& t, int row, const char* field)
    {
        return t.textAt(row, t.fieldIndex(QString::fromLatin1(field)));
    }

    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    QString comboText(const char* name) { return find<QComboBox>(name)->currentText(); }
    QStringList comboItems(const char* name)
    {
        QStringList items;
        auto* box = find<QComboBox>(name);
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    static QString blanks(int n) { return QString(n, QLatin1Char(' ')); }
};
