#pragma once

#include <QStringList>

class QComboBox;

// Combo boxes that show a stored value and offer a list of choices.
namespace ChoiceBox {
// Replaces the items; the box's text becomes the first item (or empty).
void setItems(QComboBox* box, const QStringList& items);
// Shows a stored value; with firstWhenEmpty an empty value shows the first item.
void showValue(QComboBox* box, const QString& value, bool firstWhenEmpty);
// Shows the first item, or empty text when there is none.
void showFirst(QComboBox* box);
}
