#include "support/edit_moves.h"

#include <QComboBox>
#include <QTableView>

const char* moveName(RecordMove move)
{
    switch (move) {
    case RecordMove::GridClick:
        return "grid click";
    case RecordMove::ArrowKey:
        return "arrow key";
    case RecordMove::DivisionFilter:
        return "division filter";
    case RecordMove::TabSwitchLeft:
        return "tab switch to the left";
    case RecordMove::TabSwitchRight:
        return "tab switch to the right";
    case RecordMove::Add:
        return "Add";
    case RecordMove::Delete:
        return "Delete";
    case RecordMove::Clear:
        return "Clear Database";
    case RecordMove::Load:
        return "Load from Archive";
    case RecordMove::ReportRun:
        return "report run";
    }
    return "?";
}

int takeAddedRows(StoredRows& after, const StoredRows& before)
{
    int added = 0;
    for (auto it = after.begin(); it != after.end();)
        if (before.count(it->first) == 0) {
            ++added;
            it = after.erase(it);
        } else {
            ++it;
        }
    return added;
}

StoredRows EditMovesFixture::storedRows(const char* table) const
{
    Assessment fresh;
    QString error;
    EXPECT_TRUE(fresh.open(storePath, false, &error)) << error.toStdString();
    StoredRows rows;
    Table* t = fresh.byName(QString::fromLatin1(table));
    for (int row = 0; t && row < t->recordCount(); ++row) {
        QStringList values;
        for (int field = 0; field < int(t->def().fields.size()); ++field)
            values << t->textAt(row, field);
        rows[t->rowIdAt(row)] = values;
    }
    return rows;
}

void EditMovesFixture::scriptAnswers(bool yes)
{
    dialogs->questions.clear();
    dialogs->defaults.clear();
    dialogs->fileRequests.clear();
    dialogs->answers = { yes, false, false };
    dialogs->files.clear();
}

void EditMovesFixture::makeMove(RecordMove move, const EditingTab& tab)
{
    switch (move) {
    case RecordMove::GridClick:
        clickRow(tab.grid, 0);
        break;
    case RecordMove::ArrowKey: {
        auto* grid = find<QTableView>(tab.grid);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Up);
        break;
    }
    case RecordMove::DivisionFilter:
        window->divisionFilterBox()->setCurrentText(QString::fromLatin1(tab.division));
        break;
    case RecordMove::TabSwitchLeft:
    case RecordMove::TabSwitchRight:
        showTab(move == RecordMove::TabSwitchLeft ? tab.leftTab : tab.rightTab);
        showTab(tab.tab);
        break;
    case RecordMove::Add:
        click(tab.addLink);
        break;
    case RecordMove::Delete:
        click(tab.deleteLink);
        break;
    case RecordMove::Clear:
        action("ClearDatabase1")->trigger();
        break;
    case RecordMove::Load:
        action("LoadfromArchive1")->trigger();
        break;
    case RecordMove::ReportRun:
        click("hRep2"); // the Quarrix report, from whatever page is shown
        break;
    }
}

int EditMovesFixture::timesAsked(const QString& question) const
{
    return int(dialogs->questions.count(question));
}

void EditMovesFixture::expectOfferedOnce() const
{
    EXPECT_EQ(timesAsked(QStringLiteral("Save changes?")), 1);
    EXPECT_EQ(dialogs->questions.value(0), "Save changes?");
    EXPECT_EQ(dialogs->defaults.value(0), Dialogs::Default::Yes);
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

void EditMovesFixture::expectOnlyEditedRecordChanged(
    StoredRows after, const StoredRows& before, qint64 edited, int field, bool yes, RecordMove move)
{
    StoredRows expected = before;
    if (yes)
        expected[edited][field] = QStringLiteral("Edited");
    const int added = takeAddedRows(after, before);
    EXPECT_EQ(after, expected);
    EXPECT_EQ(added, move == RecordMove::Add ? 1 : 0);
}
