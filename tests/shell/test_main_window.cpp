#include "support/window_fixture.h"

#include "app/project_tab.h"
#include "store/line_list.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>

using MainWindowTest = WindowFixture;

TEST_F(MainWindowTest, ShowsCaptionTabsMenuAndTheDivisionFilter)
{
    EXPECT_EQ(window->windowTitle(), "Quarrix.mdb - Meridal Quarrix v2.1");
    EXPECT_EQ(window->minimumSize(), QSize(936, 720));
    QTabWidget* pages = window->pageControl();
    const QStringList captions = { "Project", "Requirements", "Drivers", "Business Attributes", "Security Attributes",
        "Applications", "Reports", "Attributes Database", "Controls Database ", "Upload", "System" };
    const QStringList names = { "TabSheet9", "TabSheet1", "TabSheet2", "AttributeTab", "TabSheet4", "TabSheet10",
        "TabSheet6", "TabSheet7", "TabSheet5", "TabSheet3", "TabSheet8" };
    ASSERT_EQ(pages->count(), captions.size());
    for (int i = 0; i < pages->count(); ++i) {
        EXPECT_EQ(pages->tabText(i), captions[i]);
        EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(pages->currentIndex(), 0);
    QStringList menu;
    for (QAction* top : window->menuBar()->actions())
        for (QAction* item : top->menu()->actions())
            if (!item->isSeparator())
                menu << top->text().remove('&') + ">" + item->text();
    EXPECT_EQ(menu,
        (QStringList { "File>New Database", "File>Load from Archive", "File>Save to Archive", "File>Clear Database",
            "File>Compare with Archive...", "File>Open Store...", "File>New Store...", "File>Exit",
            "References>Architecture Matrix", "References>Service Management Matrix", "References>Attribute Taxonomy",
            "Help>Quarrix Help", "Help>About Quarrix" }));
    auto* division = find<QComboBox>("cbDivision0");
    ASSERT_TRUE(division);
    EXPECT_EQ(division->count(), 2);
    EXPECT_EQ(division->currentText(), "All");
    EXPECT_EQ(find<QLabel>("Label5")->text(), "Division Filter");
}

TEST_F(MainWindowTest, StartUpShowsTheStoredProjectAndDivisions)
{
    Table& sys = window->assessment().system();
    sys.edit();
    sys.setText("Assessment", "Harbour review");
    sys.setText("Description", "Line one\r\nLine two");
    sys.setText("Notepad", "Remember the auditors");
    sys.setText("Divisions", LineList::build({ "North", "Harbour's Edge" }));
    sys.post();
    window->assessment().setWorkArchived(true); // as the store was left
    startWindow();
    EXPECT_EQ(find<QLabel>("pAssessment")->text(), "Harbour review");
    EXPECT_EQ(find<QPlainTextEdit>("mAssessment")->toPlainText(), "Line one\nLine two");
    EXPECT_EQ(find<QPlainTextEdit>("mNotepad")->toPlainText(), "Remember the auditors");
    auto* division = find<QComboBox>("cbDivision0");
    QStringList items;
    for (int i = 0; i < division->count(); ++i)
        items << division->itemText(i);
    EXPECT_EQ(items, (QStringList { "All", "Enterprise", "North", "Harbour's Edge" }));
    EXPECT_EQ(division->currentText(), "All");
    EXPECT_TRUE(window->assessment().workArchived());
}

TEST_F(MainWindowTest, NotepadSaveStoresTheTextAndExitThenAsksBeforeEnding)
{
    find<QPlainTextEdit>("mNotepad")->setPlainText("first\nsecond");
    click("hSave0");
    EXPECT_EQ(window->assessment().system().text("Notepad"), "first\r\nsecond");
    EXPECT_EQ(window->statusText(), "Save complete           ");
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_EQ(dialogs->waitDepth, 0);

    dialogs->answers.push_back(false);
    action("Exit1")->trigger();
    EXPECT_EQ(dialogs->questions, QStringList { "Database not saved - continue?" });
    EXPECT_TRUE(window->isVisible());

    dialogs->answers.push_back(true);
    action("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs->questions.size(), 2); // Exit does not also ask the close question
}

// Work not in an archive is still known after a restart: Exit asks, and
// Clear Database offers the archive.
TEST_F(MainWindowTest, WorkNotArchivedIsStillOfferedAfterARestart)
{
    click("hSave0");
    startWindow();
    EXPECT_FALSE(window->assessment().workArchived());
    dialogs->answers = { false };
    action("Exit1")->trigger();
    EXPECT_EQ(dialogs->questions, QStringList { "Database not saved - continue?" });
    EXPECT_TRUE(window->isVisible());

    dialogs->choices = { Dialogs::Choice::Yes };
    action("ClearDatabase1")->trigger(); // the save dialog is cancelled: nothing is cleared
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests.front().title, "Save to Archive");
    EXPECT_EQ(
        dialogs->questions.last(), "The assessment has changes that are not archived. Save them to an archive first?");
    EXPECT_FALSE(window->assessment().workArchived());
}

// Edits typed into a tab and not saved are offered before the program ends.
TEST_F(MainWindowTest, ExitAndCloseOfferEditsNotYetSaved)
{
    addRow(window->assessment().requirements(), { { "RSeq", "BR1" }, { "Requirement", "Before" } });
    window->assessment().setWorkArchived(true);
    for (const bool exit : { true, false }) {
        SCOPED_TRACE(exit ? "Exit" : "close");
        startWindow();
        showTab("TabSheet1");
        typeInto("eRequirement", exit ? "Saved on Exit" : "Saved on close");
        dialogs->answers = { true, true };
        if (exit)
            action("Exit1")->trigger();
        else
            window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(dialogs->questions.value(0), "Save changes?");
        EXPECT_EQ(window->assessment().requirements().text("Requirement"), exit ? "Saved on Exit" : "Saved on close");
    }
}

TEST_F(MainWindowTest, ExitAndCloseRightAfterStartUpAskNothing)
{
    action("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
    startWindow();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs->questions.isEmpty());
}

TEST_F(MainWindowTest, ClosingWithUnsavedWorkAsksAndNoEndsWithoutSaving)
{
    click("hSave0");
    window->close();
    EXPECT_EQ(dialogs->questions, QStringList { "Database not saved - save it?" });
    EXPECT_TRUE(dialogs->fileRequests.isEmpty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, F1WithOrWithoutShiftOrCtrlOpensTheUserGuideAtTheSectionOfTheTabShown)
{
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const struct {
        const char* tab;
        Qt::KeyboardModifiers modifiers;
        const char* anchor;
    } cases[] = {
        { "TabSheet9", Qt::NoModifier, "tab-project" },
        { "TabSheet1", Qt::ShiftModifier, "tab-requirements" },
        { "TabSheet4", Qt::ControlModifier, "tab-security-attributes" },
        { "TabSheet8", Qt::NoModifier, "tab-system" },
    };
    for (const auto& c : cases) {
        showTab(c.tab);
        dialogs->openedDocuments.clear();
        QTest::keyClick(window.get(), Qt::Key_F1, c.modifiers);
        ASSERT_EQ(dialogs->openedDocuments.size(), 1) << c.tab;
        const QUrl& guide = dialogs->openedDocuments.front();
        EXPECT_TRUE(guide.isLocalFile());
        EXPECT_TRUE(guide.toLocalFile().endsWith("/Quarrix.html")) << guide.toString().toStdString();
        EXPECT_EQ(guide.fragment(), c.anchor);
    }
    // Help > Quarrix Help opens it the same way.
    dialogs->openedDocuments.clear();
    action("QuarrixHelp1")->trigger();
    ASSERT_EQ(dialogs->openedDocuments.size(), 1);
    EXPECT_EQ(dialogs->openedDocuments.front().fragment(), QStringLiteral("tab-system"));
}

TEST_F(MainWindowTest, ClearDatabaseEmptiesTheAssessmentAndTheWindowShowsIt)
{
    Table& sys = window->assessment().system();
    sys.edit();
    sys.setText("Assessment", "Old");
    sys.setText("Notepad", "Old notes");
    sys.setText("Divisions", LineList::build({ "North" }));
    sys.post();
    window->assessment().requirements().append();
    window->assessment().requirements().setText("RSeq", "BR1");
    window->assessment().requirements().post();
    window->assessment().setWorkArchived(true);
    startWindow();

    dialogs->answers = { true };
    action("ClearDatabase1")->trigger(); // saved flag true: no archive step
    EXPECT_TRUE(dialogs->fileRequests.isEmpty());
    EXPECT_EQ(dialogs->questions, QStringList { "Clear the whole assessment?" });
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join("; ").toStdString();
    EXPECT_EQ(window->assessment().requirements().recordCount(), 0);
    EXPECT_EQ(window->assessment().system().text("Assessment"), "");
    EXPECT_EQ(find<QLabel>("pAssessment")->text(), "");
    EXPECT_EQ(find<QPlainTextEdit>("mNotepad")->toPlainText(), "");
    EXPECT_EQ(find<QComboBox>("cbDivision0")->count(), 2);
    EXPECT_TRUE(window->assessment().workArchived());
}

namespace {

// The controls a tab's layouts place: its own children and those of its
// groups and panel area, not the insides of grids, lists and boxes.
std::vector<QWidget*> placedControls(QWidget* holder)
{
    std::vector<QWidget*> out;
    for (QWidget* w : holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisible())
            continue;
        out.push_back(w);
        if (qobject_cast<QGroupBox*>(w) || w->objectName() == QLatin1String("ProfilePanels"))
            for (QWidget* inner : placedControls(w))
                out.push_back(inner);
    }
    return out;
}

// Controls that overlap a sibling, stick out of their holder or are smaller
// than they need to be to show their text.
QStringList layoutFaults(QWidget* tab)
{
    QStringList faults;
    const std::vector<QWidget*> placed = placedControls(tab);
    auto name = [](const QWidget* w) {
        const QString text = qobject_cast<const QLabel*>(w) ? static_cast<const QLabel*>(w)->text() : QString();
        return QStringLiteral("%1 '%2' %3")
            .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text);
    };
    for (QWidget* w : placed) {
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << name(w) + QStringLiteral(" sticks out of its holder");
        const QSize needed = w->minimumSizeHint();
        if (w->width() < needed.width() || w->height() < needed.height())
            faults << name(w) + QStringLiteral(" is clipped");
        for (QWidget* other : placed)
            if (other != w && other->parentWidget() == w->parentWidget() && other < w
                && other->geometry().intersects(w->geometry()))
                faults << name(w) + QStringLiteral(" overlaps ") + name(other);
    }
    return faults;
}

}

