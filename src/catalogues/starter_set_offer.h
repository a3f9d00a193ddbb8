#pragma once

#include "gui/link_label.h"

class Table;
class TabHost;

// A line inside a tab that needs a catalogue: while the catalogue's table is
// empty it says so and, on one click, loads the starter set that comes with
// the program (the edits pending on every tab are offered first). Hidden once
// the table has rows.
class StarterSetOffer : public LinkLabel {
    Q_OBJECT
public:
    enum class Set { Controls, Attributes };
    StarterSetOffer(TabHost& host, Set set, QWidget* parent = nullptr);

    // Shows the offer while the table is empty, now and after each change.
    void follow(Table& table);

Q_SIGNALS:
    void loaded(); // the starter set is in the store

private:
    void load();
    void showFor(const Table& table);

    TabHost& m_host;
    Set m_set;
};
