#include "viewers/about_window.h"

#include <QLabel>

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
    struct Line {
        const char* text;
        int top, height;
        double scale;
    };
    const Line lines[] = {
        { "Meridal", 12, 48, 2.6 },
        { "Quarrix is one of a set of applications", 76, 20, 1.0 },
        { "produced and distributed by Meridal.", 98, 20, 1.0 },
        { "2004 - 2026", 132, 20, 1.0 },
        { "www.meridal.example", 164, 20, 1.0 },
    };
    int n = 1;
    for (const Line& line : lines) {
        auto* label = new QLabel(QString::fromLatin1(line.text), this);
        label->setObjectName(QStringLiteral("Label%1").arg(n++));
        QFont f = label->font();
        f.setBold(true);
        f.setItalic(true);
        f.setPixelSize(int(12 * line.scale));
        label->setFont(f);
        label->setStyleSheet(QStringLiteral("color: blue;"));
        label->setGeometry(20, line.top, 403, line.height);
    }
}

void AboutWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}
