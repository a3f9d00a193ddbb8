#include "export_fixture.h"
#include "workbook_dump.h"

#include "support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>

namespace {

// The export as the analyst runs it from the Reports tab.
class ExportCommandTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_EQ(dialogs->errors, QStringList());
        ExportFixture::fill(window->assessment());
        showTab("TabSheet6");
        target = dir.filePath(QStringLiteral("export.xlsx"));
    }

    QString target;
};

TEST_F(ExportCommandTest, SavesTheChosenSheetsAndSaysSo)
{
    find<QComboBox>("cbActivity9")->setCurrentText(QStringLiteral("Build"));
    find<QCheckBox>("chControls")->setChecked(true);
    find<QCheckBox>("chDrivers")->setChecked(false);
    dialogs->files.push_back(target);
    click("hRep1");

    ASSERT_EQ(dialogs->errors, QStringList());
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests[0].defaultSuffix, QStringLiteral("xlsx"));
    EXPECT_TRUE(dialogs->fileRequests[0].filter.contains(QStringLiteral("*.xlsx")));
    EXPECT_EQ(window->statusText(), target + QStringLiteral(" saved          "));
    EXPECT_EQ(dialogs->waitCount, 1);
    EXPECT_EQ(dialogs->waitDepth, 0);
    EXPECT_EQ(dialogs->notices, QStringList());
    const DumpedWorkbook book = readWithOpenpyxl(target);
    EXPECT_EQ(book.names(), (QStringList { "Requirements", "Sheet2", "Attributes", "Controls" }));
    const auto req = ExportFixture::requirementRows();
    EXPECT_EQ(book.sheets.value(0).rows, (QList<QStringList> { req[0], req[1], req[3] }));
    EXPECT_EQ(book.sheets.value(3).rows, ExportFixture::controlRows());
}

TEST_F(ExportCommandTest, CancelDoesNothingAndFailuresAndCutsAreShown)
{
    window->setStatus(QStringLiteral("before"));
    dialogs->files.push_back(QString());
    click("hRep1");
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(window->statusText(), QStringLiteral("before"));
    EXPECT_EQ(dialogs->waitCount, 0);

    // A folder in the way: the error is shown, nothing claims to be saved.
    QDir(dir.path()).mkdir(QStringLiteral("taken.xlsx"));
    dialogs->files.push_back(dir.filePath(QStringLiteral("taken.xlsx")));
    click("hRep1");
    EXPECT_EQ(dialogs->errors.size(), 1);
    EXPECT_FALSE(window->statusText().contains(QStringLiteral("saved")));
    EXPECT_EQ(dialogs->waitDepth, 0);

    // A value too long for a cell is cut, the workbook saved, and the analyst told.
    ExportFixture::add(window->assessment().requirements(),
        { { "RSeq", QStringLiteral("BR9") }, { "Source", QString(33000, QLatin1Char('s')) } });
    dialogs->files.push_back(target);
    click("hRep1");
    EXPECT_EQ(window->statusText(), target + QStringLiteral(" saved          "));
    ASSERT_EQ(dialogs->notices.size(), 1);
    EXPECT_TRUE(dialogs->notices[0].startsWith(QStringLiteral("1 cell(s)"))) << dialogs->notices[0].toStdString();
    EXPECT_EQ(readWithOpenpyxl(target).sheets.value(0).rows.last().value(4).size(), 32767);
}

}
