#include "analysis/security_attributes_tab.h"
#include "analysis_fixture.h"

#include <QLineEdit>

namespace {

class SecurityAttributesTabTest : public AnalysisFixture {
protected:
    void SetUp() override
    {
        AnalysisFixture::SetUp();
        // Agile reaches Access; Brand reaches Audit and Crypto.
        addProfile("BD1.01", "Agile", 1);
        addProfile("BD2.01", "Brand", 2);
    }

    QListWidget* objectives() { return find<QListWidget>("lbSecObj"); }
    QListWidget* controls() { return find<QListWidget>("lbSecCon"); }

    void choose(const char* comboName, const QString& text) { find<QComboBox>(comboName)->setEditText(text); }

    void pressKey(QListWidget* list, Qt::Key key)
    {
        list->setFocus();
        QTest::keyClick(list, key);
    }
};

TEST_F(SecurityAttributesTabTest, ShowsTheAttributesInUseByNameAndTheCatalogue)
{
    showTab("TabSheet4");
    EXPECT_EQ(column(store().attribute(), "Attribute"), (QStringList { "Access", "Audit", "Crypto" }));
    EXPECT_EQ(find<DataGrid>("DBGrid5")->model()->rowCount(), 3);
    EXPECT_EQ(find<QLineEdit>("eAttName")->text(), QStringLiteral("Access"));
    EXPECT_EQ(find<QLineEdit>("eAttGroup")->text(), QStringLiteral("Protect"));
    EXPECT_EQ(
        items(find<QComboBox>("cbSecObj")), (QStringList { "01.01: Policy", "01.02: Organisation", "02.01: Assets" }));
    EXPECT_EQ(items(find<QComboBox>("cbSecCon")),
        (QStringList {
            "01.01.01: Policy document", "01.01.02: Policy review", "01.02.01: Roles", "02.01.01: Asset list" }));
    EXPECT_EQ(find<QComboBox>("cbSecObj")->currentText(), QStringLiteral("01.01: Policy"));

    clickRow("DBGrid5", 2);
    EXPECT_EQ(find<QLineEdit>("eAttName")->text(), QStringLiteral("Crypto"));

    // Hiding the tab gives the table back in group order, unfiltered.
    showTab("TabSheet9");
    EXPECT_FALSE(store().attribute().filtered());
    EXPECT_EQ(store().attribute().sort(), QStringLiteral("GrAtt ASC"));
    EXPECT_EQ(store().attribute().text(QStringLiteral("Attribute")), QStringLiteral("Agile"));
}

TEST_F(SecurityAttributesTabTest, StoredListsShowSortedIgnoringCase)
{
    Table& t = store().attribute();
    ASSERT_TRUE(t.locate(QStringLiteral("Attribute"), { QStringLiteral("Access") }));
    t.setText(QStringLiteral("SecObjectives"), QStringLiteral("b obj\r\nA obj\r\n"));
    t.setText(QStringLiteral("SecControls"), QStringLiteral("zeta\r\n01.01.01: Policy document\r\nAlpha\r\n"));
    t.post();
    showTab("TabSheet4");
    EXPECT_EQ(items(objectives()), (QStringList { "A obj", "b obj" }));
    EXPECT_EQ(items(controls()), (QStringList { "01.01.01: Policy document", "Alpha", "zeta" }));
    EXPECT_FALSE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
}

TEST_F(SecurityAttributesTabTest, ObjectivesBringTheirControlsAndTakeThemAway)
{
    showTab("TabSheet4");
    choose("cbSecObj", QStringLiteral("01.01: Policy"));
    click("hAdd5");
    click("hAdd5"); // a second time: everything listed twice
    EXPECT_EQ(items(objectives()), (QStringList { "01.01: Policy", "01.01: Policy" }));
    EXPECT_EQ(items(controls()),
        (QStringList { "01.01.01: Policy document", "01.01.01: Policy document", "01.01.02: Policy review",
            "01.01.02: Policy review" }));
    EXPECT_TRUE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
    EXPECT_EQ(window->statusText(), QStringLiteral("Record added             "));

    // Controls added one by one take their sorted place, ignoring case.
    for (const char* line : { "02.01.01: Asset list", "zone check", "Policy extra", "01.01.09: typed" }) {
        choose("cbSecCon", QString::fromLatin1(line));
        click("hAdd4");
    }
    EXPECT_EQ(items(controls()),
        (QStringList { "01.01.01: Policy document", "01.01.01: Policy document", "01.01.02: Policy review",
            "01.01.02: Policy review", "01.01.09: typed", "02.01.01: Asset list", "Policy extra", "zone check" }));

    // Delete with no objective selected asks nothing and removes nothing.
    objectives()->clearSelection();
    pressKey(objectives(), Qt::Key_Delete);
    EXPECT_TRUE(dialogs->questions.isEmpty());
    EXPECT_EQ(objectives()->count(), 2);

    // Deleting one objective removes every control of it, typed ones included.
    dialogs->answers.push_back(true);
    objectives()->setCurrentRow(0);
    pressKey(objectives(), Qt::Key_Delete);
    EXPECT_EQ(dialogs->questions, QStringList { "Confirm Delete" });
    EXPECT_EQ(items(objectives()), QStringList { "01.01: Policy" });
    EXPECT_EQ(items(controls()), (QStringList { "02.01.01: Asset list", "Policy extra", "zone check" }));
    EXPECT_EQ(window->statusText(), QStringLiteral("Deleted                "));

    // The Insert key adds the chosen objective again.
    choose("cbSecObj", QStringLiteral("01.02: Organisation"));
    pressKey(objectives(), Qt::Key_Insert);
    EXPECT_EQ(items(objectives()), (QStringList { "01.01: Policy", "01.02: Organisation" }));
    EXPECT_TRUE(items(controls()).contains(QStringLiteral("01.02.01: Roles")));

    click("hSave5");
    EXPECT_FALSE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
    EXPECT_EQ(window->statusText(), QStringLiteral("Save complete           "));
    EXPECT_EQ(attributeField("Access", "SecObjectives"), QStringLiteral("01.01: Policy\r\n01.02: Organisation\r\n"));
    EXPECT_EQ(attributeField("Access", "SecControls"),
        QStringLiteral("01.02.01: Roles\r\n02.01.01: Asset list\r\nPolicy extra\r\nzone check\r\n"));
}

TEST_F(SecurityAttributesTabTest, KeysInAnEmptyControlListDoNothingAndAnUnchangedSaveKeepsTheLists)
{
    showTab("TabSheet4");
    choose("cbSecCon", QStringLiteral("01.02.01: Roles"));
    pressKey(controls(), Qt::Key_Insert);
    pressKey(controls(), Qt::Key_Delete);
    EXPECT_EQ(controls()->count(), 0);
    EXPECT_TRUE(dialogs->questions.isEmpty());
    EXPECT_FALSE(window->tab<SecurityAttributesTab>()->hasPendingEdits());

    click("hSave5");
    EXPECT_EQ(attributeField("Access", "SecControls"), QString());
    EXPECT_EQ(attributeField("Access", "SecObjectives"), QString());
}

TEST_F(SecurityAttributesTabTest, UnsavedEditsAreOfferedOnceAndStoredIntoTheEditedAttribute)
{
    // Leaving for tabs whose show step walks or re-filters Attribute: the
    // Applications tab reruns the derivation, the Business Attributes tab
    // filters the table to the business tier.
    for (const char* target : { "TabSheet10", "AttributeTab" }) {
        SCOPED_TRACE(target);
        dialogs->questions.clear();
        showTab("TabSheet4");
        clickRow("DBGrid5", 1);
        ASSERT_EQ(find<QLineEdit>("eAttName")->text(), QStringLiteral("Audit"));
        type(find<QPlainTextEdit>("mAttDescription"), QStringLiteral("x"));
        EXPECT_TRUE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
        dialogs->answers.push_back(true);
        showTab(target);
        EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
        EXPECT_FALSE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
    }
    EXPECT_EQ(attributeField("Audit", "Description"), QStringLiteral("xx"));
    for (const char* other : { "Access", "Crypto", "Agile", "Brand" })
        EXPECT_EQ(attributeField(other, "Description"), QString()) << other;

    // No leaves the store as it was and asks nothing more.
    dialogs->questions.clear();
    showTab("TabSheet4");
    clickRow("DBGrid5", 1);
    type(find<QPlainTextEdit>("mAttDescription"), QStringLiteral("y"));
    dialogs->answers.push_back(false);
    clickRow("DBGrid5", 0);
    showTab("TabSheet10");
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    EXPECT_EQ(attributeField("Audit", "Description"), QStringLiteral("xx"));
}

}
