#include "analysis/business_attributes_tab.h"
#include "analysis/drivers_tab.h"
#include "analysis/profile_store.h"
#include "gui/data_grid.h"
#include "tab_fixture.h"

#include <QLabel>
#include <QListWidget>

namespace {

class DriversTabTest : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        setSystem("Divisions", { "North", "South" });
        setSystem("Activities", { "Build" });
        addRow(reqs(), { { "RSeq", "BR1" }, { "Requirement", "Stay open" }, { "Division", "North" } });
        addRow(reqs(), { { "RSeq", "BR2" }, { "Requirement", "Grow" }, { "Division", "Enterprise" } });
        addRow(reqs(), { { "RSeq", "BR3" }, { "Requirement", "comply" }, { "Division", "North" } });
        addRow(drivers(),
            { { "CSeq", "BD1.01" }, { "Driver", "Availability" }, { "Division", "North" },
                { "Requirement", LineList::build({ "BR1: Stay open" }) }, { "Group", "Ops" } });
        addRow(drivers(), { { "CSeq", "BD2.01" }, { "Driver", "Growth" }, { "Division", "South" } });
        for (const char* id : { "BD1.01", "BD2.01", "BD1.01" })
            addRow(window->assessment().driverProfiles(),
                { { "CSeq", QString::fromLatin1(id) }, { "Attribute", "Agile" }, { "Priority", "1" } });
        window->assessment().setWorkArchived(true);
    }

    QStringList listItems()
    {
        QStringList items;
        auto* list = find<QListWidget>("lbReqs");
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    QStringList profileIds()
    {
        Table& p = window->assessment().driverProfiles();
        QStringList ids;
        for (int row = 0; row < p.recordCount(); ++row)
            ids << stored(p, row, "CSeq");
        return ids;
    }
};

TEST_F(DriversTabTest, ShowingTheTabFillsChoicesGroupsAndRequirementLines)
{
    setSystem("Groups", { "zeta", "Alpha", "beta" });
    showTab("TabSheet2");

    EXPECT_EQ(text("eId2"), "BD1.01");
    EXPECT_EQ(text("eDriver"), "Availability");
    EXPECT_EQ(comboItems("cbDivision2"), QStringList({ "Enterprise", "North", "South" }));
    EXPECT_EQ(comboText("cbDivision2"), "North");
    EXPECT_EQ(comboItems("cbActivity2"), QStringList({ "Enterprise", "Build" }));
    EXPECT_EQ(comboText("cbActivity2"), "Enterprise");
    EXPECT_EQ(comboItems("cbDriverGroup"), QStringList({ "Alpha", "beta", "zeta" }));
    EXPECT_EQ(comboText("cbDriverGroup"), "Ops");
    EXPECT_EQ(comboItems("cbRequirements"), QStringList({ "BR1: Stay open", "BR2: Grow", "BR3: comply" }));
    EXPECT_EQ(comboText("cbRequirements"), "BR1: Stay open");
    EXPECT_EQ(listItems(), QStringList({ "BR1: Stay open" }));
    EXPECT_EQ(window->statusText(), blanks(21));
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());

    // A refill shows the first line offered, not a line left from before.
    find<QComboBox>("cbRequirements")->setEditText(QStringLiteral("BR9: no longer offered"));
    showTab("TabSheet9");
    showTab("TabSheet2");
    EXPECT_EQ(comboText("cbRequirements"), "BR1: Stay open");

    // Under a division filter only that division's requirements are offered.
    showTab("TabSheet9");
    window->divisionFilterBox()->setCurrentText(QStringLiteral("North"));
    showTab("TabSheet2");
    EXPECT_EQ(comboItems("cbRequirements"), QStringList({ "BR1: Stay open", "BR3: comply" }));
}

TEST_F(DriversTabTest, WithoutGroupsInTheSettingsANewDriverTakesTheManagementGroup)
{
    showTab("TabSheet2");
    EXPECT_EQ(comboItems("cbDriverGroup"), QStringList({ "[1] Management" }));

    click("hAdd2");
    EXPECT_EQ(drivers().recordCount(), 3);
    EXPECT_EQ(stored(drivers(), 2, "CSeq"), "BDx.xx");
    EXPECT_EQ(text("eId2"), "BDx.xx");
    EXPECT_EQ(comboText("cbDriverGroup"), "[1] Management");
    EXPECT_EQ(comboText("cbDivision2"), "Enterprise");
    EXPECT_TRUE(listItems().isEmpty());
    EXPECT_EQ(window->statusText(), "Record added             ");
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());

    click("hSave2");
    EXPECT_EQ(stored(drivers(), 2, "Group"), "[1] Management");
    EXPECT_EQ(stored(drivers(), 2, "Division"), "Enterprise");
    EXPECT_EQ(window->statusText(), "Save Complete          ");
}

