#include "gui/choice_box.h"

#include <QComboBox>

namespace ChoiceBox {

void setItems(QComboBox* box, const QStringList& items)
{
    box->clear();
    box->addItems(items);
    showFirst(box);
}

void showValue(QComboBox* box, const QString& value, bool firstWhenEmpty)
{
    if (value.isEmpty() && firstWhenEmpty) {
        showFirst(box);
        return;
    }
    const int index = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
    if (box->isEditable())
        box->setEditText(value);
}

void showFirst(QComboBox* box)
{
    if (box->count() > 0) {
        box->setCurrentIndex(0);
        if (box->isEditable())
            box->setEditText(box->itemText(0));
    } else if (box->isEditable()) {
        box->setEditText(QString());
    }
}

}
