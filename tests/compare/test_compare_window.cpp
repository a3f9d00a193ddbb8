// File > Compare with Archive... in a real main window: the open assessment
// against an archive of how it was, the summary and the trees, double-clicks
// selecting records in their tabs, and the change report saved from there.
#include "compare_pair.h"

#include "analysis/driver_commands.h"
#include "archive/archive_writer.h"
#include "compare/compare_window.h"
#include "support/file_bytes.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QFileInfo>
#include <QTreeWidget>

namespace {

class CompareWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Assessment& a = window->assessment();
        ComparePair::build(a);
        archive = dir.filePath(QStringLiteral("last review.txt"));
        ArchiveWriter::save(a, archive);
        ComparePair::quarterOfChanges(a);
    }

    CompareWindow* compare()
    {
        dialogs->files.push_back(archive);
        action("CompareWithArchive1")->trigger();
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
        CompareWindow* w = window->compareWindow();
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }

    static QStringList rows(QTreeWidget* tree, QTreeWidgetItem* parent = nullptr)
    {
        QStringList out;
        const int n = parent ? parent->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < n; ++i) {
            QTreeWidgetItem* item = parent ? parent->child(i) : tree->topLevelItem(i);
            QStringList columns;
            for (int c = 0; c < tree->columnCount(); ++c)
                columns << item->text(c);
            while (!columns.isEmpty() && columns.last().isEmpty())
                columns.removeLast();
            out << columns.join('|');
        }
        return out;
    }

    QString archive;
};

TEST_F(CompareWindowTest, SummaryThenATreePerKind)
{
    CompareWindow* w = compare();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), "Changes since Trace review");
    EXPECT_EQ(rows(w->summaryTree()),
        (QStringList { "System|0|0|0", "Requirements|0|0|2", "Business drivers|0|0|0", "Profiles|0|0|1",
            "Security attributes in use|0|0|0", "Objectives and controls|1|1|0", "Trace|3|8|0", "Applications|0|0|0",
            "Risk entries|0|0|1", "Control catalogue|1|0|0", "Attribute taxonomy|0|0|0", "New gaps (0)",
            "Closed gaps (1)" }));
    EXPECT_EQ(rows(w->summaryTree(), w->summaryTree()->topLevelItem(9)),
        (QStringList { "controls: 4 -> 5", "objectives: 4 -> 5", "sections: 0 -> 1" }));
    EXPECT_EQ(rows(w->summaryTree(), w->summaryTree()->topLevelItem(12)),
        QStringList { "Security attribute in use without controls: Resilience" });

    EXPECT_EQ(w->kindTree(ChangeKind::System), nullptr); // no page for a kind that did not change
    QTreeWidget* requirements = w->kindTree(ChangeKind::Requirements);
    ASSERT_TRUE(requirements);
    EXPECT_EQ(rows(requirements), QStringList { "Changed (2)" });
    QTreeWidgetItem* changed = requirements->topLevelItem(0);
    EXPECT_EQ(rows(requirements, changed),
        (QStringList { "~ BR1.09 (renamed from BR1.03)  Orphan wish", "~ BR2.01  Ship every order on time" }));
    EXPECT_EQ(rows(requirements, changed->child(1)), QStringList { "Requirement: Ship {+every order+} on time" });
    QTreeWidget* controls = w->kindTree(ChangeKind::Controls);
    ASSERT_TRUE(controls);
    EXPECT_EQ(rows(controls), (QStringList { "Added (1)", "Removed (1)" }));
    EXPECT_EQ(rows(controls, controls->topLevelItem(1)),
        QStringList { "- security attribute Availability, control 02.01.01" });
}

TEST_F(CompareWindowTest, DoubleClickOpensTheRecordInItsTab)
{
    CompareWindow* w = compare();
    ASSERT_TRUE(w);
    Assessment& a = window->assessment();
    QTreeWidget* requirements = w->kindTree(ChangeKind::Requirements);
    ASSERT_TRUE(requirements);
    Q_EMIT requirements->itemDoubleClicked(requirements->topLevelItem(0)->child(0), 0);
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet1"); // Requirements
    EXPECT_EQ(a.requirements().text("RSeq"), "BR1.09");

    QTreeWidget* catalogue = w->kindTree(ChangeKind::Catalogue);
    ASSERT_TRUE(catalogue);
    Q_EMIT catalogue->itemDoubleClicked(catalogue->topLevelItem(0)->child(0), 0);
    EXPECT_EQ(window->pageShown()->objectName(), "TabSheet5"); // Controls Database
    EXPECT_EQ(a.controls().text("Id"), "04.01.01");

    // A record the open assessment no longer has is said to be missing.
    QTreeWidget* trace = w->kindTree(ChangeKind::Trace);
    ASSERT_TRUE(trace);
    ComparePair::at(a.drivers(), "CSeq", "BD1.02");
    deleteDriver(a, a.drivers().currentRowId());
    Q_EMIT trace->itemDoubleClicked(trace->topLevelItem(1)->child(4), 0); // a chain of BD1.02
    EXPECT_EQ(dialogs->notices, QStringList { "Driver BD1.02 is not in the list shown" });
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

TEST_F(CompareWindowTest, EditsNotYetSavedAreOfferedAndCompared)
{
    showTab("TabSheet1"); // Requirements
    ComparePair::at(window->assessment().requirements(), "RSeq", "BR1.01");
    typeInto("eRequirement", "Keep every account exact");
    dialogs->answers.push_back(true); // Save changes? Yes
    CompareWindow* w = compare();
    ASSERT_TRUE(w);
    EXPECT_EQ(dialogs->questions, QStringList { "Save changes?" });
    QTreeWidget* requirements = w->kindTree(ChangeKind::Requirements);
    ASSERT_TRUE(requirements);
    EXPECT_TRUE(rows(requirements, requirements->topLevelItem(0)).contains("~ BR1.01  Keep every account exact"));
}

TEST_F(CompareWindowTest, ChangeReportSavedFromTheWindow)
{
    ASSERT_TRUE(compare());
    const QString docx = dir.filePath(QStringLiteral("changes.docx"));
    dialogs->files.push_back(docx);
    click("bSaveChangeReport");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    ASSERT_EQ(dialogs->fileRequests.size(), 2);
    EXPECT_EQ(dialogs->fileRequests.last().filter, "Word documents (*.docx);;PDF documents (*.pdf)");
    EXPECT_EQ(dialogs->fileRequests.last().proposedName, "Changes since Trace review.docx");
    EXPECT_TRUE(readBytes(docx).startsWith("PK"));
    EXPECT_TRUE(window->statusText().startsWith(docx + " saved"));
}

}