// The room of a larger window goes to the grids and the multi-line fields;
// at the smallest size and at a large one nothing overlaps or is clipped.
TEST_F(MainWindowTest, LayoutsGiveTheRoomToGridsAndMultiLineFieldsAndNothingOverlaps)
{
    Assessment& a = window->assessment();
    for (const char* name : { "Agile", "Cost Controlled", "Head Office" }) {
        Table& t = a.attribute();
        t.append();
        t.setText("GrAtt", QStringLiteral("01") + QString::fromLatin1(name));
        t.setText("Attribute", QString::fromLatin1(name));
        t.setText("Group", "Financial Outcomes");
        t.setText("Tier", "Business");
        t.post();
    }
    const struct {
        const char* tab;
        std::vector<const char*> growing;
    } tabs[] = {
        { "TabSheet9", { "mNotepad" } },
        { "TabSheet1", { "DBGrid2", "mSource" } },
        { "TabSheet2", { "DBGrid1", "lbReqs" } },
        { "AttributeTab", { "DBGrid3", "ProfilePanels" } },
    };
    for (const auto& t : tabs) {
        SCOPED_TRACE(t.tab);
        showTab(t.tab);
        QWidget* tab = find<QWidget>(t.tab);
        std::vector<QSize> small;
        for (const QSize size : { QSize(936, 720), QSize(1700, 1100) }) {
            window->resize(size);
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            EXPECT_EQ(layoutFaults(tab), QStringList()) << size.width() << "x" << size.height();
            for (size_t i = 0; i < t.growing.size(); ++i) {
                const QSize now = find<QWidget>(t.growing[i])->size();
                if (small.size() < t.growing.size()) {
                    small.push_back(now);
                    continue;
                }
                EXPECT_GT(now.width(), small[i].width() + 500) << t.growing[i];
                EXPECT_GT(now.height(), small[i].height() + 100) << t.growing[i];
            }
        }
        window->resize(936, 720);
    }
    // A caption longer than the panels' usual width shows whole, with a tooltip.
    showTab("AttributeTab");
    auto* panel = find<QLabel>("pCost Controlled");
    ASSERT_TRUE(panel);
    EXPECT_GE(panel->width(), panel->fontMetrics().horizontalAdvance(panel->text()));
    EXPECT_EQ(panel->toolTip(), "Cost Controlled");
}

