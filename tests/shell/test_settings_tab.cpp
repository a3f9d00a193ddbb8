#include "support/window_fixture.h"

#include "gui/link_label.h"
#include "store/report_details.h"

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

// The report details start with the default disclaimer, are stored beside
// the System record by their own Edit/Save label (their typed edits offered
// like the other groups'), and show again next time.
TEST_F(SettingsTabTest, ReportDetailsEditSaveCycleKeepsTheDefaultDisclaimerUntilChanged)
{
    Store& store = window->assessment().store();
    auto* disclaimer = find<QPlainTextEdit>("mDisclaimer");
    EXPECT_EQ(disclaimer->toPlainText(), ReportDetailsStore::defaultDisclaimer());
    EXPECT_FALSE(find<QLineEdit>("eReleasedBy")->isEnabled());

    click("hEdit7");
    find<QLineEdit>("eReleasedBy")->setText("Jo Analyst");
    find<QLineEdit>("eContact")->setText("Sam Client");
    find<QLineEdit>("eAddress")->setText("1 Quay St, Harbourtown");
    find<QPlainTextEdit>("mCommentary")->setPlainText("Sound overall.\nFix backups first.");
    click("hEdit7");
    EXPECT_EQ(label("hEdit7"), "Edit");
    EXPECT_EQ(ReportDetailsStore::read(store),
        (ReportDetails { "Jo Analyst", "Sam Client", "1 Quay St, Harbourtown", "Sound overall.\r\nFix backups first.",
            ReportDetailsStore::defaultDisclaimer() }));
    EXPECT_FALSE(window->assessment().workArchived());

    // Typed and left: offered like the other groups, and Yes stores it.
    click("hEdit7");
    disclaimer->setPlainText("Our own words.");
    dialogs->answers = { true };
    showTab("TabSheet9");
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    EXPECT_EQ(ReportDetailsStore::read(store).disclaimer, "Our own words.");
    showTab("TabSheet8");
    EXPECT_EQ(find<QLineEdit>("eContact")->text(), "Sam Client");
    EXPECT_EQ(disclaimer->toPlainText(), "Our own words.");
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
