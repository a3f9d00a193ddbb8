// The Requirements and Drivers tabs on an assessment of size L (or the size
// named on the command line): showing each tab, a grid click, and Save with
// and without a new identifier (which rewrites the drivers' lines, or moves
// the driver's profile rows).
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/drivers_tab.h"
#include "analysis/requirements_tab.h"
#include "app/main_window.h"
#include "gui/data_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

void clickRow(MainWindow& window, const char* gridName, int row)
{
    auto* grid = window.findChild<DataGrid*>(QString::fromLatin1(gridName));
    grid->setCurrentIndex(grid->model()->index(row, 0));
}

void setEdit(MainWindow& window, const char* name, const QString& text)
{
    window.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString size = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("L");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
    {
        Assessment a;
        QString error;
        if (!a.open(path, true, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        Fixture::generate(a, Fixture::byName(size));
    }
    MainWindow window(path);
    window.show();
    auto* reqTab = window.tab<RequirementsTab>();
    auto* drvTab = window.tab<DriversTab>();
    const auto label = [&](const char* step) { return QStringLiteral("[%1] %2").arg(size, QString::fromLatin1(step)); };

    window.pageControl()->setCurrentWidget(reqTab);
    benchStep(qPrintable(label("show Requirements")), [&] { reqTab->tabShown(); });
    const int middle = window.assessment().requirements().recordCount() / 2;
    int row = middle;
    benchStep(qPrintable(label("Requirements grid click")), [&] { clickRow(window, "DBGrid2", ++row); });
    benchStep(qPrintable(label("Requirements Save, same identifier")), [&] { reqTab->saveRequirement(); });
    int rename = 0;
    benchStep(qPrintable(label("Requirements Save, new identifier")), [&] {
        setEdit(window, "eID1", QStringLiteral("BQ%1").arg(++rename));
        reqTab->saveRequirement();
    });

    window.pageControl()->setCurrentWidget(drvTab);
    benchStep(qPrintable(label("show Drivers")), [&] { drvTab->tabShown(); });
    row = window.assessment().drivers().recordCount() / 2;
    benchStep(qPrintable(label("Drivers grid click")), [&] { clickRow(window, "DBGrid1", ++row); });
    benchStep(qPrintable(label("Drivers Save, same identifier")), [&] { drvTab->saveDriver(); });
    benchStep(qPrintable(label("Drivers Save, new identifier")), [&] {
        setEdit(window, "eId2", QStringLiteral("BQ%1").arg(++rename));
        drvTab->saveDriver();
    });

    // Other commands walk Drivers while another page is shown; the move hook
    // reloads the driver details at every record.
    window.pageControl()->setCurrentIndex(0);
    Table& drivers = window.assessment().drivers();
    benchStep(qPrintable(label("walk Drivers with the move hooks")), [&] {
        for (drivers.first(); !drivers.eof(); drivers.next()) { }
    });
    return 0;
}
