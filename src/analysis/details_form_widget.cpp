#include "analysis/details_form_widget.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <algorithm>

namespace {

bool lessIgnoringCase(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

}

namespace DetailsForm {

QGroupBox* group(const QString& caption, const char* objectName, const QRect& geometry, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(geometry);
    return box;
}

QLabel* label(const QString& text, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

void place(QWidget* widget, const char* objectName, const QString& hint, const QRect& geometry)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setToolTip(hint);
    widget->setGeometry(geometry);
}

QComboBox* comboBox(const char* objectName, const QString& hint, const QRect& geometry, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(16);
    place(box, objectName, hint, geometry);
    return box;
}

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
    else
        box->setEditText(value);
}

void showFirst(QComboBox* box)
{
    if (box->count() > 0) {
        box->setCurrentIndex(0);
        box->setEditText(box->itemText(0));
    } else {
        box->setEditText(QString());
    }
}

QStringList sortedIgnoringCase(QStringList items)
{
    std::stable_sort(items.begin(), items.end(), lessIgnoringCase);
    return items;
}

void insertSorted(QListWidget* list, const QString& item)
{
    // The first row that sorts after the new item.
    int low = 0, high = list->count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (lessIgnoringCase(item, list->item(mid)->text()))
            high = mid;
        else
            low = mid + 1;
    }
    list->insertItem(low, item);
}

void setSortedItems(QListWidget* list, const QStringList& items)
{
    list->clear();
    list->addItems(sortedIgnoringCase(items));
}

QStringList items(const QListWidget* list)
{
    QStringList result;
    result.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

} // namespace DetailsForm
