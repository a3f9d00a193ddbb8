// Every command leaves a status line, success or error, and Ctrl+S runs the
// Save of the tab shown.
#include "support/edit_moves.h"
#include "support/table_rows.h"
#include "support/window_fixture.h"

#include "gui/link_label.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

namespace {

class StatusAndSaveKeyTest : public EditMovesFixture {
protected:
    QString firstErrorLine() const { return dialogs->errors.value(0).section(QLatin1Char('\n'), 0, 0); }
    void pressSaveKey()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    }
};

// A failed command leaves its error where a success leaves its text; the
// status from before never stays.
TEST_F(StatusAndSaveKeyTest, CommandsLeaveTheirSuccessOrTheirErrorInTheStatusLine)
{
    const QString exported = dir.filePath(QStringLiteral("out.xlsx"));
    const QString archive = dir.filePath(QStringLiteral("a.txt"));
    // Text that does not begin as an archive does.
    const QString notAnArchive = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile notes(notAnArchive);
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("Notes for the workshop\n");
    }
    const struct {
        const char* name;
        const char* tab;
        std::function<void()> run;
        QString file; // the file dialog's answer
        QString status; // empty: the error's first line
    } cases[] = {
        { "export", "TabSheet6", [this] { click("hRep1"); }, exported, exported + " saved          " },
        { "export to a folder", "TabSheet6", [this] { click("hRep1"); }, dir.path(), {} },
        { "archive saved", "TabSheet9", [this] { action("SavetoArchive1")->trigger(); }, archive,
            "Save complete           " },
        { "archive to a folder", "TabSheet9", [this] { action("SavetoArchive1")->trigger(); }, dir.path(), {} },
        { "archive loaded", "TabSheet9", [this] { action("LoadfromArchive1")->trigger(); }, archive,
            "Load complete           " },
        { "not an archive", "TabSheet9", [this] { action("LoadfromArchive1")->trigger(); }, notAnArchive,
            "This is not a saved analysis" },
        { "upload settings saved", "TabSheet3",
            [this] {
                click("hUpdate");
                click("hUpdate");
            },
            {}, "Save complete           " },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        showTab(c.tab);
        dialogs->errors.clear();
        dialogs->files = { c.file };
        window->setStatus(QStringLiteral("from before"));
        c.run();
        if (c.status.isEmpty()) {
            ASSERT_EQ(dialogs->errors.size(), 1);
            EXPECT_FALSE(firstErrorLine().trimmed().isEmpty());
            EXPECT_EQ(window->statusText(), firstErrorLine());
        } else {
            EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
            EXPECT_EQ(window->statusText(), c.status);
        }
        EXPECT_EQ(dialogs->waitDepth, 0);
    }
}

