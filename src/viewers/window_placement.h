#pragma once

#include <QRect>

class QWidget;

namespace WindowPlacement {

// Where a window of this size goes: centred over its owner's frame (or the
// screen when it has none), then moved, and shrunk if need be, so that the
// whole frame lies inside the screen's available area.
QRect inside(const QRect& frame, const QRect& owner, const QRect& screen);

// Places the window that way before it is shown. The frame is guessed from
// the window's size where no window manager has drawn one yet.
void placeInside(QWidget& window, const QWidget* owner);

}
