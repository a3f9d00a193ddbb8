// The control-set import of a catalog the size of a large published one (20
// families, about 1,300 controls and enhancements, some 3 MB of JSON, about
// 1,000 rows once the withdrawn ones are left out) against the same rows
// read from an .xlsx.
#include "bench_main.h"

#include "catalogues/control_set_import.h"
#include "catalogues/oscal_catalog.h"
#include "files/json_reader.h"
#include "store/assessment.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace {

// Sentences that name their control, so that no two controls read alike.
QString sentences(const QString& label, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("The organization reviews %1 and updates it as conditions change.").arg(label);
    return list.join(u' ');
}

QJsonArray props(const QString& label, bool withdrawn)
{
    QJsonArray list { QJsonObject { { "name", "label" }, { "value", label } } };
    if (withdrawn)
        list.append(QJsonObject { { "name", "status" }, { "value", "withdrawn" } });
    return list;
}

QJsonObject part(const QString& id, const QString& name, const QString& prose, const QJsonArray& parts = {})
{
    QJsonObject p { { "id", id }, { "name", name }, { "prose", prose } };
    if (!parts.isEmpty())
        p.insert(QStringLiteral("parts"), parts);
    return p;
}

QJsonObject item(const QString& id, const QString& label, const QString& prose, const QJsonArray& parts = {})
{
    QJsonObject p = part(id, QStringLiteral("item"), prose, parts);
    p.insert(QStringLiteral("props"), QJsonArray { QJsonObject { { "name", "label" }, { "value", label } } });
    return p;
}

// One control with two parameters, a statement of nested items, guidance
// and an assessment objective (which the import leaves out).
QJsonObject control(const QString& id, const QString& label, const QString& title, bool withdrawn, int guidance)
{
    const QString p1 = id + QStringLiteral("_prm_1"), p2 = id + QStringLiteral("_prm_2");
    const QJsonArray params { QJsonObject { { "id", p1 }, { "label", "personnel or roles" } },
        QJsonObject { { "id", p2 },
            { "select",
                QJsonObject { { "how-many", "one-or-more" },
                    { "choice",
                        QJsonArray { "organization-level", "mission/business process-level", "system-level" } } } } } };
    const QString s = id + QStringLiteral("_smt");
    const QJsonArray items {
        item(s + QStringLiteral(".a"), QStringLiteral("a."),
            QStringLiteral("Develop, document, and disseminate to {{ insert: param, %1 }}:").arg(p1),
            { item(s + QStringLiteral(".a.1"), QStringLiteral("1."),
                  QStringLiteral("{{ insert: param, %1 }} policy that addresses **purpose** and scope; and").arg(p2)),
                item(s + QStringLiteral(".a.2"), QStringLiteral("2."), sentences(label, 1)) }),
        item(s + QStringLiteral(".b"), QStringLiteral("b."), sentences(label, 2)),
        item(s + QStringLiteral(".c"), QStringLiteral("c."),
            QStringLiteral("See [SP 800-12](#ref-1). ") + sentences(label, 1)),
    };
    QJsonArray objectives;
    for (int o = 1; o <= 4; ++o)
        objectives.append(item(id + QStringLiteral("_obj.%1").arg(o), label + QStringLiteral("[%1]").arg(o),
            sentences(label, 1) + QStringLiteral(" It is determined.")));
    const QJsonArray parts { part(s, QStringLiteral("statement"), QString(), items),
        part(id + QStringLiteral("_gdn"), QStringLiteral("guidance"), sentences(label, guidance)),
        part(id + QStringLiteral("_obj"), QStringLiteral("assessment-objective"), QString(), objectives) };
    return QJsonObject { { "id", id }, { "class", "SP800-53" }, { "title", title }, { "params", params },
        { "props", props(label, withdrawn) }, { "parts", parts } };
}

QByteArray generateCatalog()
{
    QJsonArray groups;
    for (int g = 0; g < 20; ++g) {
        const QString family = QString(QChar(u'A' + g)) + QStringLiteral("X");
        QJsonArray controls;
        for (int c = 1; c <= 16; ++c) {
            const int i = g * 16 + c;
            const QString id = family.toLower() + QLatin1Char('-') + QString::number(c);
            const QString label = family + QLatin1Char('-') + QString::number(c);
            QJsonObject base = control(id, label, QStringLiteral("Control title %1").arg(label), i % 10 == 9, 4);
            QJsonArray enhancements;
            for (int e = 1; e <= i % 7; ++e)
                enhancements.append(
                    control(id + QLatin1Char('.') + QString::number(e), label + QStringLiteral("(%1)").arg(e),
                        QStringLiteral("Enhancement title %1").arg(e), e % 5 == 4, e % 3 == 0 ? 16 : 2));
            base.insert(QStringLiteral("controls"), enhancements);
            controls.append(base);
        }
        groups.append(QJsonObject { { "id", family.toLower() }, { "class", "family" }, { "title", family + " Family" },
            { "controls", controls } });
    }
    const QJsonObject catalog { { "uuid", "00000000-0000-4000-8000-000000000000" },
        { "metadata", QJsonObject { { "title", "Generated catalog" }, { "version", "1" } } }, { "groups", groups } };
    return QJsonDocument(QJsonObject { { "catalog", catalog } }).toJson(QJsonDocument::Compact);
}

void writeRows(const QString& path, const ControlSetRows& rows)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (size_t r = 0; r < rows.size(); ++r) {
        const ControlSetRow& row = rows[r];
        const QString cells[]
            = { row.id, row.xid, row.sectionTitle, row.subsectionTitle, row.subsection, row.controlTitle, row.control };
        for (int c = 0; c < 7; ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), cells[c].toUtf8().constData(), nullptr);
    }
    workbook_close(book);
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString catalog = dir.filePath(QStringLiteral("catalog.json"));
    const QString sheet = dir.filePath(QStringLiteral("catalog.xlsx"));
    {
        QFile file(catalog);
        if (!file.open(QIODevice::WriteOnly) || file.write(generateCatalog()) < 0)
            return 1;
    }
    const ControlSetRows rows = OscalCatalog::readControlRows(catalog);
    writeRows(sheet, rows);
    std::printf("catalog %.1f MB, %zu rows; workbook %.1f MB\n", QFileInfo(catalog).size() / 1048576.0, rows.size(),
        QFileInfo(sheet).size() / 1048576.0);

    Assessment a;
    if (!openStore(a, dir))
        return 1;
    // The parser's share (ours, and Qt's for comparison), then the whole reading.
    const QByteArray json = [&] {
        QFile file(catalog);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    benchStep("parse the catalog (QJsonDocument)", [&] { QJsonDocument::fromJson(json); });
    benchStep("parse the catalog (Json::Document)", [&] { Json::Document::parse(json); });
    benchStep("read the catalog's rows", [&] { OscalCatalog::readControlRows(catalog); });
    benchStep("import the catalog (.json)", [&] { importControlSet(a, catalog); });
    benchStep("import the same rows (.xlsx)", [&] { importControlSet(a, sheet); });
    return 0;
}
