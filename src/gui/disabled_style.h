#pragma once

#include <QColor>

class QWidget;

// Editors that wait for their group's "Edit" are disabled and show sky blue.
// Their text stays readable there: dark grey, well above the 4.5:1 contrast
// that small text needs, yet lighter than the black of an enabled editor.
namespace DisabledStyle {
QColor background(); // sky blue
QColor text();
// Gives the widget (and its children) these colours while it is disabled.
void apply(QWidget* widget);
}
