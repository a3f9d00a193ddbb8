// The Upload tab through its widgets, against the test PostgreSQL server.
#include "central_database.h"
#include "sample_assessment.h"

#include "support/window_fixture.h"
#include "upload/central_upload.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

class UploadTabTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(central.create());
    }

    void storeSettings(const ServerSettings& s)
    {
        Table& sys = window->assessment().system();
        sys.edit();
        sys.setText("SQL-IP", s.address);
        sys.setText("SQL-Port", s.port);
        sys.setText("SQL-User", s.user);
        sys.setText("SQL-Password", s.password);
        sys.setText("SQL-Database", s.database);
        sys.setText("SQL-Driver", s.driver);
        sys.post();
    }

    QString label(const char* name) { return find<QLabel>(name)->text(); }
    QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }

    CentralDatabase central;
};

TEST_F(UploadTabTest, EditAndSaveStoreTheSettingsWithThePasswordCutTo32)
{
    window->setStatus(QStringLiteral("before"));
    window->assessment().setWorkArchived(true);
    showTab("TabSheet3");
    EXPECT_EQ(label("hStatus1"), "Disconnected");
    EXPECT_EQ(label("hStatus2"), "Ready to connect");
    EXPECT_FALSE(edit("eIP")->isEnabled());
    auto* drivers = find<QComboBox>("cbDriver");
    EXPECT_EQ(drivers->currentText(), "FreeTDS"); // nothing stored yet
    EXPECT_GE(drivers->findText(QStringLiteral("PostgreSQL Unicode")), 0);

    click("hUpdate");
    EXPECT_EQ(label("hUpdate"), "Save");
    for (const char* name : { "eIP", "ePort", "eUser", "ePassword", "eDatabase" })
        EXPECT_TRUE(edit(name)->isEnabled()) << name;
    EXPECT_EQ(edit("ePassword")->echoMode(), QLineEdit::Password);
    edit("eIP")->setText(QStringLiteral("192.168.10.20"));
    edit("ePort")->setText(QStringLiteral("14330"));
    edit("eUser")->setText(QStringLiteral("analyst"));
    edit("ePassword")->setText(QString(40, QLatin1Char('p')) + QStringLiteral("q"));
    edit("eDatabase")->setText(QStringLiteral("central"));
    drivers->setCurrentText(QStringLiteral("PostgreSQL Unicode"));
    click("hUpdate");

    EXPECT_EQ(label("hUpdate"), "Edit");
    EXPECT_FALSE(edit("eIP")->isEnabled());
    EXPECT_EQ(edit("ePassword")->text(), QString(32, QLatin1Char('p')));
    Table& sys = window->assessment().system();
    sys.refresh();
    EXPECT_EQ(sys.text("SQL-Password"), QString(32, QLatin1Char('p')));
    EXPECT_EQ(sys.text("SQL-IP"), "192.168.10.20");
    EXPECT_EQ(sys.text("SQL-Port"), "14330");
    EXPECT_EQ(sys.text("SQL-User"), "analyst");
    EXPECT_EQ(sys.text("SQL-Database"), "central");
    EXPECT_EQ(sys.text("SQL-Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_TRUE(window->assessment().workArchived()); // connection settings are not the analyst's work
}

TEST_F(UploadTabTest, TheAddressTakesHostNamesAndIpv6AndALongerOneIsRefusedAtSave)
{
    showTab("TabSheet3");
    Table& sys = window->assessment().system();
    const QString host = QStringList(3, QString(63, QLatin1Char('q'))).join('.') + '.' + QString(61, QLatin1Char('b'));
    for (const QString& address : { host, QStringLiteral("[fe80::1ff:fe23:4567:890a]") }) {
        click("hUpdate");
        edit("eIP")->setText(address);
        click("hUpdate");
        EXPECT_EQ(label("hUpdate"), "Edit");
        sys.refresh();
        EXPECT_EQ(sys.text("SQL-IP"), address);
        EXPECT_TRUE(dialogs->notices.isEmpty());
    }
    click("hUpdate");
    edit("eIP")->setText(host + QStringLiteral("c"));
    click("hUpdate");
    ASSERT_EQ(dialogs->notices.size(), 1);
    EXPECT_TRUE(dialogs->notices.first().contains(QStringLiteral("at most 253")))
        << dialogs->notices.first().toStdString();
    EXPECT_EQ(label("hUpdate"), "Save"); // still editing, the typed address kept
    EXPECT_EQ(edit("eIP")->text(), host + QStringLiteral("c"));
    sys.refresh();
    EXPECT_EQ(sys.text("SQL-IP"), QStringLiteral("[fe80::1ff:fe23:4567:890a]"));
}

// Settings typed and not saved are offered when the tab is left: Yes stores
// them, No shows the stored ones again; an address refused at save keeps the
// tab and what was typed.
TEST_F(UploadTabTest, TypedSettingsAreOfferedWhenTheTabIsLeft)
{
    const struct {
        const char* name;
        QString address;
        bool yes;
        const char* stored; // SQL-IP afterwards
        const char* tabAfter;
    } cases[] = {
        { "Yes", "10.0.0.7", true, "10.0.0.7", "TabSheet1" },
        { "No", "10.0.0.8", false, "10.0.0.7", "TabSheet1" },
        { "Yes, an address refused", QString(254, QLatin1Char('a')), true, "10.0.0.7", "TabSheet3" },
    };
    Table& sys = window->assessment().system();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        showTab("TabSheet3");
        dialogs->questions.clear();
        dialogs->notices.clear();
        click("hUpdate");
        edit("eIP")->setText(c.address);
        dialogs->answers = { c.yes };
        showTab("TabSheet1");
        EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
        EXPECT_EQ(window->pageShown()->objectName(), c.tabAfter);
        sys.refresh();
        EXPECT_EQ(sys.text("SQL-IP"), c.stored);
        if (window->pageShown()->objectName() == "TabSheet3") {
            EXPECT_EQ(edit("eIP")->text(), c.address);
            EXPECT_EQ(dialogs->notices.size(), 1);
            edit("eIP")->setText(QStringLiteral("10.0.0.7")); // as stored: nothing is pending
            click("hUpdate");
        } else {
            EXPECT_EQ(label("hUpdate"), "Edit");
        }
    }
    // Nothing changed: leaving asks nothing.
    showTab("TabSheet3");
    dialogs->questions.clear();
    click("hUpdate");
    showTab("TabSheet1");
    EXPECT_TRUE(dialogs->questions.isEmpty());
}

TEST_F(UploadTabTest, TestUsesTheTypedSettingsAndTheStoredPassword)
{
    ServerSettings stored = central.settings();
    stored.database = QStringLiteral("not_this_one");
    storeSettings(stored);
    showTab("TabSheet3");
    click("hUpdate");
    edit("eDatabase")->setText(central.name);
    edit("ePassword")->setText(QStringLiteral("typed but not saved"));

    click("hTest");
    EXPECT_EQ(label("hStatus1"), "Disconnected (Tested OK)");
    EXPECT_EQ(window->statusText(), "Test complete               ");
    EXPECT_EQ(dialogs->waitDepth, 0);

    edit("eDatabase")->setText(QStringLiteral("not_this_one"));
    click("hTest");
    EXPECT_EQ(label("hStatus1"), "Disconnected (Test Failed)");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

TEST_F(UploadTabTest, UploadBeforeTheSettingsTabWasShownSendsDivisionsAndGroups)
{
    SampleAssessment::fill(window->assessment());
    storeSettings(central.settings());
    showTab("TabSheet3");
    click("hUpLoad");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    EXPECT_EQ(label("hStatus1"), "Disconnected");
    EXPECT_EQ(label("hStatus2"), "Ready to connect");
    EXPECT_EQ(window->statusText(), "Upload complete           ");
    EXPECT_EQ(
        central.column("SELECT Division_Name FROM Division ORDER BY 1"), (QStringList { "Harbour's Edge", "North" }));
    EXPECT_EQ(central.column("SELECT Group_Name FROM DivGroup ORDER BY Group_Sequence"),
        (QStringList { "Core", "Support", "Other" }));
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3);
    EXPECT_EQ(dialogs->waitDepth, 0);
}

TEST_F(UploadTabTest, AWritingErrorIsShownWithTableAndRowAndNothingIsWritten)
{
    SampleAssessment::fill(window->assessment());
    storeSettings(central.settings());
    central.exec(QStringLiteral("ALTER TABLE Requirement ADD CONSTRAINT not_two CHECK (Requirement_Id <> 'BR1.02')"));
    showTab("TabSheet3");
    click("hUpLoad");
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.first().contains(QStringLiteral("table Requirement, row 2 (\"BR1.02\")")))
        << dialogs->errors.first().toStdString();
    EXPECT_EQ(label("hStatus1"), "Disconnected");
    EXPECT_EQ(label("hStatus2"), "Upload failure - SQL Table problem");
    EXPECT_TRUE(central.rows(QStringLiteral("SELECT * FROM Division")).empty());
    EXPECT_TRUE(central.rows(QStringLiteral("SELECT * FROM Assessment")).empty());
    EXPECT_EQ(dialogs->waitDepth, 0);
}

TEST_F(UploadTabTest, AMissingTableShowsTheFailureOnTheStatusLine)
{
    SampleAssessment::fill(window->assessment());
    storeSettings(central.settings());
    central.exec(QStringLiteral("DROP TABLE ReqAtt"));
    showTab("TabSheet3");
    click("hUpLoad");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    EXPECT_EQ(label("hStatus2"), "Upload failure - SQL Table problem");
    EXPECT_TRUE(window->statusText().startsWith(QStringLiteral("Upload failure - SQL Table problem: ReqAtt: ")))
        << window->statusText().toStdString();
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("reqatt"))) << window->statusText().toStdString();
    EXPECT_EQ(central.column("SELECT Requirement_Id FROM Requirement").size(), 3); // the others are written
}

TEST_F(UploadTabTest, ARefusedPasswordIsReportedNotSent)
{
    ServerSettings s = central.settings();
    s.driver = QStringLiteral("FreeTDS");
    s.password = QStringLiteral("has}brace");
    storeSettings(s);
    showTab("TabSheet3");
    click("hTest");
    EXPECT_EQ(label("hStatus1"), "Disconnected (Test Failed)");
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.first().contains(QStringLiteral("password cannot contain \"}\"")));
}

}
