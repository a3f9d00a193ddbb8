// The store on fixtures S, M, L and XL: writing the fixture through the table
// engine, opening the store, counting and reading every table, walking the
// rows held, a division filter and back, a locate.
#include "bench_main.h"
#include "fixture_generator.h"

#include "store/assessment.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

std::vector<Table*> everyTable(Assessment& a)
{
    return { &a.system(), &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(),
        &a.businessToTechnical(), &a.technicalToSecurity(), &a.controls(), &a.applications(), &a.appControl(),
        &a.controlDriverTrace() };
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList sizes = benchSizes(argc, argv);
    BenchTable table(sizes);
    for (const QString& size : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
        {
            Assessment a;
            QString error;
            a.open(path, true, &error);
            table.time(
                size, "write the fixture, one post per record", [&] { Fixture::generate(a, Fixture::byName(size)); },
                1);
        }
        table.time(size, "open the store", [&] {
            Assessment a;
            QString error;
            a.open(path, false, &error);
        });
        table.time(size, "open and count every table", [&] {
            Assessment a;
            QString error;
            a.open(path, false, &error);
            for (Table* t : everyTable(a))
                t->recordCount();
        });
        Assessment a;
        QString error;
        a.open(path, false, &error);
        long cells = 0;
        const auto walk = [&] {
            for (Table* t : everyTable(a))
                for (t->first(); !t->eof(); t->next())
                    cells += t->text(t->def().fields.front().name).size();
        };
        table.time(size, "read every table (first use)", walk, 1);
        table.time(size, "walk every table (rows held)", walk);
        const int rows = [&] {
            int n = 0;
            for (Table* t : everyTable(a))
                n += t->recordCount();
            return n;
        }();
        table.note(size, "rows in the store", rows, "");
        Table& drivers = a.drivers();
        table.time(size, "filter drivers by division and back", [&] {
            drivers.setFilter(QStringLiteral("Division='North'"));
            drivers.setFiltered(true);
            drivers.first();
            drivers.setFiltered(false);
            drivers.first();
        });
        Table& reqs = a.requirements();
        table.time(size, "locate the last requirement", [&] {
            reqs.last();
            const QString id = reqs.text(QStringLiteral("RSeq"));
            reqs.first();
            reqs.locate(QStringLiteral("RSeq"), { id });
        });
    }
    table.print("bench_store");
    return 0;
}
