// Any bytes as a control set and as an attribute set, imported into a real
// store that holds a small catalogue. An import either succeeds or raises
// QuarrixError; a failed one must leave every catalogue table as it was.
#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "fuzz_input_file.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void addRow(Table& t, std::initializer_list<std::pair<const char*, const char*>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), QString::fromUtf8(value));
    t.post();
}

// Every row of the catalogue tables, filters off.
QStringList catalogue(Assessment& a)
{
    QStringList rows;
    for (Table* t : { &a.attribute(), &a.businessToTechnical(), &a.technicalToSecurity(), &a.controls() }) {
        t->setFiltered(false);
        for (int r = 0; r < t->recordCount(); ++r) {
            QStringList fields;
            for (int f = 0; f < int(t->def().fields.size()); ++f)
                fields << t->textAt(r, f);
            rows << fields.join(QLatin1Char('|'));
        }
        if (t->notificationsSuspended())
            rows << QStringLiteral("display left suspended");
    }
    return rows;
}

// The catalogue every input starts from after an import that succeeded.
void seed(Assessment& a)
{
    for (Table* t : { &a.attribute(), &a.businessToTechnical(), &a.technicalToSecurity(), &a.controls() })
        a.emptyTable(*t);
    addRow(a.attribute(),
        { { "Attribute", "Old" }, { "Group", "Former" }, { "Grx", "1" }, { "GrAtt", "01Old" },
            { "Tier", "Business" } });
    addRow(a.businessToTechnical(), { { "BTAtt", "kept" }, { "BusAtt", "Old" }, { "TechAtt", "OldTech" } });
    addRow(a.controls(), { { "Id", "01.01.01" }, { "XId", "01.01.01" }, { "control_title", "Old control" } });
}

Assessment& store()
{
    static Assessment* a = [] {
        auto* opened = new Assessment;
        QString error;
        const QString path = fuzzWorkFolder() + QStringLiteral("/Quarrix.mdb");
        QFile::remove(path);
        if (!opened->open(path, true, &error)) {
            fprintf(stderr, "%s\n", qPrintable(error));
            abort();
        }
        seed(*opened);
        return opened;
    }();
    return *a;
}

template <class Import> void importUnchangedOnFailure(Assessment& a, const QString& path, Import import)
{
    const QStringList before = catalogue(a);
    try {
        import(a, path);
        seed(a);
    } catch (const QuarrixError& e) {
        if (catalogue(a) != before) {
            fprintf(stderr, "a failed import changed the catalogue: %s\n", qPrintable(e.message()));
            abort();
        }
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Assessment& a = store();
    const QString path = writeFuzzInput(data, size, "set.xls");
    importUnchangedOnFailure(a, path, [](Assessment& s, const QString& p) { importControlSet(s, p); });
    importUnchangedOnFailure(a, path, [](Assessment& s, const QString& p) { importAttributeSet(s, p); });
    return 0;
}
