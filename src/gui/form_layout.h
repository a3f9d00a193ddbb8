#pragma once

#include <QString>
#include <Qt>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QWidget;

// Building blocks of the tabs' forms. Controls are made with their object
// name (tests find them by it) and their hint, and placed by Qt layouts, so
// the extra room of a larger window goes to the grids and multi-line fields.
namespace FormLayout {

// A named control with its hint; the layout that takes it gives it a parent.
template <class W> W* named(const char* objectName, const QString& hint = {})
{
    auto* w = new W;
    w->setObjectName(QString::fromLatin1(objectName));
    if (!hint.isEmpty())
        w->setToolTip(hint);
    return w;
}

// A combo box that takes typed text as well as a choice from its list.
QComboBox* choiceBox(const char* objectName, const QString& hint = {});

// A group box with its caption.
QGroupBox* group(const QString& caption, const char* objectName);

// Puts a caption in the given column of a grid row and its field beside it,
// the field spanning `span` columns. Captions of tall fields sit at their top.
QLabel* addField(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field, int span = 1,
    Qt::Alignment captionAlignment = Qt::AlignVCenter);

// The page of an editing tab: the grid across the top, the details group
// under it on the left and the Add and Delete links at its right; the grid
// and the details share the extra height. The grid joins once the store is
// open, through placeGrid().
QGridLayout* gridOverDetails(QWidget* page, QWidget* details, QWidget* add, QWidget* remove);
void placeGrid(QGridLayout* page, QWidget* grid);

}
