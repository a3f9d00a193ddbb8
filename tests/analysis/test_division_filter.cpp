#include "analysis/drivers_tab.h"
#include "analysis/requirements_tab.h"
#include "analysis_fixture.h"

#include <QApplication>
#include <QLineEdit>

namespace {

class DivisionFilterTest : public AnalysisFixture {
protected:
    void chooseDivision(const QString& text)
    {
        window->divisionFilterBox()->setEditText(text);
        ASSERT_EQ(window->divisionFilterText(), text);
    }
    QString editText(const char* name)
    {
        auto* edit = find<QLineEdit>(name);
        return edit ? edit->text() : QStringLiteral("<missing>");
    }
};

TEST_F(DivisionFilterTest, FiltersBothTablesAndShowsTheirFirstRecords)
{
    const struct {
        const char* division;
        QStringList requirements;
        QStringList drivers;
    } cases[] = {
        { "Harbour's Edge", { "BR2.01" }, { "BD2.01" } },
        { "Nowhere", {}, {} },
        { "All", { "BR1.01", "BR2.01" }, { "BD1.01", "BD2.01" } },
        { "North", { "BR1.01" }, { "BD1.01" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.division);
        chooseDivision(QString::fromUtf8(c.division));
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(column(store().requirements(), "RSeq"), c.requirements);
        EXPECT_EQ(column(store().drivers(), "CSeq"), c.drivers);
        EXPECT_EQ(store().requirements().currentRow(), c.requirements.isEmpty() ? -1 : 0);
        EXPECT_EQ(store().drivers().currentRow(), c.drivers.isEmpty() ? -1 : 0);
        if (QLatin1String(c.division) != QLatin1String("All")) {
            // A division shows each table's first record in its tab's details.
            EXPECT_EQ(editText("eID1"), c.requirements.value(0));
            EXPECT_EQ(editText("eId2"), c.drivers.value(0));
        }
        EXPECT_EQ(editText("eDivision9"), QString::fromUtf8(c.division));
        EXPECT_FALSE(window->tab<RequirementsTab>()->hasPendingEdits());
        EXPECT_FALSE(window->tab<DriversTab>()->hasPendingEdits());
    }
    EXPECT_EQ(store().drivers().filter(), QStringLiteral("Division='North'"));
}

TEST_F(DivisionFilterTest, RecomputesTheAttributesInUseWhileTheSecurityTabShows)
{
    addProfile("BD2.01", "Brand", 1);
    showTab("TabSheet4");
    EXPECT_EQ(column(store().attribute(), "Attribute"), (QStringList { "Audit", "Crypto" }));
    chooseDivision(QStringLiteral("North")); // its driver has no profile
    EXPECT_EQ(find<DataGrid>("DBGrid5")->model()->rowCount(), 0);
    chooseDivision(QStringLiteral("Harbour's Edge"));
    EXPECT_EQ(column(store().attribute(), "Attribute"), (QStringList { "Audit", "Crypto" }));
    EXPECT_EQ(find<QLineEdit>("eAttName")->text(), QStringLiteral("Audit"));
}

TEST_F(DivisionFilterTest, RecoloursTheProfileOfTheNewFirstDriver)
{
    addProfile("BD2.01", "Brand", 2);
    showTab("AttributeTab");
    auto* brand = find<QLabel>("pBrand");
    ASSERT_TRUE(brand);
    EXPECT_EQ(brand->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    chooseDivision(QStringLiteral("Harbour's Edge"));
    EXPECT_EQ(brand->palette().color(QPalette::Window), QColor(0, 0, 255));
}

// A record added while a division is filtered starts in that division, so it
// stays in view; without a filter it starts as before.
TEST_F(DivisionFilterTest, ARecordAddedUnderAFilterStartsInTheFilteredDivision)
{
    const struct {
        const char* tab;
        const char* addLink;
        const char* divisionBox;
        Table& (Assessment::*table)();
    } tabs[] = {
        { "TabSheet1", "hAdd1", "cbDivision1", &Assessment::requirements },
        { "TabSheet2", "hAdd2", "cbDivision2", &Assessment::drivers },
        { "TabSheet10", "hAdd7", "cbDivision7", &Assessment::applications },
    };
    for (const char* filter : { "Harbour's Edge", "All" }) {
        chooseDivision(QString::fromUtf8(filter));
        for (const auto& t : tabs) {
            SCOPED_TRACE(std::string(filter) + " " + t.tab);
            showTab(t.tab);
            click(t.addLink);
            ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
            Table& table = (store().*t.table)();
            const QString stored = table.text(QStringLiteral("Division"));
            if (QLatin1String(filter) == QLatin1String("All")) {
                EXPECT_NE(stored, QStringLiteral("Harbour's Edge"));
            } else {
                EXPECT_EQ(stored, QString::fromUtf8(filter));
                EXPECT_EQ(find<QComboBox>(t.divisionBox)->currentText(), QString::fromUtf8(filter));
            }
            EXPECT_EQ(window->statusText().trimmed().toLower(), QStringLiteral("record added"));
        }
    }
}

}
