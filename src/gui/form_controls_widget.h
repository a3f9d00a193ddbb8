#pragma once

#include "gui/disabled_style.h"

#include <QLabel>
#include <QRect>
#include <QString>

// Controls placed at their designed geometry inside a tab or group.
namespace FormControls {

// A named control with its hint.
template <class W> W* place(const char* name, const QString& hint, const QRect& geometry, QWidget* parent)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        w->setToolTip(hint);
    w->setGeometry(geometry);
    return w;
}

// An editor of an Edit/Save group: disabled (dark grey on sky blue) until edited.
template <class W> W* placeDisabled(const char* name, const QString& hint, const QRect& geometry, QWidget* parent)
{
    W* w = place<W>(name, hint, geometry, parent);
    w->setEnabled(false);
    DisabledStyle::apply(w);
    return w;
}

// A caption label.
inline QLabel* caption(const QString& text, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

}
