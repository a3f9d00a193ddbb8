#include "analysis/security_attribute_store.h"

#include "store/assessment.h"
#include "store/line_list.h"
#include "store/store.h"
#include "store/text_cut.h"

namespace SecurityAttributeStore {

void write(Assessment& assessment, qint64 rowid, const SecurityAttributeEdits& edits)
{
    Table& t = assessment.attribute();
    const QString objectives = LineList::build(edits.objectives);
    const QString controls = LineList::build(edits.controls);
    if (t.hasRecord() && t.rowIdAt(t.currentRow()) == rowid) {
        t.edit();
        t.setText(QStringLiteral("Group"), edits.group);
        t.setText(QStringLiteral("Attribute"), edits.attribute);
        t.setText(QStringLiteral("Description"), edits.description);
        t.setText(QStringLiteral("Profile"), edits.profile);
        t.setText(QStringLiteral("SecObjectives"), objectives);
        t.setText(QStringLiteral("SecControls"), controls);
        t.post();
        return;
    }
    const auto width
        = [&t](const char* field) { return t.def().fields[t.fieldIndex(QString::fromLatin1(field))].width; };
    SqlStatement& update = assessment.store().cached(QStringLiteral(
        "UPDATE Attribute SET \"Group\"=?, Attribute=?, Description=?, Profile=?, SecObjectives=?, SecControls=? "
        "WHERE rowid=?"));
    update.bind(1, cutToCharacters(edits.group, width("Group")));
    update.bind(2, cutToCharacters(edits.attribute, width("Attribute")));
    update.bind(3, edits.description);
    update.bind(4, edits.profile);
    update.bind(5, objectives);
    update.bind(6, controls);
    update.bind(7, rowid);
    update.run();
    t.refresh();
}

CatalogueLines catalogueLines(const Table& controls)
{
    CatalogueLines lines;
    const int id = controls.fieldIndex(QStringLiteral("Id"));
    const int title = controls.fieldIndex(QStringLiteral("control_title"));
    const int subsection = controls.fieldIndex(QStringLiteral("subsection_title"));
    QString lastObjective;
    for (int row = 0; row < controls.recordCount(); ++row) {
        const QString ident = controls.textAt(row, id);
        lines.controls << ident + QStringLiteral(": ") + controls.textAt(row, title);
        if (ident.left(5) != lastObjective) {
            lastObjective = ident.left(5);
            lines.objectives << lastObjective + QStringLiteral(": ") + controls.textAt(row, subsection);
        }
    }
    return lines;
}

QStringList sameObjective(const QStringList& lines, const QString& key)
{
    QStringList out;
    const QString prefix = key.left(5);
    for (const QString& line : lines)
        if (line.left(5) == prefix)
            out << line;
    return out;
}

}
