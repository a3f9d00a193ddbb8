#include "gui/sorted_list.h"

#include <QListWidget>
#include <algorithm>

namespace {

bool lessIgnoringCase(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

}

namespace SortedList {

QStringList sorted(QStringList items)
{
    std::stable_sort(items.begin(), items.end(), lessIgnoringCase);
    return items;
}

void insert(QListWidget* list, const QString& item)
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

void setItems(QListWidget* list, const QStringList& items)
{
    list->clear();
    list->addItems(sorted(items));
}

QStringList items(const QListWidget* list)
{
    QStringList result;
    result.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

}
