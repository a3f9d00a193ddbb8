#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

// Saves a picture of every tab into the folder (for the user guide and README).
static int saveScreenshots(MainWindow& window, const QString& folder)
{
    QDir().mkpath(folder);
    QTabWidget* pages = window.pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = QStringLiteral("%1/%2-%3.png")
                                 .arg(folder)
                                 .arg(i, 2, 10, QLatin1Char('0'))
                                 .arg(pages->widget(i)->objectName());
        if (!window.grab().save(name))
            return 1;
    }
    return 0;
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrix"));
    QFont font = QApplication::font();
    font.setPixelSize(11);
    QApplication::setFont(font);
    // The store lives in the working directory.
    MainWindow window(QDir::current().filePath(QStringLiteral("Quarrix.mdb")));
    window.show();
    const QStringList args = QApplication::arguments();
    const int shots = int(args.indexOf(QStringLiteral("--screenshots")));
    if (shots > 0 && shots + 1 < args.size())
        return saveScreenshots(window, args.at(shots + 1));
    return app.exec();
}
