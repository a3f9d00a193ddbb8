#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

// A workbook as an independent reader (Python's openpyxl) sees it: the sheet
// names in order and each sheet's rows, trailing empty rows and cells left
// off. A cell that does not hold text reads "<not text: VALUE>".
struct DumpedSheet {
    QString name;
    QList<QStringList> rows;
};

struct DumpedWorkbook {
    QString active;
    QList<DumpedSheet> sheets;
    QStringList names() const
    {
        QStringList n;
        for (const DumpedSheet& s : sheets)
            n << s.name;
        return n;
    }
};

inline DumpedWorkbook readWithOpenpyxl(const QString& path)
{
    static const char* script = R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"active": wb.active.title, "sheets": []}
for ws in wb.worksheets:
    rows = []
    for row in ws.iter_rows(values_only=True):
        cells = [v if v is None or isinstance(v, str) else "<not text: %r>" % (v,) for v in row]
        while cells and cells[-1] is None:
            cells.pop()
        rows.append(["" if v is None else v for v in cells])
    while rows and not rows[-1]:
        rows.pop()
    out["sheets"].append({"name": ws.title, "rows": rows})
sys.stdout.write(json.dumps(out))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QString::fromLatin1(script), path });
    DumpedWorkbook book;
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl could not read " << path.toStdString() << ": "
                      << python.readAllStandardError().toStdString();
        return book;
    }
    const QJsonObject root = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    book.active = root.value(QStringLiteral("active")).toString();
    for (const QJsonValue& s : root.value(QStringLiteral("sheets")).toArray()) {
        DumpedSheet sheet;
        sheet.name = s.toObject().value(QStringLiteral("name")).toString();
        for (const QJsonValue& r : s.toObject().value(QStringLiteral("rows")).toArray()) {
            QStringList cells;
            for (const QJsonValue& c : r.toArray())
                cells << c.toString();
            sheet.rows << cells;
        }
        book.sheets << sheet;
    }
    return book;
}
