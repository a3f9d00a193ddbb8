#include "requirements/tab_fixture.h"

#include <QAbstractItemDelegate>
#include <QLineEdit>

// A cell typed into on the grid and the editors below it show one record: a
// cell edit of the record being edited settles the editors' edits first, so
// that their Save never writes an older value over the cell's.
class GridAndEditorsTest : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        setSystem("Divisions", { "North", "South" });
        addRow(reqs(), { { "RSeq", "BR1" }, { "Requirement", "Stored text" }, { "Division", "North" } });
        startWindow();
        showTab("TabSheet1");
    }

    // Types a value into a cell of the current record, as the analyst does:
    // the cell opens for editing, takes the text and Enter commits it.
    void typeIntoCell(int column, const QString& value)
    {
        auto* grid = find<QTableView>("DBGrid2");
        const QModelIndex cell = grid->model()->index(0, column);
        grid->setCurrentIndex(cell);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        if (!editor) {
            ADD_FAILURE() << "the cell did not open";
            return;
        }
        editor->selectAll();
        QTest::keyClicks(editor, value);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits the cell on its next turn of the event loop.
        QTRY_VERIFY(grid->model()->index(0, column).data().toString() == value);
    }
};

TEST_F(GridAndEditorsTest, ACellEditOfTheRecordBeingEditedIsNeverUndoneByTheEditorsSave)
{
    for (const bool saveEdits : { true, false }) {
        SCOPED_TRACE(saveEdits ? "editors saved first" : "editors' edits dropped");
        reqs().first();
        reqs().edit();
        reqs().setText("Requirement", "Stored text");
        reqs().setText("Division", "North");
        reqs().post();
        showTab("TabSheet9");
        showTab("TabSheet1");
        typeInto("eRequirement", "Typed in the editors");
        dialogs->questions.clear();
        dialogs->answers = { saveEdits };
        typeIntoCell(2, "South");

        EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
        EXPECT_EQ(stored(reqs(), 0, "Division"), "South");
        EXPECT_EQ(stored(reqs(), 0, "Requirement"), saveEdits ? "Typed in the editors" : "Stored text");
        EXPECT_EQ(comboText("cbDivision1"), "South"); // the editors show the cell's value
        click("hSave1");
        EXPECT_EQ(stored(reqs(), 0, "Division"), "South");
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    }
}
