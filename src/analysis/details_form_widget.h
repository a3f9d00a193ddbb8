#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QWidget;

// Building blocks of the details groups on the Requirements and Drivers tabs.
namespace DetailsForm {

// Marks editors as being filled from a record for its lifetime: their change
// notifications then set no edit flag. Nests.
class Filling {
public:
    explicit Filling(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~Filling() { --m_depth; }
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    int& m_depth;
};

QGroupBox* group(const QString& caption, const char* objectName, const QRect& geometry, QWidget* parent);
QLabel* label(const QString& text, const QRect& geometry, QWidget* parent);
// Names a control, gives it its hint and places it.
void place(QWidget* widget, const char* objectName, const QString& hint, const QRect& geometry);
// A combo box that takes typed text as well as a choice from its list.
QComboBox* comboBox(const char* objectName, const QString& hint, const QRect& geometry, QWidget* parent);

// Replaces the items; the box's text becomes the first item (or empty).
void setItems(QComboBox* box, const QStringList& items);
// Shows a stored value; with firstWhenEmpty an empty value shows the first item.
void showValue(QComboBox* box, const QString& value, bool firstWhenEmpty);
// Shows the first item, or empty text when there is none.
void showFirst(QComboBox* box);

// Sorted lists keep their items in alphabetical order ignoring case; an item
// equal to others goes after them.
QStringList sortedIgnoringCase(QStringList items);
void insertSorted(QListWidget* list, const QString& item);
void setSortedItems(QListWidget* list, const QStringList& items);
QStringList items(const QListWidget* list);

} // namespace DetailsForm
