#include "analysis/business_attributes_tab.h"
#include "analysis_fixture.h"

#include <QApplication>

namespace {

const QColor kNavy(0, 0, 128), kBlue(0, 0, 255), kSkyBlue(166, 202, 240), kMoneyGreen(192, 220, 192);

class BusinessAttributesTabTest : public AnalysisFixture {
protected:
    QLabel* panel(const QString& name) { return window->findChild<QLabel*>(QStringLiteral("p") + name); }
    static QColor colour(const QLabel* p) { return p->palette().color(QPalette::Window); }

    // The stored priorities of one driver, "attribute=priority" in row order.
    QStringList profile(const char* cseq)
    {
        Table& t = store().driverProfiles();
        QStringList out;
        for (int row = 0; row < t.recordCount(); ++row)
            if (t.textAt(row, t.fieldIndex(QStringLiteral("CSeq"))) == QLatin1String(cseq))
                out << t.textAt(row, t.fieldIndex(QStringLiteral("Attribute"))) + QLatin1Char('=')
                        + t.textAt(row, t.fieldIndex(QStringLiteral("Priority")));
        return out;
    }
};

TEST_F(BusinessAttributesTabTest, LaysOutOnePanelPerBusinessAttributeUnderItsGroupHeader)
{
    showTab("AttributeTab");

    auto* head = find<QLabel>("pHead0");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->text(), QStringLiteral("Agility"));
    EXPECT_EQ(colour(head), kMoneyGreen);
    auto* second = find<QLabel>("pHead3"); // header, Agile, Head Office, then the next group's header
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text(), QStringLiteral("Branding"));
    EXPECT_EQ(second->x(), head->x() + 85);

    for (const char* name : { "Agile", "Head Office", "Brand" }) {
        QLabel* p = panel(QString::fromLatin1(name));
        ASSERT_TRUE(p) << name;
        EXPECT_EQ(colour(p), QApplication::palette().color(QPalette::Button)) << name;
        EXPECT_EQ(p->size(), QSize(80, 17));
    }
    EXPECT_EQ(panel(QStringLiteral("Head Office"))->y(), panel(QStringLiteral("Agile"))->y() + 20);
    for (const char* name : { "Net", "Access" })
        EXPECT_FALSE(panel(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(find<QLabel>("lMore")->isVisible());

    // Showing the tab again lays the panels out afresh, without duplicates.
    showTab("TabSheet9");
    showTab("AttributeTab");
    EXPECT_EQ(window->findChildren<QLabel*>(QStringLiteral("pAgile")).size(), 1);
}

TEST_F(BusinessAttributesTabTest, ClicksStepThePriorityAndSaveStoresIt)
{
    showTab("AttributeTab");
    QLabel* p = panel(QStringLiteral("Agile"));
    ASSERT_TRUE(p);
    const struct {
        QColor background;
        QColor text;
        QFrame::Shadow bevel;
        QStringList stored;
    } steps[] = {
        { kSkyBlue, QApplication::palette().color(QPalette::WindowText), QFrame::Raised, { "Agile=3" } },
        { kBlue, Qt::white, QFrame::Raised, { "Agile=2" } },
        { kNavy, Qt::white, QFrame::Raised, { "Agile=1" } },
        { QApplication::palette().color(QPalette::Button), QApplication::palette().color(QPalette::WindowText),
            QFrame::Sunken, {} },
    };
    int n = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(++n);
        QTest::mouseClick(p, Qt::LeftButton);
        EXPECT_TRUE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
        EXPECT_EQ(colour(p), step.background);
        EXPECT_EQ(p->palette().color(QPalette::WindowText), step.text);
        EXPECT_EQ(p->frameShadow(), step.bevel);
        click("hSave3");
        EXPECT_FALSE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
        EXPECT_FALSE(window->assessment().workArchived());
        EXPECT_EQ(window->statusText(), QStringLiteral("Save complete           "));
        EXPECT_EQ(profile("BD1.01"), step.stored);
    }
    // Headers do not react to clicks.
    QTest::mouseClick(find<QLabel>("pHead0"), Qt::LeftButton);
    EXPECT_EQ(colour(find<QLabel>("pHead0")), kMoneyGreen);
}

TEST_F(BusinessAttributesTabTest, AnAttributeNamedLikeAHeaderIsProfiledLikeAnyOther)
{
    addProfile("BD1.01", "Head Office", 2);
    showTab("AttributeTab");
    QLabel* p = panel(QStringLiteral("Head Office"));
    ASSERT_TRUE(p);
    EXPECT_EQ(colour(p), kBlue);
    EXPECT_EQ(p->frameShadow(), QFrame::Sunken);
    QTest::mouseClick(p, Qt::LeftButton);
    click("hSave3");
    EXPECT_EQ(profile("BD1.01"), QStringList { "Head Office=1" });
}

