// The in-use derivation, showing the Security Attributes and Business
// Attributes tabs, and a driver move with the profile panels shown, on
// fixtures S, M and L (L: 20,000 profile rows).
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
    const QStringList sizes = argc > 1 ? QStringList { QString::fromLatin1(argv[1]) } : QStringList { "S", "M", "L" };
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
        {
            Assessment a;
            QString error;
            a.open(path, true, &error);
            Fixture::generate(a, Fixture::byName(name));
        }
        {
            Assessment a;
            QString error;
            a.open(path, false, &error);
            int inUse = 0;
            benchStep(qPrintable(QStringLiteral("[%1] derivation, All").arg(name)), [&] {
                deriveAttributesInUse(a, QStringLiteral("All"));
                inUse = a.attribute().recordCount();
            });
            std::printf("(%d attributes in use)\n", inUse);
        }

        MainWindow window(path);
        window.show();
        auto showTab = [&](const char* tab) {
            window.pageControl()->setCurrentWidget(window.findChild<QWidget*>(QString::fromLatin1(tab)));
        };
        auto step = [&](const char* what, const std::function<void()>& fn) {
            benchStep(qPrintable(QStringLiteral("[%1] %2").arg(name, QString::fromLatin1(what))), fn);
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
        step("division filter change, Security tab shown", [&] {
            showTab("TabSheet4");
            window.divisionFilterBox()->setEditText(QStringLiteral("North"));
            window.divisionFilterBox()->setEditText(QStringLiteral("All"));
        });
    }
    return 0;
}
