// The Trace window, opened from the Security Attributes tab of a real main
// window, and its double-clicks selecting records in their tabs.
#include "analysis/trace_window.h"
#include "gui/tab_page.h"
#include "support/trace_assessment.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

class TraceWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        TraceAssessment::build(window->assessment());
    }

    // Opens the window as the analyst does, for a division.
    TraceWindow* open(const QString& division)
    {
        window->divisionFilterBox()->setEditText(division);
        showTab("TabSheet4");
        click("hTrace");
        TraceWindow* trace = window->traceWindow();
        EXPECT_TRUE(trace && trace->isVisible());
        return trace;
    }

    static QTreeWidget* tree(TraceWindow* w, const char* name)
    {
        return w->findChild<QTreeWidget*>(QString::fromLatin1(name));
    }

    static QStringList texts(QTreeWidgetItem* parent, QTreeWidget* owner = nullptr)
    {
        QStringList out;
        const int n = parent ? parent->childCount() : owner->topLevelItemCount();
        for (int i = 0; i < n; ++i)
            out << (parent ? parent->child(i) : owner->topLevelItem(i))->text(0);
        return out;
    }

    // Opens the branch whose text is `text` among the children of parent
    // (top level when null) and returns it.
    static QTreeWidgetItem* expand(QTreeWidget* owner, QTreeWidgetItem* parent, const QString& text)
    {
        const int n = parent ? parent->childCount() : owner->topLevelItemCount();
        for (int i = 0; i < n; ++i) {
            QTreeWidgetItem* item = parent ? parent->child(i) : owner->topLevelItem(i);
            if (item->text(0) == text) {
                item->setExpanded(true);
                return item;
            }
        }
        ADD_FAILURE() << "no branch " << text.toStdString();
        return nullptr;
    }

    static void doubleClick(QTreeWidget* owner, QTreeWidgetItem* item)
    {
        ASSERT_TRUE(item);
        Q_EMIT owner->itemDoubleClicked(item, 0);
    }

    QString current(Table& t, const char* field) { return t.text(QString::fromLatin1(field)); }
};

TEST_F(TraceWindowTest, BothTreesFollowTheChainForTheDivision)
{
    TraceWindow* w = open("North");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), "Trace - 4 gaps");
    QTreeWidget* t = tree(w, "tvTrace");
    EXPECT_EQ(texts(nullptr, t), (QStringList { "BR1.01: Keep accounts exact", "BR1.02: Answer customers fast" }));
    QTreeWidgetItem* requirement = expand(t, nullptr, "BR1.02: Answer customers fast");
    EXPECT_EQ(texts(requirement), (QStringList { "BD1.01  Trustworthy books", "BD1.02  Quick service" }));
    QTreeWidgetItem* driver = expand(t, requirement, "BD1.02  Quick service");
    EXPECT_EQ(texts(driver), QStringList { "Responsive (priority 2)" }); // Lonely reaches nothing in use
    QTreeWidgetItem* profiled = expand(t, driver, "Responsive (priority 2)");
    EXPECT_EQ(texts(profiled), (QStringList { "Availability", "Resilience" }));
    EXPECT_NE(profiled->child(1)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator); // a leaf
    QTreeWidgetItem* security = expand(t, profiled, "Availability");
    EXPECT_EQ(texts(security), (QStringList { "01.02.01  Audit trail", "02.01.01  Spare capacity" }));

    w->findChild<QRadioButton*>("rbTraceReverse")->setChecked(true);
    EXPECT_EQ(texts(nullptr, t),
        (QStringList { "01.01.01  Reconcile ledgers", "01.02.01  Audit trail", "02.01.01  Spare capacity",
            "09.09.09  (not in the control catalogue)", "(no control)" }));
    QTreeWidgetItem* control = expand(t, nullptr, "01.02.01  Audit trail");
    EXPECT_EQ(texts(control), (QStringList { "Availability", "Integrity", "Traceability" }));
    QTreeWidgetItem* reached = expand(t, control, "Availability");
    EXPECT_EQ(texts(reached), (QStringList { "BD1.01  Trustworthy books", "BD1.02  Quick service" }));
    EXPECT_EQ(texts(expand(t, reached, "BD1.01  Trustworthy books")),
        (QStringList { "BR1.01: Keep accounts exact", "BR1.02: Answer customers fast" }));
    EXPECT_EQ(texts(expand(t, expand(t, nullptr, "(no control)"), "Resilience")),
        (QStringList { "BD1.01  Trustworthy books", "BD1.02  Quick service" }));

    QTreeWidget* gaps = tree(w, "tvGaps");
    EXPECT_EQ(texts(nullptr, gaps),
        (QStringList { "Requirements traced by no driver (1)", "Drivers with no profile (0)",
            "Business attributes linked to no security attribute (1)", "Security attributes in use with no control (1)",
            "Control identifiers missing from the catalogue (1)", "Profile rows of drivers that do not exist (0)" }));
    EXPECT_EQ(texts(gaps->topLevelItem(2)), QStringList { "Lonely" });
}