TEST_F(BusinessAttributesTabTest, ThePanelsShowTheProfileOfTheDriverClickedInTheGrid)
{
    addProfile("BD1.01", "Agile", 1);
    addProfile("BD2.01", "Brand", 3);
    addProfile("BD2.01", "Agile", 7); // not a priority: shown as ignored
    showTab("AttributeTab");
    EXPECT_EQ(colour(panel(QStringLiteral("Agile"))), kNavy);
    EXPECT_EQ(colour(panel(QStringLiteral("Brand"))), QApplication::palette().color(QPalette::Button));

    clickRow("DBGrid3", 1);
    EXPECT_EQ(store().drivers().text(QStringLiteral("CSeq")), QStringLiteral("BD2.01"));
    EXPECT_EQ(colour(panel(QStringLiteral("Agile"))), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(colour(panel(QStringLiteral("Brand"))), kSkyBlue);
    EXPECT_FALSE(store().driverProfiles().filtered());

    // Saving a profile with every panel ignored deletes the rows that have a panel.
    QTest::mouseClick(panel(QStringLiteral("Brand")), Qt::LeftButton);
    QTest::mouseClick(panel(QStringLiteral("Brand")), Qt::LeftButton);
    QTest::mouseClick(panel(QStringLiteral("Brand")), Qt::LeftButton);
    click("hSave3");
    EXPECT_EQ(profile("BD2.01"), QStringList {});
    EXPECT_EQ(profile("BD1.01"), QStringList { "Agile=1" });
}

TEST_F(BusinessAttributesTabTest, ColumnsThatDoNotFitAreMarkedAndKeepTheirRows)
{
    // Two groups exist; eight more make ten, one more than the tab holds.
    for (int g = 3; g <= 10; ++g) {
        const QString group = QStringLiteral("Group %1").arg(g, 2, 10, QLatin1Char('0'));
        for (int i = 0; i < 2; ++i) {
            const QString name = QStringLiteral("G%1A%2").arg(g).arg(i);
            Table& t = store().attribute();
            t.append();
            t.setText(QStringLiteral("GrAtt"), QStringLiteral("%1").arg(g, 2, 10, QLatin1Char('0')) + name);
            t.setText(QStringLiteral("Attribute"), name);
            t.setText(QStringLiteral("Group"), group);
            t.setText(QStringLiteral("Tier"), QStringLiteral("Business"));
            t.post();
        }
    }
    addProfile("BD1.01", "G10A0", 2);
    showTab("AttributeTab");
    EXPECT_TRUE(find<QLabel>("lMore")->isVisible());
    EXPECT_TRUE(panel(QStringLiteral("G9A1"))->isVisible());
    EXPECT_FALSE(panel(QStringLiteral("G10A0"))->isVisible());
    QTest::mouseClick(panel(QStringLiteral("Agile")), Qt::LeftButton);
    click("hSave3");
    EXPECT_EQ(profile("BD1.01"), (QStringList { "G10A0=2", "Agile=3" }));
}

TEST_F(BusinessAttributesTabTest, SaveWithoutAnyDriverDoesNothing)
{
    store().emptyTable(store().drivers());
    showTab("AttributeTab");
    QTest::mouseClick(panel(QStringLiteral("Agile")), Qt::LeftButton);
    click("hSave3");
    EXPECT_EQ(store().driverProfiles().recordCount(), 0);
    EXPECT_TRUE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
}

}

namespace {

// With the panels shown, a driver move recolours them, and clicks not yet
// saved are offered for saving under the driver being left.
TEST_F(BusinessAttributesTabTest, ADriverMoveOffersPendingClicksAndRecolours)
{
    addProfile("BD2.01", "Brand", 1);
    showTab("AttributeTab");
    QTest::mouseClick(panel(QStringLiteral("Agile")), Qt::LeftButton);
    dialogs->answers.push_back(true);
    clickRow("DBGrid3", 1);
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    EXPECT_EQ(profile("BD1.01"), QStringList { "Agile=3" });
    EXPECT_FALSE(window->tab<BusinessAttributesTab>()->hasPendingEdits());
    EXPECT_EQ(colour(panel(QStringLiteral("Brand"))), kNavy);
    EXPECT_EQ(colour(panel(QStringLiteral("Agile"))), QApplication::palette().color(QPalette::Button));

    // No drops the clicks.
    QTest::mouseClick(panel(QStringLiteral("Agile")), Qt::LeftButton);
    dialogs->answers.push_back(false);
    store().drivers().first();
    EXPECT_EQ(profile("BD2.01"), QStringList { "Brand=1" });
    EXPECT_EQ(colour(panel(QStringLiteral("Agile"))), kSkyBlue); // BD1.01's stored profile
}

}