TEST_F(DriversTabTest, RequirementListIsSortedIgnoringCaseAndStoredOnlyBySave)
{
    showTab("TabSheet2");
    auto* choice = find<QComboBox>("cbRequirements");
    auto* list = find<QListWidget>("lbReqs");

    choice->setCurrentIndex(2); // "BR3: comply"
    click("hReqAdd");
    click("hReqAdd");
    EXPECT_EQ(window->statusText(), "Record added             ");
    choice->setEditText(QStringLiteral("br0: typed by hand"));
    QTest::keyClick(list, Qt::Key_Insert);
    EXPECT_EQ(listItems(), QStringList({ "br0: typed by hand", "BR1: Stay open", "BR3: comply", "BR3: comply" }));
    EXPECT_TRUE(window->tab<DriversTab>()->hasPendingEdits());
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "BR1: Stay open\r\n");

    // Delete with no line selected asks, removes nothing, and still marks the change.
    click("hSave2");
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());
    list->clearSelection();
    dialogs->answers = { true };
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(dialogs->questions, QStringList({ "Confirm Delete" }));
    EXPECT_EQ(list->count(), 4);
    EXPECT_TRUE(window->tab<DriversTab>()->hasPendingEdits());
    EXPECT_EQ(window->statusText(), "Deleted                ");

    list->item(1)->setSelected(true);
    dialogs->answers = { true };
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(listItems(), QStringList({ "br0: typed by hand", "BR3: comply", "BR3: comply" }));

    click("hSave2");
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "br0: typed by hand\r\nBR3: comply\r\nBR3: comply\r\n");
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());

    // An emptied list is stored as empty text.
    while (list->count() > 0)
        delete list->takeItem(0);
    click("hSave2");
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "");
}

TEST_F(DriversTabTest, SavingUnderANewIdentifierMovesTheProfileRows)
{
    showTab("TabSheet2");
    typeInto("eId2", "BD1.02");
    click("hSave2");
    EXPECT_EQ(stored(drivers(), 0, "CSeq"), "BD1.02");
    EXPECT_EQ(profileIds(), QStringList({ "BD1.02", "BD2.01", "BD1.02" }));

    // Saving without a new identifier leaves them.
    typeInto("eDriver", "Uptime");
    click("hSave2");
    EXPECT_EQ(profileIds(), QStringList({ "BD1.02", "BD2.01", "BD1.02" }));

    // A profile made while the driver was still new goes with its first
    // identifier and does not turn up on the next new driver.
    click("hAdd2");
    addRow(
        window->assessment().driverProfiles(), { { "CSeq", "BDx.xx" }, { "Attribute", "Agile" }, { "Priority", "2" } });
    typeInto("eId2", "BD3.01");
    click("hSave2");
    EXPECT_EQ(stored(drivers(), 2, "CSeq"), "BD3.01");
    EXPECT_EQ(profileIds(), QStringList({ "BD1.02", "BD2.01", "BD1.02", "BD3.01" }));
    click("hAdd2");
    EXPECT_TRUE(ProfileStore::read(window->assessment(), QStringLiteral("BDx.xx")).empty());
}

// An identifier typed into the Business Attributes grid moves the profile too.
TEST_F(DriversTabTest, RenamingInTheProfilingGridMovesTheProfileRows)
{
    showTab("AttributeTab");
    auto* grid = find<DataGrid>("DBGrid3");
    EXPECT_TRUE(grid->model()->setData(grid->model()->index(0, 0), QStringLiteral("BD1.09"), Qt::EditRole));
    EXPECT_EQ(stored(drivers(), 0, "CSeq"), "BD1.09");
    EXPECT_EQ(profileIds(), QStringList({ "BD1.09", "BD2.01", "BD1.09" }));
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

TEST_F(DriversTabTest, LeavingAnEditedDriverAsksAndYesSavesItWhileNoDropsTheEdits)
{
    for (const bool yes : { true, false }) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        showTab("TabSheet9");
        showTab("TabSheet2");
        dialogs->questions.clear();
        typeInto("eDriver", "Always on");
        find<QComboBox>("cbDivision2")->setCurrentText(QStringLiteral("South"));
        EXPECT_TRUE(window->tab<DriversTab>()->hasPendingEdits());

        dialogs->answers = { yes };
        clickRow("DBGrid1", 1);

        EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
        EXPECT_EQ(stored(drivers(), 0, "Driver"), yes ? "Always on" : "Availability");
        EXPECT_EQ(stored(drivers(), 0, "Division"), yes ? "South" : "North");
        EXPECT_EQ(text("eId2"), "BD2.01");
        EXPECT_EQ(text("eDriver"), "Growth");
        EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());
        EXPECT_EQ(window->statusText(), blanks(22));
        drivers().first();
        drivers().edit();
        drivers().setText(QStringLiteral("Driver"), QStringLiteral("Availability"));
        drivers().setText(QStringLiteral("Division"), QStringLiteral("North"));
        drivers().post();
    }
}

