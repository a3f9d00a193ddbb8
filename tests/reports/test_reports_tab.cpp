// The Reports tab through its real widgets in a real window.
#include "docx_reader.h"
#include "report_fixture.h"

#include "analysis/in_use_derivation.h"
#include "gui/dialogs.h"
#include "gui/link_label.h"
#include "reports/reports_tab.h"
#include "support/process_run.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

class ReportsTabTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ReportFixture::build(window->assessment());
        showTab("TabSheet6");
    }

    static QStringList items(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

    QString reportPath(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void setDivision(const QString& division)
    {
        window->divisionFilterBox()->setEditText(division);
        window->applyDivisionFilter();
    }
};

TEST_F(ReportsTabTest, ShowingFillsTheChoicesAndKeepsTheSortingChoice)
{
    auto* activity = find<QComboBox>("cbActivity9");
    auto* group = find<QComboBox>("cbGroup9");
    EXPECT_EQ(items(activity), (QStringList { "All", "Audit", "Build" }));
    EXPECT_EQ(items(group), (QStringList { "All", "Core", "Support" }));
    EXPECT_EQ(activity->currentText(), "All");
    EXPECT_TRUE(activity->isEditable() && group->isEditable());
    EXPECT_TRUE(find<QLineEdit>("eDivision9")->isReadOnly());
    EXPECT_EQ(find<QLineEdit>("eDivision9")->text(), window->divisionFilterText());
    EXPECT_TRUE(find<QCheckBox>("chRequirements")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("chDrivers")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("chAttributes")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chControls")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("rbIdentifier")->isChecked());

    // Choices hold until the tab is left; the sorting choice and the check boxes stay.
    activity->setEditText("Build");
    group->setEditText("Core");
    find<QRadioButton>("rbActivity")->click();
    find<QCheckBox>("chControls")->click();
    setDivision("North");
    EXPECT_EQ(find<QLineEdit>("eDivision9")->text(), "North");
    showTab("TabSheet8");
    Table& sys = window->assessment().system();
    sys.edit();
    sys.setText("Activities", "");
    sys.post();
    showTab("TabSheet6");
    EXPECT_EQ(items(activity), QStringList { "All" });
    EXPECT_EQ(activity->currentText(), "All");
    EXPECT_EQ(group->currentText(), "All");
    EXPECT_TRUE(find<QRadioButton>("rbActivity")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("rbIdentifier")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("chControls")->isChecked());
    EXPECT_EQ(find<QLineEdit>("eDivision9")->text(), "North");
}

// The plan is not written by this version: its link is shown disabled with a
// hint saying so, and a click does nothing.
TEST_F(ReportsTabTest, BusinessSecurityPlanIsShownUnavailable)
{
    auto* plan = find<LinkLabel>("hRep4");
    EXPECT_FALSE(plan->isEnabled());
    EXPECT_EQ(plan->toolTip(), "Not available in this version");
    const QString status = window->statusText();
    QTest::mouseClick(plan, Qt::LeftButton);
    EXPECT_TRUE(dialogs->questions.isEmpty());
    EXPECT_TRUE(dialogs->fileRequests.isEmpty());
    EXPECT_TRUE(dialogs->errors.isEmpty());
    EXPECT_TRUE(dialogs->notices.isEmpty());
    EXPECT_EQ(dialogs->waitCount, 0);
    EXPECT_EQ(window->statusText(), status);
}

TEST_F(ReportsTabTest, QuarrixReportUsesTheActivityAndDivisionAndReportsProgress)
{
    setDivision("North");
    find<QComboBox>("cbActivity9")->setEditText("Audit");
    const QString path = reportPath("quarrix.docx");
    dialogs->files.push_back(path);
    QSignalSpy progress(find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged);
    const int waits = dialogs->waitCount;
    click("hRep2");

    ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(" ").toStdString();
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests[0].defaultSuffix, "docx");
    EXPECT_TRUE(dialogs->fileRequests[0].filter.contains("*.docx"));
    const Docx d = Docx::read(path);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_GE(d.find("For Activity Audit"), 0);
    EXPECT_GE(d.find("BR1.01\tKeep customer data private"), 0);
    EXPECT_LT(d.find("BR1.03\tMeet regulation"), 0); // South is filtered out
    EXPECT_EQ(window->statusText(), path + " saved          ");
    QList<int> steps;
    for (const QList<QVariant>& call : progress)
        steps << call.at(0).toInt();
    EXPECT_EQ(steps, (QList<int> { 1, 10, 25, 40, 65, 80, 90, 100, 0 }));
    EXPECT_EQ(dialogs->waitDepth, 0);
    EXPECT_GT(dialogs->waitCount, waits); // the hourglass was shown
}

TEST_F(ReportsTabTest, CancellingTheSaveDialogDoesNothing)
{
    const QString status = window->statusText();
    dialogs->files.push_back("");
    click("hRep2");
    dialogs->files.push_back("");
    click("hRep3");
    EXPECT_EQ(dialogs->fileRequests.size(), 2);
    EXPECT_EQ(dialogs->waitCount, 0);
    EXPECT_EQ(window->statusText(), status);
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

TEST_F(ReportsTabTest, AnErrorHalfwayKeepsTheOldDocumentAndRestoresTheTab)
{
    const QString path = reportPath("kept.docx");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the previous report");
    }
    // The mappings cannot be read: the run fails in section 5.
    Assessment& a = window->assessment();
    a.store().exec("ALTER TABLE TSAtt RENAME TO TSAttGone");
    const QString status = window->statusText();
    dialogs->files.push_back(path);
    click("hRep2");

    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].contains("TSAtt")) << dialogs->errors[0].toStdString();
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the previous report");
    EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_EQ(dialogs->waitDepth, 0);
    // The failure replaces whatever the status line said before.
    EXPECT_NE(window->statusText(), status);
    EXPECT_EQ(window->statusText(), dialogs->errors[0].section('\n', 0, 0));
    EXPECT_EQ(a.requirements().sort(), "");
    EXPECT_EQ(a.drivers().sort(), "");
    for (Table* t : { &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(), &a.controls(),
             &a.controlDriverTrace() }) {
        EXPECT_FALSE(t->notificationsSuspended()) << t->name().toStdString();
        EXPECT_TRUE(t->isOpen()) << t->name().toStdString();
    }

    // An unwritable target is an error too, and the tab is usable afterwards.
    a.store().exec("ALTER TABLE TSAttGone RENAME TO TSAtt");
    dialogs->files.push_back(dir.path()); // a folder
    click("hRep2");
    EXPECT_EQ(dialogs->errors.size(), 2);
    EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_EQ(dialogs->waitDepth, 0);
    dialogs->files.push_back(path);
    click("hRep2");
    EXPECT_EQ(dialogs->errors.size(), 2);
    EXPECT_TRUE(Docx::read(path).ok);
}

