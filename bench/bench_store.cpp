// Store open and a full walk of every table, on fixtures S, M and L.
#include "bench_main.h"
#include "fixture_generator.h"

#include "core/assessment.h"

#include <QGuiApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList sizes = argc > 1 ? QStringList{QString::fromLatin1(argv[1])} : QStringList{"S", "M", "L"};
    for (const QString& name : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
        {
            Assessment a;
            QString error;
            a.open(path, true, &error);
            benchStep(qPrintable(QStringLiteral("[%1] generate fixture").arg(name)), [&] { Fixture::generate(a, Fixture::byName(name)); }, 1);
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
            for (Table* t : {&a.system(), &a.requirements(), &a.drivers(), &a.drAtt(), &a.attribute(), &a.btAtt(),
                             &a.tsAtt(), &a.controls(), &a.applications(), &a.appControl(), &a.iddr()}) {
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
            a.requirements().locate(QStringLiteral("RSeq"), {id});
        });
        std::printf("(%ld characters read)\n", cells);
    }
    return 0;
}
