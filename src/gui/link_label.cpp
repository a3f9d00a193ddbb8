#include "gui/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, const char* objectName, QWidget* parent)
    : QLabel(text, parent)
{
    setObjectName(QString::fromLatin1(objectName));
    setStyleSheet(QStringLiteral("QLabel { color: blue; font-weight: bold; text-decoration: underline; }"
                                 "QLabel:focus { background: #dde6ff; }"
                                 "QLabel:disabled { color: gray; text-decoration: none; }"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}
