#include "viewers/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace WindowPlacement {

QRect inside(const QRect& frame, const QRect& owner, const QRect& screen)
{
    QRect placed(QPoint(0, 0), frame.size().boundedTo(screen.size()));
    placed.moveCenter(owner.isValid() ? owner.center() : screen.center());
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() + 1 - placed.height()));
    return placed;
}

void placeInside(QWidget& window, const QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The title bar and borders a window manager adds lie outside the
    // widget's own size; before the first showing they are not known.
    const QSize decoration = window.frameGeometry().size() - window.size();
    const QRect frame(window.pos(), window.size() + decoration);
    const QRect placed = inside(frame, owner ? owner->frameGeometry() : QRect(), screen->availableGeometry());
    window.resize(placed.size() - decoration);
    window.move(placed.topLeft());
}

}