TEST_F(ReportsTabTest, TaxonomyReportUsesTheTypedGroup)
{
    deriveAttributesInUse(window->assessment(), "All");
    find<QComboBox>("cbGroup9")->setEditText("Risk");
    find<QComboBox>("cbActivity9")->setEditText("Nobody"); // not read by this report
    const QString path = reportPath("taxonomy.docx");
    dialogs->files.push_back(path);
    click("hRep3");
    ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(" ").toStdString();
    EXPECT_EQ(dialogs->fileRequests[0].defaultSuffix, "docx");
    const Docx d = Docx::read(path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.find("RISK"), 0);
    EXPECT_GE(d.find(" Logged \tEvents are recorded "), 0);
    EXPECT_LT(d.find("USER"), 0);
    EXPECT_GE(d.find(" \tAvailable\tLogged\tTracked"), 0); // the matrix is whole
    EXPECT_EQ(window->statusText(), path + " saved          ");
    EXPECT_EQ(dialogs->waitDepth, 0);
}

// Both reports can be saved as PDF from the same dialogs.
TEST_F(ReportsTabTest, ReportsCanBeSavedAsPdf)
{
    deriveAttributesInUse(window->assessment(), "All");
    for (const auto& [link, name, title] : { std::tuple { "hRep2", "quarrix.pdf", "HARBOUR REVIEW" },
             std::tuple { "hRep3", "taxonomy.pdf", "CUSTOM ATTRIBUTE TAXONOMY" } }) {
        const QString path = reportPath(name);
        dialogs->files.push_back(path);
        click(link);
        ASSERT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(" ").toStdString();
        EXPECT_TRUE(dialogs->fileRequests.last().filter.contains("(*.pdf)")) << link;
        QFile pdf(path);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << link;
        EXPECT_TRUE(pdf.read(5) == "%PDF-") << link;
        EXPECT_EQ(window->statusText(), path + " saved          ");
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (!pdftotext.isEmpty()) {
            EXPECT_TRUE(runProgram(pdftotext, { path, "-" }).out.contains(title)) << link;
        }
    }
}

// The window's save dialog gives a name typed without a suffix the suffix
// of the kind of file chosen in it.
TEST_F(ReportsTabTest, SaveDialogTakesTheSuffixOfTheChosenKind)
{
    WidgetDialogs real(window.get());
    Dialogs::FileRequest request;
    request.filter = "Word documents (*.docx);;PDF documents (*.pdf)";
    request.defaultSuffix = "docx";
    for (const char* kind : { "Word documents (*.docx)", "PDF documents (*.pdf)" }) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            dialog->setDirectory(dir.path());
            // The analyst picks the kind in the dialog's list of kinds.
            auto* kinds = dialog->findChild<QComboBox*>("fileTypeCombo");
            ASSERT_TRUE(kinds);
            while (kinds->currentText() != QLatin1String(kind))
                QTest::keyClick(kinds, Qt::Key_Down);
            dialog->selectFile("report");
            static_cast<QDialog*>(dialog)->accept(); // what the Save button does
        });
        const QString chosen = real.saveFile(request);
        EXPECT_EQ(QFileInfo(chosen).fileName(), QString(kind).contains("pdf") ? "report.pdf" : "report.docx");
    }
}
