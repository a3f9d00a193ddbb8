#include "analysis/requirements_tab.h"
#include "tab_fixture.h"

#include "store/table_expressions.h"

#include <QPlainTextEdit>
#include <QSignalSpy>

namespace {

class RequirementsTabTest : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        setSystem("Divisions", { "North", "South" });
        setSystem("Activities", { "Build", "Run" });
        addRow(reqs(),
            { { "RSeq", "BR1.1" }, { "Requirement", "Stay open" }, { "Division", "North" }, { "Priority", "High" },
                { "Activity", "Run" }, { "Source", "Plan\r\nReport\r\n" } });
        addRow(reqs(), { { "RSeq", "BR1.10" }, { "Requirement", "Grow" }, { "Division", "South" } });
        addRow(reqs(), { { "RSeq", "BR2.1" }, { "Requirement", "Comply" }, { "Division", "North" } });
        window->assessment().setWorkArchived(true);
    }
};

TEST_F(RequirementsTabTest, ShowingTheTabFillsTheChoicesAndLoadsTheFirstRequirement)
{
    reqs().last();
    window->setStatus(QStringLiteral("Record Added               "));
    showTab("TabSheet1");

    EXPECT_EQ(comboItems("cbDivision1"), QStringList({ "Enterprise", "North", "South" }));
    EXPECT_EQ(comboItems("cbActivity1"), QStringList({ "Enterprise", "Build", "Run" }));
    EXPECT_EQ(comboItems("cbPriority"), QStringList({ "Low", "Medium", "High" }));
    EXPECT_EQ(text("eID1"), "BR1.1");
    EXPECT_EQ(text("eRequirement"), "Stay open");
    EXPECT_EQ(comboText("cbDivision1"), "North");
    EXPECT_EQ(comboText("cbPriority"), "High");
    EXPECT_EQ(comboText("cbActivity1"), "Run");
    EXPECT_EQ(find<QPlainTextEdit>("mSource")->toPlainText(), "Plan\nReport\n");
    EXPECT_EQ(window->statusText(), blanks(21));
    EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());

    // A requirement with empty fields shows the defaults; Save stores them.
    clickRow("DBGrid2", 1);
    EXPECT_EQ(comboText("cbPriority"), "Low");
    EXPECT_EQ(comboText("cbActivity1"), "Enterprise");
    EXPECT_EQ(window->statusText(), blanks(22));
    click("hSave1");
    EXPECT_EQ(stored(reqs(), 1, "Priority"), "Low");
    EXPECT_EQ(stored(reqs(), 1, "Activity"), "Enterprise");
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_FALSE(window->assessment().workArchived());

    // A division that no requirement carries leaves the editors at their defaults.
    showTab("TabSheet9");
    window->divisionFilterBox()->setCurrentText(QStringLiteral("West"));
    showTab("TabSheet1");
    EXPECT_EQ(reqs().recordCount(), 0);
    EXPECT_EQ(text("eID1"), "");
    EXPECT_EQ(text("eRequirement"), "");
    EXPECT_EQ(comboText("cbPriority"), "Low");
    EXPECT_EQ(comboText("cbDivision1"), "Enterprise");
    EXPECT_EQ(comboText("cbActivity1"), "Enterprise");
    dialogs->answers = { true };
    for (const char* link : { "hSave1", "hDelete1" })
        click(link);
    EXPECT_TRUE(dialogs->questions.isEmpty()) << "Save and Delete act on no record";
}

TEST_F(RequirementsTabTest, LeavingEditedRecordAsksAndYesSavesItWhileNoDropsTheEdits)
{
    for (const bool yes : { true, false }) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        showTab("TabSheet9");
        showTab("TabSheet1");
        dialogs->questions.clear();
        window->assessment().setWorkArchived(true);
        typeInto("eRequirement", "Stay open all night");
        EXPECT_TRUE(window->tab<RequirementsTab>()->hasPendingEdits());

        dialogs->answers = { yes };
        clickRow("DBGrid2", 2);

        EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
        EXPECT_EQ(stored(reqs(), 0, "Requirement"), yes ? "Stay open all night" : "Stay open");
        EXPECT_EQ(stored(reqs(), 2, "Requirement"), "Comply");
        EXPECT_EQ(text("eID1"), "BR2.1");
        EXPECT_EQ(text("eRequirement"), "Comply");
        EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());
        EXPECT_EQ(window->assessment().workArchived(), !yes);
        EXPECT_EQ(window->statusText(), blanks(22));
        // Back on the first requirement: reloading the editors is no edit.
        clickRow("DBGrid2", 0);
        EXPECT_EQ(dialogs->questions.size(), 1);
        reqs().first();
        reqs().edit();
        reqs().setText(QStringLiteral("Requirement"), QStringLiteral("Stay open"));
        reqs().post();
    }
}

