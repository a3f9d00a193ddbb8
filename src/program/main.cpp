#include "analysis/trace_window.h"
#include "app/help_sections.h"
#include "app/main_window.h"
#include "compare/compare_window.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

// Saves a picture of every tab into the folder, named after the tab's section
// of the user guide ("tab-requirements.png"), and one of the trace window
// ("trace-window.png").
static int saveScreenshots(MainWindow& window, const QString& folder)
{
    QDir().mkpath(folder);
    QTabWidget* pages = window.pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        QString name = HelpSections::anchorFor(pages->widget(i)->objectName());
        if (name.isEmpty())
            name = pages->widget(i)->objectName();
        if (!window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            return 1;
    }
    pages->setCurrentIndex(0);
    window.openTraceWindow();
    TraceWindow* trace = window.traceWindow();
    if (!trace)
        return 1;
    QApplication::processEvents();
    return trace->grab().save(QDir(folder).filePath(QStringLiteral("trace-window.png"))) ? 0 : 1;
}

// Saves a picture of the window comparing the store with the archive: its
// summary of what changed.
static int saveComparisonShot(MainWindow& window, const QString& archive, const QString& picture)
{
    if (!window.runCommand([&] { window.openComparison(archive); }) || !window.compareWindow())
        return 1;
    CompareWindow* compare = window.compareWindow();
    compare->resize(900, 400); // the example's summary without the empty rows below it
    QApplication::processEvents();
    return compare->grab().save(picture) ? 0 : 1;
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
    // --compare-screenshot ARCHIVE PICTURE: the comparison window's picture.
    const int compared = int(args.indexOf(QStringLiteral("--compare-screenshot")));
    if (compared > 0 && compared + 2 < args.size())
        return saveComparisonShot(window, args.at(compared + 1), args.at(compared + 2));
    return app.exec();
}
