#include "app/main_window.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrix"));
    QFont font = QApplication::font();
    font.setPixelSize(11);
    QApplication::setFont(font);
    // The store lives in the working directory.
    TForm2 window(QDir::current().filePath(QStringLiteral("Quarrix.mdb")));
    window.show();
    return app.exec();
}
