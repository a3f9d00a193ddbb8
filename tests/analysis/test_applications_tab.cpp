#include "analysis/applications_tab.h"
#include "analysis/security_attributes_tab.h"
#include "analysis_fixture.h"

#include <QLineEdit>

namespace {

class ApplicationsTabTest : public AnalysisFixture {
protected:
    void SetUp() override
    {
        AnalysisFixture::SetUp();
        addProfile("BD1.01", "Agile", 1); // Access in use
        addProfile("BD2.01", "Brand", 3); // Audit and Crypto in use
        Table& t = store().attribute();
        ASSERT_TRUE(t.locate(QStringLiteral("Attribute"), { QStringLiteral("Access") }));
        t.setText(QStringLiteral("SecControls"), QStringLiteral("01.01.01: Policy document\r\n"));
        t.post();
    }

    QPlainTextEdit* risk() { return find<QPlainTextEdit>("mAttTRA"); }
    QComboBox* likelihood() { return find<QComboBox>("cbLikelihood"); }
    QComboBox* impact() { return find<QComboBox>("cbImpact"); }

    void addAttribute(const char* name)
    {
        find<QComboBox>("cbAttributes")->setEditText(QString::fromLatin1(name));
        click("hAdd8");
    }

    // What the risk editors show: text, likelihood, impact.
    QStringList shownRisk() { return { risk()->toPlainText(), likelihood()->currentText(), impact()->currentText() }; }
};

TEST_F(ApplicationsTabTest, AddStoresANewApplicationAndItsAttributes)
{
    showTab("TabSheet10");
    EXPECT_EQ(items(find<QComboBox>("cbAttributes")), (QStringList { "Access", "Audit", "Crypto" }));
    EXPECT_EQ(items(find<QComboBox>("cbDivision7")), (QStringList { "Enterprise", "North", "Harbour's Edge" }));

    click("hAdd7");
    EXPECT_EQ(column(store().applications(), "Application"), QStringList { "Application Name" });
    // "All" is no division: the analyst chooses one.
    EXPECT_EQ(column(store().applications(), "Division"), QStringList { "" });
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_EQ(window->statusText(), QStringLiteral("Record added             "));

    addAttribute("Access");
    addAttribute("Access");
    EXPECT_EQ(column(store().applications(), "SecAtt"), QStringList { "Access\r\nAccess\r\n" });
    EXPECT_EQ(items(find<QListWidget>("lbControls")), QStringList { "01.01.01: Policy document" });

    find<QLineEdit>("eApplication")->setText(QStringLiteral("Ledger"));
    find<QLineEdit>("eOwner")->setText(QStringLiteral("Finance"));
    click("hSave7");
    EXPECT_EQ(column(store().applications(), "Application"), QStringList { "Ledger" });
    EXPECT_EQ(column(store().applications(), "Owner"), QStringList { "Finance" });
    EXPECT_EQ(column(store().applications(), "SecAtt"), QStringList { "Access\r\nAccess\r\n" });

    // A division typed here is the application's, not an edit of the
    // current driver: a driver move asks nothing.
    auto* division = find<QComboBox>("cbDivision7");
    division->setFocus();
    QTest::keyClicks(division, QStringLiteral("N"));
    store().drivers().next();
    EXPECT_TRUE(dialogs->questions.isEmpty());
}

TEST_F(ApplicationsTabTest, AnAttributeOutOfUseLeavesTheInheritedControlsAsTheyWere)
{
    showTab("TabSheet10");
    click("hAdd7");
    addAttribute("Access");
    addAttribute("Agile"); // a business attribute, never in use
    clickItem("lbAttributes", 1);
    EXPECT_EQ(items(find<QListWidget>("lbControls")), QStringList { "01.01.01: Policy document" });
}

TEST_F(ApplicationsTabTest, RiskEntriesAreKeptPerApplicationAndAttribute)
{
    showTab("TabSheet10");
    click("hAdd7");
    addAttribute("Access");
    addAttribute("Audit");
    click("hAdd7"); // a second application with the same name
    addAttribute("Access");
    clickRow("DBGrid9", 0);

    clickItem("lbAttributes", 0);
    type(risk(), QStringLiteral("Flood"));
    likelihood()->setCurrentText(QStringLiteral("High"));
    clickItem("lbAttributes", 1);
    EXPECT_EQ(shownRisk(), (QStringList { "", "Low", "Low" }));
    type(risk(), QStringLiteral("Theft"));
    impact()->setCurrentText(QStringLiteral("Medium"));

    clickItem("lbAttributes", 0);
    EXPECT_EQ(shownRisk(), (QStringList { "Flood", "High", "Low" }));
    clickRow("DBGrid9", 1);
    EXPECT_EQ(shownRisk(), (QStringList { "", "Low", "Low" }));
    type(risk(), QStringLiteral("Leak"));

    // None of this is an edit of the Security Attributes tab.
    EXPECT_FALSE(window->tab<SecurityAttributesTab>()->hasPendingEdits());
    EXPECT_TRUE(dialogs->questions.isEmpty());

    // The entries outlive the window.
    startWindow();
    showTab("TabSheet10");
    clickRow("DBGrid9", 0);
    clickItem("lbAttributes", 1);
    EXPECT_EQ(shownRisk(), (QStringList { "Theft", "Low", "Medium" }));
    clickRow("DBGrid9", 1);
    EXPECT_EQ(shownRisk(), (QStringList { "Leak", "Low", "Low" }));

    // Deleting an application deletes its entries and nothing else.
    clickRow("DBGrid9", 0);
    dialogs->answers.push_back(true);
    click("hDelete7");
    EXPECT_EQ(store().applications().recordCount(), 1);
    EXPECT_EQ(column(store().appControl(), "Risk"), QStringList { "Leak" });
    // The editors show the application left current.
    EXPECT_EQ(shownRisk(), (QStringList { "Leak", "Low", "Low" }));
    EXPECT_TRUE(risk()->isEnabled());
}

TEST_F(ApplicationsTabTest, AnApplicationAddedWhileADivisionIsFilteredBelongsToIt)
{
    showTab("TabSheet10");
    window->divisionFilterBox()->setCurrentText(QStringLiteral("Harbour's Edge"));
    click("hAdd7");
    EXPECT_EQ(column(store().applications(), "Division"), QStringList { "Harbour's Edge" });
    EXPECT_EQ(find<QComboBox>("cbDivision7")->currentText(), QStringLiteral("Harbour's Edge"));
    EXPECT_FALSE(window->tab<ApplicationsTab>()->hasPendingEdits());
}

TEST_F(ApplicationsTabTest, ArrowKeysLoadTheApplicationAndTheAttributeAddStaysWithIt)
{
    for (const char* name : { "Ledger", "Payroll" })
        addRow(store().applications(), { { "Application", name }, { "SecAtt", "Audit\r\n" } });
    showTab("TabSheet10");
    auto* grid = find<DataGrid>("DBGrid9");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(find<QLineEdit>("eApplication")->text(), QStringLiteral("Payroll"));

    addAttribute("Access");
    click("hSave7");
    EXPECT_EQ(column(store().applications(), "SecAtt"), (QStringList { "Audit\r\n", "Audit\r\nAccess\r\n" }));
    EXPECT_EQ(column(store().applications(), "Application"), (QStringList { "Ledger", "Payroll" }));
    EXPECT_EQ(window->statusText(), QStringLiteral("Save complete           "));
    EXPECT_TRUE(dialogs->questions.isEmpty());
}

}
