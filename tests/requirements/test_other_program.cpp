#include "requirements/tab_fixture.h"

#include "gui/link_label.h"

#include <QFile>

#include <map>

// Another program (the command line loading an archive, say) changes the
// store while the window holds an edit. The window notices before it saves
// or moves: the edit goes into its own record if that is still there, or is
// offered as a new record; never into another one.
class OtherProgramTest : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        startEditing();
    }

    // A fresh store with BR1 and BR2, the window on it with an edit of BR2 typed.
    void startEditing()
    {
        closeWindow();
        for (const char* suffix : { "", "-wal", "-shm", "-journal" })
            QFile::remove(storePath + QString::fromLatin1(suffix));
        startWindow();
        addRow(reqs(), { { "RSeq", "BR1" }, { "Requirement", "First" } });
        addRow(reqs(), { { "RSeq", "BR2" }, { "Requirement", "Second" } });
        startWindow();
        showTab("TabSheet1");
        clickRow("DBGrid2", 1);
        typeInto("eRequirement", "Edited in the window");
    }

    // What another connection does to the file, as another program would.
    void otherProgram(const std::function<void(Assessment&)>& change)
    {
        Assessment other;
        QString error;
        ASSERT_TRUE(other.open(storePath, false, &error)) << error.toStdString();
        change(other);
    }

    // The requirements in the file: identifier -> text.
    std::map<QString, QString> storedRequirements()
    {
        Assessment fresh;
        QString error;
        EXPECT_TRUE(fresh.open(storePath, false, &error)) << error.toStdString();
        std::map<QString, QString> out;
        Table& t = fresh.requirements();
        for (int row = 0; row < t.recordCount(); ++row)
            out[stored(t, row, "RSeq")] = stored(t, row, "Requirement");
        return out;
    }
};

TEST_F(OtherProgramTest, AnEditIsSavedIntoItsOwnRecordOrOfferedAsANewOne)
{
    using Rows = std::map<QString, QString>;
    const QString gone = "The record you were editing was deleted by another program. Add your edits as a new record?";
    const struct {
        const char* name;
        std::function<void(Assessment&)> change;
        bool recordGone;
        Rows afterYes; // what the file holds when the edit is kept
        Rows afterNo;
    } cases[] = {
        { "the register replaced, as by a load",
            [](Assessment& a) {
                a.emptyTables();
                addRow(a.requirements(), { { "RSeq", "BR3" }, { "Requirement", "Third" } });
                addRow(a.requirements(), { { "RSeq", "BR4" }, { "Requirement", "Fourth" } });
            },
            true, { { "BR2", "Edited in the window" }, { "BR3", "Third" }, { "BR4", "Fourth" } },
            { { "BR3", "Third" }, { "BR4", "Fourth" } } },
        { "the record edited deleted",
            [](Assessment& a) {
                a.requirements().last();
                a.requirements().remove();
            },
            true, { { "BR1", "First" }, { "BR2", "Edited in the window" } }, { { "BR1", "First" } } },
        { "another record changed",
            [](Assessment& a) {
                a.requirements().first();
                a.requirements().edit();
                a.requirements().setText("Requirement", "Changed elsewhere");
                a.requirements().post();
            },
            false, { { "BR1", "Changed elsewhere" }, { "BR2", "Edited in the window" } }, {} },
    };
    for (const bool byMove : { false, true }) {
        for (const auto& c : cases) {
            for (const bool yes : { true, false }) {
                if (!c.recordGone && !yes)
                    continue; // nothing is asked
                if (byMove && c.afterNo.size() < 2)
                    continue; // no other record to move to
                SCOPED_TRACE(std::string(c.name) + (byMove ? ", a grid click" : ", Save") + (yes ? ", Yes" : ", No"));
                startEditing();
                otherProgram(c.change);
                dialogs->questions.clear();
                dialogs->answers = byMove ? std::deque<bool> { true, yes } : std::deque<bool> { yes };
                // The analyst's click: its press lets the window notice the change first.
                if (byMove) {
                    window->followOtherPrograms(); // as on any click: the grid shows the file as it is now
                    clickRow("DBGrid2", reqs().currentRow() == 0 ? 1 : 0);
                } else {
                    QTest::mouseClick(find<LinkLabel>("hSave1"), Qt::LeftButton);
                }

                QStringList asked = byMove ? QStringList { "Save changes?" } : QStringList();
                if (c.recordGone)
                    asked << gone;
                EXPECT_EQ(dialogs->questions, asked);
                EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
                // A record added for an edit offered during a move comes once the move has ended.
                (void)QTest::qWaitFor([&] { return storedRequirements() == (yes ? c.afterYes : c.afterNo); }, 2000);
                EXPECT_EQ(storedRequirements(), yes ? c.afterYes : c.afterNo);
                // The grid shows the file as it is now.
                EXPECT_EQ(find<QTableView>("DBGrid2")->model()->rowCount(), int((yes ? c.afterYes : c.afterNo).size()));
            }
        }
    }
}