// Edits not yet saved are offered before the window opens; once open it
// follows every save, keeping the node selected, and the division filter.
TEST_F(TraceWindowTest, OffersPendingEditsAndFollowsTheStore)
{
    window->divisionFilterBox()->setEditText("North");
    showTab("TabSheet4");
    Table& attribute = window->assessment().attribute();
    ASSERT_TRUE(attribute.locate("Attribute", { "Resilience" }));
    find<QComboBox>("cbSecCon")->setCurrentText("01.01.01: Reconcile ledgers");
    click("hAdd4"); // a control, not yet saved
    dialogs->answers = { true };
    click("hTrace");
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    TraceWindow* w = window->traceWindow();
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->chain().gaps().securityWithoutControls.contains("Resilience"));
    EXPECT_EQ(w->windowTitle(), "Trace - 3 gaps");

    // Select Responsive's Resilience under BD1.02, then save a profile that
    // drops Lonely: the window rebuilds and the node stays selected.
    QTreeWidget* t = tree(w, "tvTrace");
    QTreeWidgetItem* driver = expand(t, expand(t, nullptr, "BR1.02: Answer customers fast"), "BD1.02  Quick service");
    QTreeWidgetItem* security = expand(t, expand(t, driver, "Responsive (priority 2)"), "Resilience");
    t->setCurrentItem(security);
    showTab("AttributeTab");
    Table& drivers = window->assessment().drivers();
    ASSERT_TRUE(drivers.locate("CSeq", { "BD1.02" }));
    click("pLonely"); // priority 2 steps to 1, then to ignored
    click("pLonely");
    click("hSave3");
    EXPECT_EQ(w->windowTitle(), "Trace - 2 gaps");
    EXPECT_TRUE(w->chain().gaps().profiledWithoutSecurity.isEmpty());
    ASSERT_TRUE(t->currentItem());
    EXPECT_EQ(t->currentItem()->text(0), "Resilience");
    EXPECT_EQ(t->currentItem()->parent()->text(0), "Responsive (priority 2)");

    // The division filter changes the window's division.
    window->divisionFilterBox()->setEditText("South");
    EXPECT_EQ(w->findChild<QLabel*>("lTraceDivision")->text(), "Division: South");
    EXPECT_EQ(texts(nullptr, t), (QStringList { "BR2.01: Ship on time", "Say \"hi\", twice" }));
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

// The coverage matrix shows the best priority per driver and attribute in
// use, marks the attribute without a control, and opens a cell's chain.
TEST_F(TraceWindowTest, CoverageMatrixShowsTheTraceAndOpensAChain)
{
    TraceWindow* w = open("All");
    ASSERT_TRUE(w);
    w->findChild<QRadioButton*>("rbTraceMatrix")->setChecked(true);
    auto* m = w->findChild<QTableWidget*>("tbCoverage");
    ASSERT_TRUE(m && m->isVisible());
    QStringList headers, rows;
    for (int c = 0; c < m->columnCount(); ++c)
        headers << m->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList { "Availability", "Integrity", "Resilience !", "Traceability" }));
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells { m->verticalHeaderItem(r)->text() };
        for (int c = 0; c < m->columnCount(); ++c)
            cells << (m->item(r, c) ? m->item(r, c)->text() : QString());
        rows << cells.join('|');
    }
    EXPECT_EQ(rows, (QStringList { "BD1.01|3|1|3 !|1", "BD1.02|2||2 !|", "BD2.01|1|||1", "BD2.02||||" }));
    EXPECT_EQ(m->item(0, 1)->background().color(), QColor(0, 0, 128)); // priority 1: navy

    Q_EMIT m->cellDoubleClicked(2, 3); // BD2.01, Traceability
    EXPECT_TRUE(w->findChild<QRadioButton*>("rbTraceForward")->isChecked());
    QTreeWidget* t = tree(w, "tvTrace");
    ASSERT_TRUE(t->isVisible());
    ASSERT_TRUE(t->currentItem());
    EXPECT_EQ(t->currentItem()->text(0), "Traceability");
    EXPECT_EQ(t->currentItem()->parent()->text(0), "Punctual (priority 1)");
    EXPECT_EQ(t->currentItem()->parent()->parent()->text(0), "BD2.01  Reliable shipping");
}

TEST_F(TraceWindowTest, DoubleClicksSelectTheRecordInItsTab)
{
    TraceWindow* w = open("All");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), "Trace - 6 gaps");
    QTreeWidget* t = tree(w, "tvTrace");
    Assessment& a = window->assessment();

    QTreeWidgetItem* requirement = expand(t, nullptr, "BR2.01: Ship on time");
    doubleClick(t, requirement->child(0));
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet2");
    EXPECT_EQ(current(a.drivers(), "CSeq"), "BD2.01");

    doubleClick(t, requirement);
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet1");
    EXPECT_EQ(current(a.requirements(), "RSeq"), "BR2.01");

    w->findChild<QRadioButton*>("rbTraceReverse")->setChecked(true);
    doubleClick(t, t->topLevelItem(2)); // 02.01.01
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet5");
    EXPECT_EQ(current(a.controls(), "Id"), "02.01.01");

    // A control missing from the catalogue, or a security attribute, selects nothing.
    doubleClick(t, t->topLevelItem(3));
    doubleClick(t, expand(t, nullptr, "01.01.01  Reconcile ledgers")->child(0));
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet5");

    // Gaps: the requirement and the driver are selected too.
    QTreeWidget* gaps = tree(w, "tvGaps");
    doubleClick(gaps, gaps->topLevelItem(0)->child(1));
    EXPECT_EQ(current(a.requirements(), "RSeq"), "BR2.02");
    doubleClick(gaps, gaps->topLevelItem(1)->child(0));
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet2");
    EXPECT_EQ(current(a.drivers(), "CSeq"), "BD2.02");
    EXPECT_TRUE(dialogs->notices.isEmpty());

    // A requirement line that names no requirement is said so.
    w->findChild<QRadioButton*>("rbTraceForward")->setChecked(true);
    doubleClick(t, expand(t, nullptr, "Say \"hi\", twice"));
    EXPECT_EQ(dialogs->notices, QStringList { "Requirement Say \"hi\", twice is not in the list shown" });
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

}
