// Panel clicks pending on the Business Attributes tab, and every way the
// current driver can move: the clicks are offered once and land in the
// profile of the driver they were made on, or nowhere.
#include "analysis/profile_store.h"
#include "support/edit_moves.h"

#include <QApplication>
#include <QLabel>

namespace {

class ProfileEditMoves : public EditMovesFixture {
protected:
    // Three drivers, the second of another division, one business
    // attribute, and a profile for the first driver only; then a fresh window.
    void fill()
    {
        Assessment& a = window->assessment();
        a.clearDatabase();
        setSystem("Divisions", { "North", "South" });
        for (auto [id, division] : { std::pair { "BD1", "North" }, { "BD2", "South" }, { "BD3", "North" } })
            addRow(a.drivers(), { { "CSeq", id }, { "Division", division } });
        addRow(a.attribute(),
            { { "GrAtt", "01Agile" }, { "Attribute", "Agile" }, { "Group", "Agility" }, { "Tier", "Business" } });
        addRow(a.driverProfiles(), { { "CSeq", "BD1" }, { "Attribute", "Agile" }, { "Priority", "1" } });
        a.setWorkArchived(true);
        startWindow();
    }

    // The colour the Agile panel shows for the current driver's stored profile.
    QColor storedColour()
    {
        Table& drivers = window->assessment().drivers();
        int priority = 0;
        if (drivers.hasRecord())
            for (const ProfileEntry& e : ProfileStore::read(window->assessment(), drivers.text("CSeq")))
                if (e.attribute == QLatin1String("Agile"))
                    priority = e.priority;
        const QColor colours[] = { QApplication::palette().color(QPalette::Button), QColor(0, 0, 128),
            QColor(0, 0, 255), QColor(166, 202, 240) };
        return colours[priority];
    }
};

TEST_F(ProfileEditMoves, EveryMoveOffersTheClicksOnceAndYesSavesOnlyTheEditedDriversProfile)
{
    const EditingTab tab { "AttributeTab", "DBGrid3", "TabSheet2", "TabSheet4", "North" };
    for (const RecordMove move :
        { RecordMove::GridClick, RecordMove::ArrowKey, RecordMove::DivisionFilter, RecordMove::TabSwitchLeft,
            RecordMove::TabSwitchRight, RecordMove::Clear, RecordMove::Load, RecordMove::ReportRun }) {
        for (const bool yes : { true, false }) {
            SCOPED_TRACE(std::string(moveName(move)) + (yes ? ", Yes" : ", No"));
            fill();
            showTab(tab.tab);
            clickRow(tab.grid, 1); // BD2, no profile yet
            QTest::mouseClick(find<QLabel>("pAgile"), Qt::LeftButton); // priority 3
            const StoredRows before = storedRows("DrAtt");
            const StoredRows drivers = storedRows("Drivers");
            scriptAnswers(yes);

            makeMove(move, tab);

            EXPECT_EQ(timesAsked("Save changes?"), 1);
            EXPECT_EQ(dialogs->defaults.value(0), Dialogs::Default::Yes);
            EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
            StoredRows after = storedRows("DrAtt");
            QList<QStringList> added;
            for (auto it = after.begin(); it != after.end();)
                if (before.count(it->first) == 0) {
                    added << it->second;
                    it = after.erase(it);
                } else {
                    ++it;
                }
            EXPECT_EQ(after, before);
            const QList<QStringList> saved { { "BD2", "Agile", "3", "" } };
            EXPECT_EQ(added, yes ? saved : QList<QStringList>());
            EXPECT_EQ(storedRows("Drivers"), drivers);
            EXPECT_EQ(find<QLabel>("pAgile")->palette().color(QPalette::Window), storedColour());
        }
    }
}

}