// Both tabs edit the current driver; each offers its edits when it is left,
// so driver edits and profile clicks never wait for the same move.
TEST_F(DriversTabTest, DriverEditsAndProfileClicksAreOfferedWhenTheirTabIsLeft)
{
    addRow(window->assessment().attribute(),
        { { "GrAtt", "01Agile" }, { "Attribute", "Agile" }, { "Group", "Agility" }, { "Tier", "Business" } });
    showTab("TabSheet2");
    typeInto("eDriver", "Always on");
    dialogs->answers = { true };
    showTab("AttributeTab");
    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
    EXPECT_EQ(stored(drivers(), 0, "Driver"), "Always on");
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());

    QTest::mouseClick(find<QLabel>("pAgile"), Qt::LeftButton);
    EXPECT_TRUE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
    dialogs->answers = { false };
    showTab("TabSheet2");
    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?", "Save changes?" }));
    EXPECT_EQ(profileIds(), QStringList({ "BD1.01", "BD2.01", "BD1.01" }));
    EXPECT_FALSE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
}

TEST_F(DriversTabTest, DeleteByLinkOrKeyClearsTheSavedFlag)
{
    for (const bool byKey : { false, true }) {
        SCOPED_TRACE(byKey ? "key" : "link");
        addRow(drivers(), { { "CSeq", "BD9" } });
        showTab("TabSheet9");
        showTab("TabSheet2");
        window->assessment().setWorkArchived(true);
        clickRow("DBGrid1", drivers().recordCount() - 1);
        dialogs->answers = { true };
        if (byKey)
            QTest::keyClick(find<QTableView>("DBGrid1"), Qt::Key_Delete);
        else
            click("hDelete2");
        EXPECT_EQ(drivers().recordCount(), 2);
        EXPECT_EQ(window->statusText(), "Deleted                ");
        EXPECT_FALSE(window->assessment().workArchived());
        // A driver without profile rows takes none with it.
        EXPECT_EQ(profileIds().size(), 3);
    }
}

// A deleted driver's profile rows go with it, in the same command, so they no
// longer feed the attributes in use; rows that another driver of the same
// identifier shares stay.
TEST_F(DriversTabTest, DeletingADriverDeletesItsProfileRowsUnlessAnotherDriverSharesItsIdentifier)
{
    const struct {
        const char* name;
        const char* twin; // a second driver with the deleted one's identifier
        int row; // the driver deleted
        QStringList profiles;
    } cases[] = {
        { "its own rows", nullptr, 1, { "BD1.01", "BD1.01" } },
        { "rows shared with a twin", "BD2.01", 1, { "BD1.01", "BD1.01", "BD2.01" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.twin)
            addRow(drivers(), { { "CSeq", c.twin }, { "Driver", "Twin" } });
        showTab("TabSheet9");
        showTab("TabSheet2");
        clickRow("DBGrid1", c.row);
        ASSERT_EQ(text("eId2"), "BD2.01");
        dialogs->answers = { true };
        click("hDelete2");
        EXPECT_EQ(profileIds(), c.profiles);
        EXPECT_EQ(text("eId2"), stored(drivers(), drivers().currentRow(), "CSeq"));
        // Put back what the case took.
        addRow(drivers(), { { "CSeq", "BD2.01" }, { "Driver", "Growth" }, { "Division", "South" } });
        while (profileIds().count("BD2.01") < 1)
            addRow(window->assessment().driverProfiles(),
                { { "CSeq", "BD2.01" }, { "Attribute", "Agile" }, { "Priority", "1" } });
    }
}

TEST_F(DriversTabTest, MovesOnAnotherPageStillLoadTheDriverEditors)
{
    showTab("TabSheet2");
    typeInto("eDriver", "Pending");
    showTab("TabSheet9");
    window->setStatus(QStringLiteral("Save complete           "));

    dialogs->answers = { false };
    drivers().next();

    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
    EXPECT_EQ(text("eId2"), "BD2.01");
    EXPECT_EQ(text("eDriver"), "Growth");
    EXPECT_EQ(comboText("cbDivision2"), "South");
    EXPECT_TRUE(listItems().isEmpty());
    EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());
    EXPECT_FALSE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
    EXPECT_EQ(window->statusText(), blanks(22));
}

TEST_F(DriversTabTest, PendingDriverEditsAreSettledBeforeARequirementRenameRewritesTheLines)
{
    showTab("TabSheet2");
    typeInto("eDriver", "Always on");
    dialogs->answers = { true };
    showTab("TabSheet1"); // leaving the Drivers tab offers its edits
    typeInto("eRequirement", "Stay open late");
    click("hSave1");

    // Asked once, when the tab was left: the rewrite found nothing pending.
    EXPECT_EQ(dialogs->questions, QStringList({ "Save changes?" }));
    EXPECT_EQ(stored(drivers(), 0, "Driver"), "Always on");
    EXPECT_EQ(stored(drivers(), 0, "Requirement"), "BR1:Stay open late\r\n");
}

}
