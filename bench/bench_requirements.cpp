// The Requirements and Drivers tabs on fixtures S, M, L and XL: showing each
// tab, a grid click, and Save with and without a new identifier (which
// rewrites the drivers' lines, or moves the driver's profile rows).
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
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& size : sizes) {
        QTemporaryDir dir;
        const QString path = writeFixture(dir, size);
        if (path.isEmpty())
            return 1;
        MainWindow window(path);
        window.show();
        auto* reqTab = window.tab<RequirementsTab>();
        auto* drvTab = window.tab<DriversTab>();
        const auto step = [&](const char* name, const std::function<void()>& fn) {
            table.time(size, QString::fromLatin1(name), fn);
        };

        window.pageControl()->setCurrentWidget(reqTab);
        step("show Requirements", [&] { reqTab->tabShown(); });
        const int middle = window.assessment().requirements().recordCount() / 2;
        int row = middle;
        step("Requirements grid click", [&] { clickRow(window, "DBGrid2", ++row); });
        step("Requirements Save, same identifier", [&] { reqTab->saveRequirement(); });
        int rename = 0;
        step("Requirements Save, new identifier", [&] {
            setEdit(window, "eID1", QStringLiteral("BQ%1").arg(++rename));
            reqTab->saveRequirement();
        });

        window.pageControl()->setCurrentWidget(drvTab);
        step("show Drivers", [&] { drvTab->tabShown(); });
        row = window.assessment().drivers().recordCount() / 2;
        step("Drivers grid click", [&] { clickRow(window, "DBGrid1", ++row); });
        step("Drivers Save, same identifier", [&] { drvTab->saveDriver(); });
        step("Drivers Save, new identifier", [&] {
            setEdit(window, "eId2", QStringLiteral("BQ%1").arg(++rename));
            drvTab->saveDriver();
        });

        // Other commands walk Drivers while another page is shown; the move hook
        // reloads the driver details at every record.
        window.pageControl()->setCurrentIndex(0);
        Table& drivers = window.assessment().drivers();
        step("walk Drivers with the move hooks", [&] {
            for (drivers.first(); !drivers.eof(); drivers.next()) { }
        });
    }
    table.print("bench_requirements");
    return 0;
}
