#include "support/window_fixture.h"

#include "gui/dialogs.h"
#include "viewers/help_window.h"
#include "viewers/taxonomy_picture.h"
#include "viewers/window_placement.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>

using TaxonomyPicture::Box;

namespace {

std::vector<TaxonomyPicture::Tier> sampleTiers(int attributesInFirstGroup)
{
    TaxonomyPicture::Group big { "Financial", {} };
    for (int i = 1; i <= attributesInFirstGroup; ++i)
        big.attributes << QStringLiteral("Fin %1").arg(i);
    return { { "Business", { big, { "Legal", { "Compliant" } } } }, { "Technical", { { "Operate", { "Scaled" } } } },
        { "Security", {} } };
}

QStringList textsOf(const std::vector<Box>& boxes, Box::Kind kind)
{
    QStringList out;
    for (const Box& b : boxes)
        if (b.kind == kind)
            out << b.text;
    return out;
}

}

// The picture shows the taxonomy given: a band per tier, the groups with
// their attributes, and a group too long for its box ends with what is left.
TEST(TaxonomyPictureTest, LaysOutTheLoadedTaxonomyInsideThePicture)
{
    const QSize size(1022, 715);
    const struct {
        const char* name;
        int attributes;
        QString more;
    } cases[] = { { "fits", 5, {} }, { "too many for the picture", 200, "+ " } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Box> boxes = TaxonomyPicture::layout(sampleTiers(c.attributes), size);
        EXPECT_EQ(textsOf(boxes, Box::Band),
            (QStringList { "Business attributes", "Technical attributes", "Security attributes" }));
        EXPECT_EQ(textsOf(boxes, Box::GroupCaption), (QStringList { "Financial", "Legal", "Operate" }));
        const QStringList attributes = textsOf(boxes, Box::Attribute);
        EXPECT_TRUE(attributes.contains("Compliant"));
        EXPECT_TRUE(attributes.contains("Scaled"));
        EXPECT_TRUE(attributes.contains("Fin 1"));
        const QStringList more = textsOf(boxes, Box::More);
        if (c.more.isEmpty()) {
            EXPECT_TRUE(more.isEmpty());
            EXPECT_EQ(attributes.size(), c.attributes + 2);
        } else {
            ASSERT_EQ(more.size(), 1);
            // what is shown and what is counted add up to the whole group
            const int left = more.first().section(' ', 1, 1).toInt();
            EXPECT_EQ(attributes.filter("Fin ").size() + left, c.attributes);
        }
        for (const Box& b : boxes)
            EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(b.rect)) << b.text.toStdString();
    }
    const std::vector<Box> empty
        = TaxonomyPicture::layout({ { "Business", {} }, { "Technical", {} }, { "Security", {} } }, size);
    ASSERT_EQ(textsOf(empty, Box::Note).size(), 1);
    EXPECT_TRUE(textsOf(empty, Box::Note).first().contains("Attributes Database"));
    EXPECT_TRUE(textsOf(empty, Box::Attribute).isEmpty());
}

TEST(WindowPlacementTest, AWindowIsPlacedWhollyInsideTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    const struct {
        const char* name;
        QRect frame, owner, expected;
    } cases[] = {
        { "centred over its owner", QRect(0, 0, 400, 300), QRect(100, 100, 936, 720), QRect(368, 310, 400, 300) },
        { "owner near the right edge", QRect(0, 0, 700, 300), QRect(1000, 100, 936, 720), QRect(580, 310, 700, 300) },
        { "owner above the screen", QRect(0, 0, 400, 300), QRect(100, -600, 936, 720), QRect(368, 0, 400, 300) },
        { "larger than the screen", QRect(0, 0, 1600, 1200), QRect(100, 100, 936, 720), QRect(0, 0, 1280, 1024) },
        { "no owner", QRect(0, 0, 400, 300), QRect(), QRect(440, 362, 400, 300) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowPlacement::inside(c.frame, c.owner, screen), c.expected);
    }
}

// F1 shows the guide in the program's own help window, at the section asked
// for; a guide that is missing is said to be missing.
TEST(HelpWindowTest, ShowsTheGuideAtTheSectionAskedFor)
{
    QWidget owner;
    owner.resize(936, 720);
    owner.show();
    WidgetDialogs dialogs(&owner);
    QUrl guide = QUrl::fromLocalFile(QStringLiteral(QUARRIX_SOURCE_DIR "/docs/Quarrix.html"));
    guide.setFragment(QStringLiteral("tab-controls-database"));
    dialogs.openDocument(guide);
    auto* help = owner.findChild<HelpWindow*>("HelpWindow");
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    QTextBrowser* browser = help->browser();
    EXPECT_EQ(browser->source(), guide);
    EXPECT_TRUE(browser->toPlainText().contains("Controls Database tab"));
    EXPECT_GT(browser->verticalScrollBar()->value(), 0); // not the top of the guide

    dialogs.openDocument(QUrl::fromLocalFile(QStringLiteral("/nowhere/Quarrix.html")));
    EXPECT_EQ(owner.findChildren<HelpWindow*>().size(), 1);
    EXPECT_TRUE(browser->toPlainText().contains("/nowhere/Quarrix.html"));
}

// With no printer installed the print dialog can only print to a file, and
// proposes it in the store's folder.
TEST(PrintDialogTest, ProposesAFileInTheStoresFolder)
{
    QTemporaryDir storeFolder;
    QWidget owner;
    WidgetDialogs dialogs(&owner, storeFolder.path());
    QPrinter printer;
    printer.setDocName(QStringLiteral("Reference Listings"));
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    EXPECT_FALSE(dialogs.print(printer));
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed: the dialog proposes it";
    EXPECT_EQ(printer.outputFileName(), storeFolder.filePath("Reference Listings.pdf"));
}

using ReferenceWindowTest = WindowFixture;

// References > Attribute Taxonomy draws what the store holds, afresh at each
// showing.
TEST_F(ReferenceWindowTest, TheTaxonomyWindowDrawsTheLoadedTaxonomy)
{
    action("AttributeTaxonomy1")->trigger();
    auto* picture = window->findChild<QWidget*>("TTaxonomyForm")->findChild<QLabel*>("Image1");
    const QImage empty = picture->pixmap().toImage();
    EXPECT_EQ(empty.size(), QSize(1022, 715));
    addRow(window->assessment().attribute(),
        { { "GrAtt", "01Agile" }, { "Attribute", "Agile" }, { "Group", "Financial" }, { "Tier", "Business" } });
    action("AttributeTaxonomy1")->trigger();
    const QImage loaded = picture->pixmap().toImage();
    const TaxonomyPicture::Tier business { "Business", { { "Financial", { "Agile" } } } };
    EXPECT_EQ(loaded,
        TaxonomyPicture::paint(
            TaxonomyPicture::layout({ business, { "Technical", {} }, { "Security", {} } }, QSize(1022, 715)),
            QSize(1022, 715)));
    EXPECT_NE(loaded, empty);
}
