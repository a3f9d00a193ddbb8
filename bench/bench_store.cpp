// Store open and a full walk of every table, on fixtures S, M and L.
#include "bench_main.h"
#include "fixture_generator.h"

#include "store/assessment.h"

#include <QGuiApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList sizes = argc > 1 ? QStringList { QString::fromLatin1(argv[1]) } : QStringList { "S", "M", "L" };
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
        {
            Assessment a;
            QString error;
            a.open(path, true, &error);
            benchStep(
                qPrintable(QStringLiteral("[%1] generate fixture").arg(name)),
                [&] { Fixture::generate(a, Fixture::byName(name)); }, 1);
        }
        benchStep(qPrintable(QStringLiteral("[%1] open store").arg(name)), [&] {
            Assessment a;
            QString error;
            a.open(path, false, &error);
        });
        Assessment a;
        QString error;
        a.open(path, false, &error);
        long cells = 0;
        benchStep(qPrintable(QStringLiteral("[%1] walk every table").arg(name)), [&] {
            for (Table* t : { &a.system(), &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(),
                     &a.businessToTechnical(), &a.technicalToSecurity(), &a.controls(), &a.applications(),
                     &a.appControl(), &a.controlDriverTrace() }) {
                for (t->first(); !t->eof(); t->next())
                    cells += t->text(t->def().fields.front().name).size();
            }
        });
        benchStep(qPrintable(QStringLiteral("[%1] filter drivers by division").arg(name)), [&] {
            a.drivers().setFilter(QStringLiteral("Division='North'"));
            a.drivers().setFiltered(true);
            a.drivers().setFiltered(false);
        });
        benchStep(qPrintable(QStringLiteral("[%1] locate the last requirement").arg(name)), [&] {
            a.requirements().last();
            const QString id = a.requirements().text(QStringLiteral("RSeq"));
            a.requirements().first();
            a.requirements().locate(QStringLiteral("RSeq"), { id });
        });
        std::printf("(%ld characters read)\n", cells);
    }
    // A table of 100,000 rows: a filtered walk and a locate must cost
    // microseconds per row, not a query per row.
    QTemporaryDir dir;
    Assessment big;
    QString error;
    big.open(dir.filePath(QStringLiteral("Quarrix.mdb")), true, &error);
    {
        Store::Transaction tx(big.store());
        Table& reqs = big.requirements();
        for (int i = 0; i < 100000; ++i) {
            reqs.append();
            reqs.setText(QStringLiteral("RSeq"), QStringLiteral("R%1").arg(i, 6, 10, QLatin1Char('0')));
            reqs.setText(QStringLiteral("Division"), i % 2 ? QStringLiteral("North") : QStringLiteral("South"));
            reqs.post();
        }
        tx.commit();
    }
    Table& reqs = big.requirements();
    benchStep(
        "[100k] filter on a division",
        [&] {
            reqs.setFilter(QStringLiteral("Division='North'"));
            reqs.setFiltered(true);
        },
        1);
    int seen = 0;
    const double walk = benchStep("[100k] walk the 50,000 filtered rows", [&] {
        seen = 0;
        for (reqs.first(); !reqs.eof(); reqs.next())
            seen += reqs.text(QStringLiteral("RSeq")).size() > 0;
    });
    std::printf("%-40s %10.3f us\n", "[100k] per row walked", walk * 1000.0 / std::max(seen, 1));
    benchStep("[100k] locate the last filtered row",
        [&] { reqs.locate(QStringLiteral("RSeq"), { QStringLiteral("R099999") }); });
    return 0;
}
