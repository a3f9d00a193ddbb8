#pragma once

#include <QStringList>

class QListWidget;

// List boxes with sorted items: alphabetical order ignoring case, an item
// equal to others going after them, whatever the order of insertion.
namespace SortedList {
QStringList sorted(QStringList items);
void insert(QListWidget* list, const QString& item);
void setItems(QListWidget* list, const QStringList& items);
QStringList items(const QListWidget* list);
}