TEST_F(RequirementsTabTest, AddPostsPlaceholdersAfterOfferingPendingEdits)
{
    showTab("TabSheet1");
    typeInto("eID1", "BR1.01");
    dialogs->answers = { true };
    click("hAdd1");
    click("hAdd1");

    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
    EXPECT_EQ(stored(reqs(), 0, "RSeq"), "BR1.01");
    EXPECT_EQ(reqs().recordCount(), 5);
    EXPECT_EQ(stored(reqs(), 3, "RSeq"), "BRx.xx");
    EXPECT_EQ(stored(reqs(), 4, "RSeq"), "BRx.xx");
    EXPECT_EQ(stored(reqs(), 4, "Division"), "");
    EXPECT_EQ(reqs().currentRow(), 4);
    EXPECT_EQ(text("eID1"), "BRx.xx");
    EXPECT_EQ(comboText("cbDivision1"), "Enterprise");
    EXPECT_EQ(text("eRequirement"), "");
    EXPECT_EQ(window->statusText(), "Record Added               ");
    EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());
    EXPECT_FALSE(window->assessment().workArchived());
}

TEST_F(RequirementsTabTest, SaveUnderNewIdentifierRewritesOnlyThatRequirementsLines)
{
    addRow(drivers(),
        { { "CSeq", "BD1" }, { "Requirement", LineList::build({ "BR1.10: Grow", "BR1.1: Stay open", "BR9: x" }) } });
    addRow(drivers(), { { "CSeq", "BD2" }, { "Requirement", LineList::build({ "BR1.10: Grow" }) } });
    const QString bd2 = stored(drivers(), 1, "Requirement");
    showTab("TabSheet1");

    typeInto("eID1", "BR1.2");
    typeInto("eRequirement", "Stay open late");
    click("hSave1");

    // The new identifier takes its place in the key order; the grid and the
    // editors stay on the record saved.
    EXPECT_EQ(stored(reqs(), 0, "RSeq"), "BR1.10");
    EXPECT_EQ(stored(reqs(), 1, "RSeq"), "BR1.2");
    EXPECT_EQ(reqs().currentRow(), 1);
    EXPECT_EQ(find<QTableView>("DBGrid2")->currentIndex().row(), 1);
    EXPECT_EQ(text("eID1"), "BR1.2");
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "BR1.10: Grow\r\nBR1.2:Stay open late\r\nBR9: x\r\n");
    EXPECT_EQ(stored(drivers(), 1, "Requirement"), bd2);
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());

    // The editor takes no more than the field holds, so what is stored is
    // what the analyst saw; the line carries the identifier as stored.
    typeInto("eID1", "BR1.2-renamed");
    EXPECT_EQ(text("eID1"), "BR1.2-re");
    click("hSave1");
    EXPECT_EQ(stored(reqs(), 1, "RSeq"), "BR1.2-re");
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "BR1.10: Grow\r\nBR1.2-re:Stay open late\r\nBR9: x\r\n");

    // Ranking, division, activity and references do not touch the drivers.
    clickRow("DBGrid2", 1);
    QSignalSpy driverMoves(&drivers(), &Table::afterMove);
    find<QComboBox>("cbPriority")->setCurrentText(QStringLiteral("Medium"));
    find<QComboBox>("cbActivity1")->setCurrentText(QStringLiteral("Build"));
    find<QPlainTextEdit>("mSource")->setPlainText(QStringLiteral("Minutes"));
    click("hSave1");
    EXPECT_EQ(driverMoves.count(), 0);
    EXPECT_EQ(stored(reqs(), 1, "Priority"), "Medium");
    EXPECT_EQ(stored(reqs(), 1, "Activity"), "Build");
    EXPECT_EQ(stored(reqs(), 1, "Source"), "Minutes");
}

