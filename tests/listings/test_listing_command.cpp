#include "support/window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

// The listings as the analyst prints them from the Reports tab, to a PDF file
// chosen in the print dialog.
class ListingCommandTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Table& r = window->assessment().requirements();
        for (const char* division : { "North", "South" }) {
            r.append();
            r.setText(QStringLiteral("RSeq"), QStringLiteral("BR-") + QString::fromLatin1(division));
            r.setText(QStringLiteral("Division"), QString::fromLatin1(division));
            r.post();
        }
        showTab("TabSheet6");
        pdf = dir.filePath(QStringLiteral("listings.pdf"));
    }
    QString pdf;
};

TEST_F(ListingCommandTest, PrintsTheTickedListingsWithTheSortingChoice)
{
    find<QRadioButton>("rbDivision")->setChecked(true);
    dialogs->printToPdf = pdf;
    click("hRep5");
    ASSERT_EQ(dialogs->errors, QStringList());
    EXPECT_EQ(window->statusText(), QStringLiteral("Printing complete             "));
    EXPECT_EQ(dialogs->waitDepth, 0);
    EXPECT_EQ(dialogs->waitCount, 1);
    EXPECT_EQ(pdfPages(pdf), 2); // a page per division; no drivers, attributes or controls pass
    EXPECT_EQ(window->assessment().requirements().sort(), QString());
}

TEST_F(ListingCommandTest, CancelledDialogPrintsNothing)
{
    window->setStatus(QStringLiteral("before"));
    dialogs->printToPdf = pdf;
    dialogs->printAnswers.push_back(false);
    click("hRep5");
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(window->statusText(), QStringLiteral("before"));
    EXPECT_EQ(dialogs->waitCount, 0);
}

}
