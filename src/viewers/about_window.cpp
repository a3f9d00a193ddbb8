#include "viewers/about_window.h"

#include <QLabel>
#include <QVBoxLayout>

AboutWindow::AboutWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral(" About Quarrix"));
    resize(443, 210);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    // Each line with the room above it, as designed at 443 x 210.
    struct Line {
        const char* text;
        int spaceAbove;
        double scale;
    };
    const Line lines[] = {
        { "Meridal", 0, 2.6 },
        { "Quarrix is one of a set of applications", 16, 1.0 },
        { "produced and distributed by Meridal.", 2, 1.0 },
        { "2004 - 2026", 14, 1.0 },
        { "www.meridal.example", 12, 1.0 },
    };
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 12, 20, 12);
    column->setSpacing(0);
    int n = 1;
    for (const Line& line : lines) {
        auto* label = new QLabel(QString::fromLatin1(line.text));
        label->setObjectName(QStringLiteral("Label%1").arg(n++));
        QFont f = label->font();
        f.setBold(true);
        f.setItalic(true);
        f.setPixelSize(int(12 * line.scale));
        label->setFont(f);
        label->setStyleSheet(QStringLiteral("color: blue;"));
        column->addSpacing(line.spaceAbove);
        column->addWidget(label);
    }
    column->addStretch(1);
}

void AboutWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}