TEST_F(RequirementsTabTest, DeleteByLinkOrKeyClearsTheSavedFlag)
{
    struct Case {
        const char* name;
        bool byKey;
        bool answer;
        int remaining;
        bool savedAfter;
    };
    for (const Case& c : { Case { "link, Yes", false, true, 2, false }, Case { "key, Yes", true, true, 2, false },
             Case { "link, No", false, false, 3, true }, Case { "key, No", true, false, 3, true } }) {
        SCOPED_TRACE(c.name);
        while (reqs().recordCount() > 3) {
            reqs().last();
            reqs().remove();
        }
        while (reqs().recordCount() < 3)
            addRow(reqs(), { { "RSeq", "BR0" } });
        showTab("TabSheet9");
        showTab("TabSheet1");
        window->assessment().setWorkArchived(true);
        dialogs->questions.clear();
        dialogs->answers = { c.answer };
        clickRow("DBGrid2", 1);
        const QString second = stored(reqs(), 1, "RSeq");
        if (c.byKey)
            QTest::keyClick(find<QTableView>("DBGrid2"), Qt::Key_Delete);
        else
            click("hDelete1");

        EXPECT_EQ(dialogs->questions, QStringList({ "Confirm Delete" }));
        EXPECT_EQ(reqs().recordCount(), c.remaining);
        EXPECT_EQ(window->assessment().workArchived(), c.savedAfter);
        if (c.answer) {
            EXPECT_EQ(window->statusText(), "Deleted                ");
            EXPECT_NE(stored(reqs(), 1, "RSeq"), second);
            EXPECT_EQ(text("eID1"), stored(reqs(), reqs().currentRow(), "RSeq"));
        }
    }
}

TEST_F(RequirementsTabTest, WalkByAnotherCommandAsksOnceAndOnlyForTheEditedRecord)
{
    for (const bool yes : { true, false }) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        showTab("TabSheet9");
        showTab("TabSheet1");
        clickRow("DBGrid2", 1);
        typeInto("eRequirement", "Grow fast");

        // A command walks the table from first to last while the edits wait;
        // any further question would be answered Yes.
        dialogs->questions.clear();
        dialogs->answers = { yes, true, true, true };
        Table& t = reqs();
        QStringList walked;
        for (t.first(); !t.eof(); t.next())
            walked << t.text(QStringLiteral("RSeq"));

        EXPECT_EQ(walked, QStringList({ "BR1.1", "BR1.10", "BR2.1" }));
        EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
        EXPECT_EQ(stored(t, 0, "Requirement"), "Stay open");
        EXPECT_EQ(stored(t, 1, "Requirement"), yes ? "Grow fast" : "Grow");
        EXPECT_EQ(stored(t, 2, "Requirement"), "Comply");
        EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());
        t.moveTo(1);
        t.edit();
        t.setText(QStringLiteral("Requirement"), QStringLiteral("Grow"));
        t.post();
    }
}

// The filter hides the record being edited: its edits are offered first and
// land in that record, never in the first record of the division.
TEST_F(RequirementsTabTest, FilterThatHidesTheEditedRecordOffersItsEditsFirst)
{
    showTab("TabSheet1");
    clickRow("DBGrid2", 1); // BR1.10, South
    typeInto("eRequirement", "Shrink");
    dialogs->answers = { true };

    window->divisionFilterBox()->setCurrentText(QStringLiteral("North"));

    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
    EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());
    EXPECT_EQ(text("eID1"), "BR1.1");
    reqs().setFiltered(false);
    EXPECT_EQ(stored(reqs(), 0, "Requirement"), "Stay open");
    EXPECT_EQ(stored(reqs(), 1, "Requirement"), "Shrink");
    EXPECT_EQ(stored(reqs(), 2, "Requirement"), "Comply");
    EXPECT_EQ(stored(reqs(), 1, "Division"), "South");
}

// Each single-line editor bound to a text field takes no more than the field
// holds, so what the analyst sees is what is saved.
TEST_F(RequirementsTabTest, EditorsAcceptAtMostTheirFieldsWidth)
{
    const struct {
        const char* tab;
        const char* editor;
        int width;
    } cases[] = {
        { "TabSheet1", "eID1", 8 },
        { "TabSheet1", "eRequirement", 80 },
        { "TabSheet1", "cbPriority", 8 },
        { "TabSheet1", "cbDivision1", 64 },
        { "TabSheet1", "cbActivity1", 32 },
        { "TabSheet2", "eId2", 8 },
        { "TabSheet2", "eDriver", 80 },
        { "TabSheet2", "cbDivision2", 64 },
        { "TabSheet2", "cbActivity2", 32 },
        { "TabSheet2", "cbDriverGroup", 32 },
    };
    const QString typed(100, QLatin1Char('w'));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.editor);
        showTab(c.tab);
        QWidget* w = find<QWidget>(c.editor);
        ASSERT_TRUE(w);
        auto* box = qobject_cast<QComboBox*>(w);
        QLineEdit* edit = box ? box->lineEdit() : qobject_cast<QLineEdit*>(w);
        ASSERT_TRUE(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        EXPECT_EQ(edit->text(), typed.left(c.width));
    }
}

}
