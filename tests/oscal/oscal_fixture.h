#pragma once

#include "catalogues/control_origin.h"
#include "catalogues/control_set_import.h"
#include "store/assessment.h"
#include "store/store.h"
#include "support/process_run.h"
#include "support/qt_printers.h"
#include "support/trace_assessment.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

// What the OSCAL tests share: the hand-made catalog, NIST's schemas, and
// reading written documents back with Qt's own JSON reader.
namespace OscalTest {

inline QString data(const QString& name)
{
    return QStringLiteral(QUARRIX_TEST_DATA "/") + name;
}

// tests/data/oscal_export_catalog.json, imported as sections ac (ac-1 01.01.01;
// ac-2 01.02.01 with ac-2.1 01.02.02 and ac-2.3 01.02.03, ac-2.2 withdrawn;
// ac-17 in a subgroup 01.03.01), au (au-2 02.01.01 with au-2.1 02.01.02) and
// sc (sc-13 03.01.01). ac-2.3 inserts a parameter of ac-2, sc-13 one of the
// catalog, and the ac group has a parameter and a part of its own.
inline QString smallCatalog()
{
    return data(QStringLiteral("oscal_export_catalog.json"));
}

// The errors NIST's schema finds in the files, empty when they are valid.
inline QString schemaErrors(const QStringList& files, bool profile)
{
    const QString schema = data(profile ? QStringLiteral("oscal-schema/oscal_profile_schema.json")
                                        : QStringLiteral("oscal-schema/oscal_catalog_schema.json"));
    const ProcessRun run = runProgram(QStringLiteral("/usr/bin/python3"),
        QStringList { QStringLiteral(QUARRIX_SOURCE_DIR "/tests/oscal/validate_oscal.py"), schema } + files, 600000);
    return run.status == 0 ? QString() : run.out + run.err + QStringLiteral("(status %1)").arg(run.status);
}

inline QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

inline QStringList texts(const QJsonArray& array)
{
    QStringList out;
    for (const QJsonValue& v : array)
        out << v.toString();
    return out;
}

// The with-ids of a profile's one import.
inline QStringList withIds(const QJsonObject& document)
{
    const QJsonObject import = document[QStringLiteral("profile")][QStringLiteral("imports")][0].toObject();
    return texts(import[QStringLiteral("include-controls")][0][QStringLiteral("with-ids")].toArray());
}

// The ids of the controls of a catalog, at any depth, in document order.
inline void collectControlIds(const QJsonObject& owner, QStringList& ids)
{
    for (const QJsonValue c : owner[QStringLiteral("controls")].toArray()) {
        ids << c[QStringLiteral("id")].toString();
        collectControlIds(c.toObject(), ids);
    }
    for (const QJsonValue g : owner[QStringLiteral("groups")].toArray())
        collectControlIds(g.toObject(), ids);
}

inline QStringList catalogControlIds(const QJsonObject& document)
{
    QStringList ids;
    collectControlIds(document[QStringLiteral("catalog")].toObject(), ids);
    return ids;
}

inline void setEntries(Assessment& a, const QString& attribute, const QString& objectives, const QString& controls)
{
    SqlStatement& update = a.store().cached(
        QStringLiteral("UPDATE Attribute SET SecObjectives = ?, SecControls = ? WHERE Attribute = ?"));
    update.bind(1, objectives);
    update.bind(2, controls);
    update.bind(3, attribute);
    update.run();
}

// The controls of the store that came from a catalog and whose catalog ids
// are among `ids` (all when empty), in catalog order, each as "catalog id |
// label | section | title | text"; what a re-import must give back.
inline QStringList importedControls(Assessment& a, const QStringList& ids = {})
{
    const auto catalog = ControlOrigin::read(a.store(), false);
    std::map<int, QString> byOrder;
    if (!catalog)
        return {};
    a.store()
        .cached(QStringLiteral("SELECT rowid, XId, section_title, control_title, control FROM Controls"))
        .eachRow([&](SqlStatement& s) {
            const auto origin = catalog->controls.constFind(s.columnInt64(0));
            if (origin == catalog->controls.cend() || (!ids.isEmpty() && !ids.contains(origin->origin.id)))
                return;
            byOrder[origin->order]
                = QStringList { origin->origin.id, s.text(1), s.text(2), s.text(3), s.text(4) }.join(u" | ");
        });
    QStringList out;
    for (const auto& [order, row] : byOrder)
        out << row;
    return out;
}

// An assessment in a store of its own in a temporary folder.
struct ScratchStore {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Quarrix.mdb"));
    Assessment a;
    ScratchStore()
    {
        QString error;
        EXPECT_TRUE(a.open(path, true, &error)) << error.toStdString();
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// The trace assessment (support/trace_assessment.h) with the small catalog
// imported in place of its four controls, which keeps their Ids meaning
// ac-1, ac-2, au-2 and sc-13.
inline std::unique_ptr<ScratchStore> traceAssessmentWithCatalog()
{
    auto s = std::make_unique<ScratchStore>();
    TraceAssessment::build(s->a);
    importControlSet(s->a, smallCatalog());
    return s;
}

}
