// The in-use derivation, showing the Security Attributes and Business
// Attributes tabs, a driver move with the profile panels shown and a change
// of the division filter, on fixtures S, M, L (20,000 profile rows) and XL.
#include "bench_main.h"
#include "fixture_generator.h"

#include "analysis/in_use_derivation.h"
#include "app/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        const QString path = writeFixture(dir, name);
        if (path.isEmpty())
            return 1;
        {
            Assessment a;
            QString error;
            a.open(path, false, &error);
            int inUse = 0;
            table.time(name, "derivation, All", [&] {
                deriveAttributesInUse(a, QStringLiteral("All"));
                inUse = a.attribute().recordCount();
            });
            table.note(name, "attributes in use", inUse, "");
        }

        MainWindow window(path);
        window.show();
        auto showTab = [&](const char* tab) {
            window.pageControl()->setCurrentWidget(window.findChild<QWidget*>(QString::fromLatin1(tab)));
        };
        auto step = [&](const char* what, const std::function<void()>& fn) {
            table.time(name, QString::fromLatin1(what), fn);
        };
        step("show Security Attributes tab", [&] {
            showTab("TabSheet9");
            showTab("TabSheet4");
        });
        step("show Business Attributes tab", [&] {
            showTab("TabSheet9");
            showTab("AttributeTab");
        });
        Table& drivers = window.assessment().drivers();
        int row = 0;
        step("driver move with panels shown", [&] {
            row = (row + 1) % std::max(1, drivers.recordCount());
            drivers.moveTo(row);
        });
        step("division filter change, North and back, Security tab shown", [&] {
            showTab("TabSheet4");
            window.divisionFilterBox()->setEditText(QStringLiteral("North"));
            window.divisionFilterBox()->setEditText(QStringLiteral("All"));
        });
    }
    table.print("bench_analysis");
    return 0;
}
