#include "support/window_fixture.h"

#include "gui/link_label.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

class SettingsTabTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        showTab("TabSheet8");
    }
    Table& sys() { return window->assessment().system(); }
    QString label(const char* name) { return find<LinkLabel>(name)->text(); }
};

TEST_F(SettingsTabTest, ProjectDetailEditSaveCycleStoresAndShowsTheIdentity)
{
    auto* name = find<QLineEdit>("eAssessment");
    EXPECT_FALSE(name->isEnabled());
    click("hEdit2");
    EXPECT_EQ(label("hEdit2"), "Save");
    EXPECT_TRUE(name->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("eAssId")->isEnabled());
    EXPECT_EQ(sys().text("Assessment"), ""); // Edit writes nothing

    find<QLineEdit>("eAssId")->setText(QString(40, 'i'));
    name->setText("Harbour review");
    find<QPlainTextEdit>("mDescription")->setPlainText("Two\nlines");
    click("hEdit2");
    EXPECT_EQ(label("hEdit2"), "Edit");
    EXPECT_FALSE(name->isEnabled());
    EXPECT_EQ(sys().text("AssID"), QString(32, 'i'));
    EXPECT_EQ(sys().text("Assessment"), "Harbour review");
    EXPECT_EQ(sys().text("Description"), "Two\r\nlines");
    EXPECT_EQ(find<QLabel>("pAssessment")->text(), "Harbour review");
    EXPECT_EQ(find<QPlainTextEdit>("mAssessment")->toPlainText(), "Two\nlines");
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_FALSE(window->assessment().workArchived());
}

// After the save the filter box shows "All" and the tables follow it, so no
// record added next starts with an empty division.
TEST_F(SettingsTabTest, OrgStructureSaveRebuildsTheFilterBoxShowingAll)
{
    auto* division = find<QComboBox>("cbDivision0");
    addRow(window->assessment().requirements(), { { "RSeq", "BR1.01" }, { "Division", "West" } });
    addRow(window->assessment().requirements(), { { "RSeq", "BR1.02" }, { "Division", "North" } });
    window->rebuildDivisionFilter({ "West" });
    division->setCurrentText("West");
    ASSERT_EQ(window->assessment().requirements().recordCount(), 1);

    click("hEdit3");
    find<QLineEdit>("eEnterprise")->setText("Harbour Holdings");
    find<QPlainTextEdit>("mBusinessDivs")->setPlainText("North\nSouth");
    click("hEdit3");
    EXPECT_EQ(sys().text("Divisions"), "North\r\nSouth");
    QStringList items;
    for (int i = 0; i < division->count(); ++i)
        items << division->itemText(i);
    EXPECT_EQ(items, (QStringList { "All", "Enterprise", "North", "South" }));
    EXPECT_EQ(division->currentText(), "All");
    EXPECT_EQ(window->divisionFilterText(), "All");
    EXPECT_EQ(window->assessment().requirements().recordCount(), 2);
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

// Text typed into a group being edited is offered when the tab is left; No
// shows the stored values again, the group no longer being edited.
TEST_F(SettingsTabTest, AGroupLeftInEditingOffersItsEditsAndNoShowsTheStoredValues)
{
    click("hEdit5");
    find<QPlainTextEdit>("mGroups")->setPlainText("typed but not saved");
    dialogs->answers = { false };
    showTab("TabSheet9");
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    showTab("TabSheet8");
    EXPECT_EQ(find<QPlainTextEdit>("mGroups")->toPlainText(), "");
    EXPECT_FALSE(find<QPlainTextEdit>("mGroups")->isEnabled());
    EXPECT_EQ(label("hEdit5"), "Edit");
    EXPECT_EQ(sys().text("Groups"), "");
    EXPECT_EQ(window->statusText(), QString(21, ' '));

    // Saving unchanged boxes still writes, reports and clears the saved flag.
    click("hEdit5");
    click("hEdit5");
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_FALSE(window->assessment().workArchived());
}

TEST_F(SettingsTabTest, AutoloadBoxesAndBrowseButtonsWriteTheirRowWithoutTouchingTheSavedFlag)
{
    dialogs->files.push_back("/data/sets/attributes.xlsx");
    click("bbBrowseAttribute");
    EXPECT_EQ(find<QLineEdit>("eAutoAttributeFile")->text(), "/data/sets/attributes.xlsx");
    EXPECT_EQ(sys().text("AutoAttributeFile"), "/data/sets/attributes.xlsx");
    EXPECT_FALSE(sys().boolean("AutoAttribute"));
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_TRUE(dialogs->fileRequests.first().filter.contains("*.xlsx"));
    EXPECT_TRUE(dialogs->fileRequests.first().filter.contains("*.xls"));

    find<QLineEdit>("eAutoControlFile")->setText("controls.xlsx"); // typing stores nothing yet
    EXPECT_EQ(sys().text("AutoControlFile"), sys().text("AutoControlFile"));
    find<QCheckBox>("cbAutoControl")->setChecked(!find<QCheckBox>("cbAutoControl")->isChecked());
    EXPECT_EQ(sys().text("AutoControlFile"), "controls.xlsx");
    EXPECT_EQ(sys().boolean("AutoControl"), find<QCheckBox>("cbAutoControl")->isChecked());

    dialogs->files.push_back(""); // cancelled: nothing changes
    click("bbBrowseControl");
    EXPECT_EQ(sys().text("AutoControlFile"), "controls.xlsx");
    EXPECT_TRUE(window->assessment().workArchived());
}
