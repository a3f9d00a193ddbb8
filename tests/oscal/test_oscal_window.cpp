#include "oscal_fixture.h"

#include "support/window_fixture.h"

#include <QComboBox>

using namespace OscalTest;

namespace {

// Export OSCAL Profile... on the Reports tab, as the analyst runs it.
class OscalWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        TraceAssessment::build(window->assessment());
        importControlSet(window->assessment(), smallCatalog());
        showTab("TabSheet6");
        file = dir.filePath(QStringLiteral("selected.json"));
    }
    QString file;
};

TEST_F(OscalWindow, WritesTheProfileForTheDivisionShownAndListsWhatIsLeftOut)
{
    find<QComboBox>("cbDivision0")->setCurrentText(QStringLiteral("South"));
    dialogs->answers = { false }; // a profile, not the resolved catalog
    dialogs->files = { file };
    click("hRep6");
    ASSERT_EQ(dialogs->errors, QStringList());
    ASSERT_EQ(dialogs->questions.size(), 1);
    EXPECT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(withIds(readJson(file)), QStringList({ "ac-2", "au-2" }));
    EXPECT_EQ(window->statusText(),
        QStringLiteral("%1 saved; 1 entry left out: control 09.09.09 (Traceability): not in the control catalogue")
            .arg(file));
    EXPECT_EQ(dialogs->waitDepth, 0);
}

TEST_F(OscalWindow, ResolvedCatalogOnYesAndARefusalShownAsAnError)
{
    dialogs->answers = { true };
    dialogs->files = { file };
    click("hRep6");
    ASSERT_EQ(dialogs->errors, QStringList());
    EXPECT_EQ(catalogControlIds(readJson(file)), QStringList({ "ac-1", "ac-2", "au-2" }));

    // Without a catalog behind the controls nothing is written.
    TraceAssessment::add(window->assessment().controls(), { { "Id", QStringLiteral("05.01.01") } });
    window->assessment().store().exec(QStringLiteral("DELETE FROM Controls WHERE Id <> '05.01.01'"));
    const QString refused = dir.filePath(QStringLiteral("refused.json"));
    dialogs->answers = { false };
    dialogs->files = { refused };
    click("hRep6");
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].contains(QLatin1String("no catalog was named"))) << dialogs->errors[0].toStdString();
    EXPECT_FALSE(QFile::exists(refused));
}

}
