#include "gui/disabled_style.h"

#include <QPalette>
#include <QWidget>

namespace DisabledStyle {

QColor background()
{
    return QColor(166, 202, 240);
}

QColor text()
{
    return QColor(64, 64, 64);
}

void apply(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : { QPalette::Base, QPalette::Button })
        palette.setColor(QPalette::Disabled, role, background());
    for (QPalette::ColorRole role : { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, text());
    widget->setPalette(palette);
}

}