// Ctrl+S saves what the shown tab's Save link saves, and nothing on a tab
// without one.
TEST_F(StatusAndSaveKeyTest, CtrlSRunsTheSaveOfTheTabShown)
{
    Table& sys = window->assessment().system();
    const struct {
        const char* tab;
        std::function<void()> edit;
        const char* field;
        QString saved;
        const char* link; // the Edit/Save label, back to "Edit" after the save
    } cases[] = {
        { "TabSheet9", [this] { find<QPlainTextEdit>("mNotepad")->setPlainText("A note"); }, "Notepad", "A note",
            nullptr },
        { "TabSheet8",
            [this] {
                click("hEdit3");
                find<QLineEdit>("eEnterprise")->setText("Harbour Holdings");
            },
            "Enterprise", "Harbour Holdings", "hEdit3" },
        { "TabSheet3",
            [this] {
                click("hUpdate");
                find<QLineEdit>("eIP")->setText("10.0.0.9");
            },
            "SQL-IP", "10.0.0.9", "hUpdate" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        showTab(c.tab);
        c.edit();
        pressSaveKey();
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
        sys.refresh();
        EXPECT_EQ(sys.text(QString::fromLatin1(c.field)), c.saved);
        EXPECT_EQ(window->statusText().trimmed(), QStringLiteral("Save complete"));
        if (c.link) {
            EXPECT_EQ(find<LinkLabel>(c.link)->text(), QStringLiteral("Edit"));
        }
    }

    // The Reports tab has no Save: the key changes nothing.
    showTab("TabSheet6");
    window->setStatus(QStringLiteral("from before"));
    pressSaveKey();
    EXPECT_EQ(window->statusText(), QStringLiteral("from before"));
    EXPECT_TRUE(dialogs->errors.isEmpty());
}

// On the tabs that edit records, Ctrl+S saves the record shown, as the tab's
// Save link does.
TEST_F(StatusAndSaveKeyTest, CtrlSSavesTheRecordShownOnEveryRecordTab)
{
    Assessment& a = window->assessment();
    addRow(a.requirements(), { { "RSeq", "BR1" }, { "Requirement", "Need" } });
    addRow(a.drivers(), { { "CSeq", "BD1" } });
    addRow(a.driverProfiles(), { { "CSeq", "BD1" }, { "Attribute", "Agile" }, { "Priority", "1" } });
    addRow(a.attribute(),
        { { "GrAtt", "01Agile" }, { "Group", "G" }, { "Grx", "01" }, { "Attribute", "Agile" },
            { "Tier", "Business" } });
    addRow(a.attribute(),
        { { "GrAtt", "10Net" }, { "Group", "G" }, { "Grx", "02" }, { "Attribute", "Net" }, { "Tier", "Technical" } });
    addRow(a.attribute(),
        { { "GrAtt", "20Access" }, { "Group", "G" }, { "Grx", "03" }, { "Attribute", "Access" },
            { "Tier", "Security" } });
    addRow(a.businessToTechnical(), { { "BusAtt", "Agile" }, { "TechAtt", "Net" } });
    addRow(a.technicalToSecurity(), { { "TechAtt", "Net" }, { "SecAtt", "Access" } });
    addRow(a.controls(), { { "Id", "01.01.01" }, { "Control", "Keep a log" } });
    addRow(a.applications(), { { "Application", "Ledger" } });
    startWindow();

    const struct {
        const char* tab;
        const char* editor; // an editor of the record shown
        const char* table;
        const char* field;
    } cases[] = {
        { "TabSheet1", "eRequirement", "Requirements", "Requirement" },
        { "TabSheet2", "eDriver", "Drivers", "Driver" },
        { "TabSheet4", "mAttDescription", "Attribute", "Description" },
        { "TabSheet10", "mAppDesc", "Applications", "Description" },
        { "TabSheet7", "mAttDesc2", "Attribute", "Description" },
        { "TabSheet5", "eControl", "Controls", "control_title" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        showTab(c.tab);
        dialogs->errors.clear();
        const QString text = QStringLiteral("Keyed on ") + QLatin1String(c.tab);
        if (auto* memo = window->findChild<QPlainTextEdit*>(QLatin1String(c.editor)))
            memo->setPlainText(text);
        else
            find<QLineEdit>(c.editor)->setText(text);
        pressSaveKey();
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
        bool found = false;
        for (const auto& [rowId, values] : storedRows(c.table)) {
            Q_UNUSED(rowId);
            found = found || values.contains(text);
        }
        EXPECT_TRUE(found) << c.field;
    }
}

// Each file dialog says what kind of file it is for, so its folder is
// remembered with that kind's; set imports offer both spreadsheet formats
// first, and the control import still offers OSCAL catalogs.
TEST_F(StatusAndSaveKeyTest, EveryFileDialogSaysItsKindAndImportsOfferSpreadsheetsFirst)
{
    const QString spreadsheets = QStringLiteral("Spreadsheets (*.xlsx *.xls)");
    const struct {
        const char* tab;
        std::function<void()> run;
        FileKind kind;
        QString firstFilter; // empty: not checked
    } cases[] = {
        { "TabSheet9", [this] { action("SavetoArchive1")->trigger(); }, FileKind::Archive, {} },
        { "TabSheet9", [this] { action("LoadfromArchive1")->trigger(); }, FileKind::Archive, {} },
        { "TabSheet6", [this] { click("hRep1"); }, FileKind::Export, {} },
        { "TabSheet6", [this] { click("hRep2"); }, FileKind::Report, {} },
        { "TabSheet6", [this] { click("hRep3"); }, FileKind::Report, {} },
        { "TabSheet8", [this] { click("bbBrowseControl"); }, FileKind::CatalogueSet, spreadsheets },
        { "TabSheet8", [this] { click("bbBrowseAttribute"); }, FileKind::CatalogueSet, spreadsheets },
        { "TabSheet7", [this] { click("bImport1"); }, FileKind::CatalogueSet, spreadsheets },
        { "TabSheet5", [this] { click("bImport2"); }, FileKind::CatalogueSet, spreadsheets },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        showTab(c.tab);
        dialogs->fileRequests.clear();
        dialogs->answers = { true }; // the imports' replace question
        dialogs->files = { QString() }; // then cancel
        c.run();
        ASSERT_EQ(dialogs->fileRequests.size(), 1);
        const Dialogs::FileRequest& request = dialogs->fileRequests.first();
        EXPECT_EQ(request.kind, c.kind);
        if (!c.firstFilter.isEmpty()) {
            EXPECT_EQ(request.filter.section(QStringLiteral(";;"), 0, 0), c.firstFilter);
        }
    }
    EXPECT_TRUE(dialogs->fileRequests.first().filter.contains(QStringLiteral("OSCAL catalogs (*.json)")));
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

}