TEST_F(MainWindowTest, ReferenceWindowsShowOnceAndThePictureFollowsTheWindowSize)
{
    action("ArchitectureMatrix1")->trigger();
    action("ArchitectureMatrix1")->trigger();
    const auto windows = window->findChildren<QWidget*>("TMatrixIForm");
    ASSERT_EQ(windows.size(), 1);
    QWidget* matrix = windows.first();
    EXPECT_TRUE(matrix->isVisible());
    EXPECT_EQ(matrix->windowTitle(), "Architecture Matrix");
    auto* picture = matrix->findChild<QLabel*>("Image1");
    ASSERT_TRUE(picture);
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), QSize(645, 275));
    EXPECT_EQ(picture->size(), QSize(645, 275));

    matrix->resize(matrix->width() + 100, matrix->height());
    EXPECT_EQ(picture->width(), 745);
    matrix->resize(matrix->width() - 100, matrix->height());
    EXPECT_EQ(picture->width(), 645);

    matrix->resize(matrix->width() + 40, matrix->height());
    matrix->close();
    EXPECT_FALSE(matrix->isVisible());
    action("ArchitectureMatrix1")->trigger();
    EXPECT_TRUE(matrix->isVisible());
    EXPECT_EQ(picture->width(), 685); // the last size is kept

    action("AttributeTaxonomy1")->trigger();
    auto* taxonomy = window->findChild<QWidget*>("TTaxonomyForm");
    EXPECT_EQ(taxonomy->findChild<QLabel*>("Image1")->pixmap().size(), QSize(1022, 715));
    EXPECT_EQ(window->findChild<QWidget*>("TMatrixIIForm")->windowTitle(), "Service Management  Matrix");
    action("AboutQuarrix1")->trigger();
    EXPECT_EQ(window->findChild<QWidget*>("TAboutForm")->windowTitle(), " About Quarrix");
}
