#include "catalogues/attributes_database_tab.h"
#include "catalogues/controls_database_tab.h"
#include "sheet_files.h"
#include "support/table_rows.h"
#include "support/window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

// The tree as indented lines, two blanks per level.
void dumpNode(const QTreeWidgetItem* node, int depth, QStringList& out)
{
    out << QString(depth * 2, QLatin1Char(' ')) + node->text(0);
    for (int i = 0; i < node->childCount(); ++i)
        dumpNode(node->child(i), depth + 1, out);
}

QStringList dumpTree(const QTreeWidget* tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        dumpNode(tree->topLevelItem(i), 0, out);
    return out;
}

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

struct Control {
    const char* id;
    const char* xid;
    const char* section;
    const char* objective;
    const char* title;
};

class CatalogueTabs : public WindowFixture {
protected:
    Assessment& a() { return window->assessment(); }

    void addControls(const std::vector<Control>& rows)
    {
        Table& t = a().controls();
        for (const Control& c : rows) {
            t.append();
            t.setText(QStringLiteral("Id"), QString::fromLatin1(c.id));
            t.setText(QStringLiteral("XId"), QString::fromLatin1(c.xid));
            t.setText(QStringLiteral("section_title"), QString::fromLatin1(c.section));
            t.setText(QStringLiteral("subsection_title"), QString::fromLatin1(c.objective));
            t.setText(QStringLiteral("control_title"), QString::fromLatin1(c.title));
            t.post();
        }
        t.refresh();
        t.first();
    }

    void addAttribute(const char* group, const char* number, const char* name, const char* tier)
    {
        Table& t = a().attribute();
        t.append();
        t.setText(QStringLiteral("Group"), QString::fromLatin1(group));
        t.setText(QStringLiteral("Grx"), QString::fromLatin1(number));
        t.setText(QStringLiteral("Attribute"), QString::fromLatin1(name));
        t.setText(QStringLiteral("GrAtt"),
            QString::number(QString::fromLatin1(number).toInt() + 100).right(2) + QString::fromLatin1(name));
        t.setText(QStringLiteral("Tier"), QString::fromLatin1(tier));
        t.post();
    }

    void addLink(Table& t, const char* first, const char* second)
    {
        const bool btat = t.name() == QLatin1String("BTAtt");
        t.append();
        t.setText(btat ? QStringLiteral("BusAtt") : QStringLiteral("TechAtt"), QString::fromLatin1(first));
        t.setText(btat ? QStringLiteral("TechAtt") : QStringLiteral("SecAtt"), QString::fromLatin1(second));
        t.post();
    }

    QStringList visible(Table& t, const char* field)
    {
        QStringList out;
        const int f = t.fieldIndex(QString::fromLatin1(field));
        for (int r = 0; r < t.recordCount(); ++r)
            out << t.textAt(r, f);
        return out;
    }
};

} // namespace

// Tree labels: numbers without leading zeros, XId shown when it differs,
// first titles of a run kept, and the odd shapes of sections and objectives 00.
TEST_F(CatalogueTabs, ControlTreeLabels)
{
    struct Case {
        std::vector<Control> controls;
        QStringList tree;
    };
    const std::vector<Case> cases = {
        { { { "01.02.03", "01.02.03", "Org", "Roles", "Duties" }, { "01.02.04", "A.5.1.2", "Org", "Roles", "Other" },
              { "01.03.01", "01.03.01", "Renamed", "Review", "Yearly" },
              { "02.01.01", "02.01.01", "People", "Hiring", "Checks" }, { "99.99.99", "", "", "", "" } },
            { "Controls", "  1 Org", "    1.2 Roles", "      1.2.3: Duties", "      A.5.1.2: Other", "    1.3 Review",
                "      1.3.1: Yearly", "  2 People", "    2.1 Hiring", "      2.1.1: Checks", "  99 ", "    99.99 ",
                "      : " } },
        // Sections, objectives and controls numbered 00 take their places under the root.
        { { { "00.00.01", "00.00.01", "Zero", "Nil", "Z" }, { "00.01.01", "00.01.01", "Zero", "First", "A" },
              { "03.00.01", "03.00.01", "Three", "None", "B" }, { "03.01.00", "03.01.00", "Three", "One", "C0" },
              { "03.01.01", "03.01.01", "Three", "One", "C" } },
            { "Controls", "  0 Zero", "    0.0 Nil", "      0.0.1: Z", "    0.1 First", "      0.1.1: A", "  3 Three",
                "    3.0 None", "      3.0.1: B", "    3.1 One", "      3.1.0: C0", "      3.1.1: C" } },
        // A control numbered 00 first in its run names neither its section
        // nor its objective when a numbered control follows.
        { { { "01.01.00", "01.01.00", "Own title", "Own title", "Header" },
              { "01.01.01", "01.01.01", "Org", "Roles", "Duties" }, { "02.01.00", "02.01.00", "Alone", "Only", "X" } },
            { "Controls", "  1 Org", "    1.1 Roles", "      1.1.0: Header", "      1.1.1: Duties", "  2 Alone",
                "    2.1 Only", "      2.1.0: X" } },
    };
    auto* tree = find<QTreeWidget>("tvControl");
    showTab("TabSheet5"); // the tree follows the rows while shown
    for (const Case& c : cases) {
        a().emptyTable(a().controls());
        addControls(c.controls);
        EXPECT_EQ(dumpTree(tree), c.tree);
    }
}

// A bad Id stops the tree at that record with the message; nothing stays suspended.
TEST_F(CatalogueTabs, ControlTreeStopsOnBadId)
{
    addControls({ { "01.01.01", "01.01.01", "S", "O", "T" },
        { "id", "Xid", "section_title", "subsection_title", "control_title" } });
    showTab("TabSheet5");
    ASSERT_EQ(dialogs->errors, QStringList { QStringLiteral("'id' is not a valid integer value") });
    EXPECT_EQ(
        dumpTree(find<QTreeWidget>("tvControl")), QStringList({ "Controls", "  1 S", "    1.1 O", "      1.1.1: T" }));
    EXPECT_FALSE(a().controls().notificationsSuspended());
    EXPECT_FALSE(a().controls().isEditing());
}

// Typed changes, the library reference's included, ask "Save changes?" on a
// move; Yes saves them into the record left, No drops them.
TEST_F(CatalogueTabs, ControlEditsAreOfferedOnAMove)
{
    addControls({ { "01.01.01", "01.01.01", "S", "O", "First" }, { "01.01.02", "01.01.02", "S", "O", "Second" } });
    showTab("TabSheet5");
    Table& t = a().controls();
    auto* title = find<QLineEdit>("eControl");
    EXPECT_EQ(title->text(), QStringLiteral("First"));
    EXPECT_FALSE(window->tab<ControlsDatabaseTab>()->hasPendingEdits());
    EXPECT_EQ(window->statusText(), QString(21, QLatin1Char(' ')));

    find<QLineEdit>("eXId")->setText(QStringLiteral("X.1"));
    EXPECT_TRUE(window->tab<ControlsDatabaseTab>()->hasPendingEdits());
    dialogs->answers = { false };
    t.moveTo(1);
    EXPECT_EQ(dialogs->questions, QStringList { QStringLiteral("Save changes?") });
    EXPECT_EQ(t.textAt(0, t.fieldIndex(QStringLiteral("XId"))), QStringLiteral("01.01.01"));
    EXPECT_EQ(title->text(), QStringLiteral("Second"));

    title->setText(QStringLiteral("Second, renamed"));
    dialogs->answers = { true };
    t.moveTo(0);
    EXPECT_EQ(t.textAt(1, t.fieldIndex(QStringLiteral("control_title"))), QStringLiteral("Second, renamed"));
    EXPECT_EQ(t.currentRow(), 0);
    EXPECT_EQ(title->text(), QStringLiteral("First"));
    EXPECT_FALSE(window->tab<ControlsDatabaseTab>()->hasPendingEdits());
}

// Add, Save (the tree follows), a tree click, Delete by link and by key.
TEST_F(CatalogueTabs, ControlAddSaveDelete)
{
    addControls({ { "01.01.01", "01.01.01", "S", "O", "First" } });
    showTab("TabSheet5");
    Table& t = a().controls();
    auto* tree = find<QTreeWidget>("tvControl");

    click("hAdd3");
    EXPECT_EQ(t.text(QStringLiteral("Id")), QStringLiteral("99.99.99"));
    EXPECT_EQ(find<QLineEdit>("eId")->text(), QStringLiteral("99.99.99"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Record added             "));
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_FALSE(window->tab<ControlsDatabaseTab>()->hasPendingEdits());
    EXPECT_EQ(tree->currentItem(), findNode(tree, QStringLiteral(": "))); // no library reference yet

    find<QLineEdit>("eControl")->setText(QStringLiteral("Only the title"));
    click("hSave4");
    EXPECT_TRUE(findNode(tree, QStringLiteral(": Only the title")));
    find<QLineEdit>("eId")->setText(QStringLiteral("02.01.01"));
    find<QLineEdit>("eXId")->setText(QStringLiteral("02.01.01"));
    click("hSave4");
    EXPECT_TRUE(findNode(tree, QStringLiteral("2.1.1: Only the title")));
    EXPECT_EQ(window->statusText(), QStringLiteral("Save Complete             "));
    EXPECT_FALSE(window->tab<ControlsDatabaseTab>()->hasPendingEdits());

    // A click on a leaf makes its control current.
    QTreeWidgetItem* leaf = findNode(tree, QStringLiteral("1.1.1: First"));
    ASSERT_TRUE(leaf);
    Q_EMIT tree->itemClicked(leaf, 0);
    EXPECT_EQ(t.text(QStringLiteral("Id")), QStringLiteral("01.01.01"));
    EXPECT_EQ(find<QLineEdit>("eControl")->text(), QStringLiteral("First"));

    window->assessment().setWorkArchived(true);
    dialogs->answers = { false };
    window->tab<ControlsDatabaseTab>()->deleteControl(false);
    EXPECT_EQ(t.recordCount(), 2);
    dialogs->answers = { true };
    window->tab<ControlsDatabaseTab>()->deleteControl(false);
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_FALSE(window->assessment().workArchived()); // the key's delete is a change as well
    EXPECT_EQ(window->statusText(), QStringLiteral("Deleted                "));
    window->assessment().setWorkArchived(true);
    dialogs->answers = { true };
    click("hDelete3");
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_FALSE(window->assessment().workArchived()); // the link clears it
    EXPECT_EQ(dialogs->questions.count(QStringLiteral("Confirm Delete")), 3);
}

// The two buttons: a question, a file dialog, the import, the tab shown again.
TEST_F(CatalogueTabs, ImportButtons)
{
    const QString controls = dir.filePath(QStringLiteral("c.xlsx"));
    const QString attributes = dir.filePath(QStringLiteral("a.xlsx"));
    writeSheet(controls, { { "01.01.01", nullptr, "S", "O", "", "Imported", "" } });
    writeSheet(attributes, { { "Grp", 2.0, "Avail", "Business" }, { "END" } });
    addControls({ { "05.05.05", "05.05.05", "S", "O", "Old" } });

    showTab("TabSheet5");
    click("bImport2"); // No: nothing more happens
    EXPECT_EQ(
        dialogs->questions, QStringList { QStringLiteral("Are you sure you want to replace the current controls?") });
    EXPECT_TRUE(dialogs->fileRequests.isEmpty());
    dialogs->answers = { true };
    dialogs->files = { controls };
    click("bImport2");
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests.first().defaultSuffix, QStringLiteral("xlsx"));
    EXPECT_EQ(
        dialogs->fileRequests.first().filter, QStringLiteral("Spreadsheets (*.xlsx *.xls);;OSCAL catalogs (*.json)"));
    EXPECT_EQ(a().controls().recordCount(), 1);
    EXPECT_EQ(find<QLineEdit>("eControl")->text(), QStringLiteral("Imported"));
    EXPECT_TRUE(findNode(find<QTreeWidget>("tvControl"), QStringLiteral("1.1.1: Imported")));
    EXPECT_EQ(dialogs->waitDepth, 0);

    showTab("TabSheet7");
    dialogs->answers = { true };
    dialogs->files = { QString() }; // cancelled
    click("bImport1");
    EXPECT_EQ(dialogs->questions.last(), QStringLiteral("Are you sure you want to replace the current attributes?"));
    EXPECT_EQ(a().attribute().recordCount(), 0);
    dialogs->answers = { true };
    dialogs->files = { attributes };
    click("bImport1");
    EXPECT_EQ(dialogs->fileRequests.last().filter, QStringLiteral("Spreadsheets (*.xlsx *.xls)"));
    EXPECT_EQ(a().attribute().recordCount(), 1);
    EXPECT_EQ(find<QLineEdit>("eAttName2")->text(), QStringLiteral("Avail"));
    EXPECT_EQ(dumpTree(find<QTreeWidget>("tvAttribute")), QStringList({ "Attributes", "  Grp", "    Avail" }));
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join(QLatin1Char('\n')).toStdString();
}

// Re-importing a set that drops an attribute the assessment uses names it
// first; No changes nothing, Yes imports and says what was kept and dropped.
TEST_F(CatalogueTabs, ReimportNamesWhatIsLostFirst)
{
    const QString set = dir.filePath(QStringLiteral("a.xlsx"));
    writeSheet(set, { { "Sec", 5.0, "Ready", "Security" }, { "END" } });
    addAttribute("Sec", "5", "Ready", "Security");
    addAttribute("Sec", "5", "Gone", "Security");
    a().store().exec(QStringLiteral("UPDATE Attribute SET SecControls='01.01.01: A\r\n'"));
    a().attribute().refresh();
    showTab("TabSheet7");

    const QString replace = QStringLiteral("Are you sure you want to replace the current attributes?");
    const QString lost = "1 attribute that the assessment uses is not in the new set: Gone (1 control).\n\nTheir "
                         "objectives, controls and profile text are lost; driver profile rows stay but name no "
                         "attribute. Import anyway?";
    dialogs->answers = { true, false };
    dialogs->files = { set };
    click("bImport1");
    EXPECT_EQ(dialogs->questions, (QStringList { replace, lost }));
    EXPECT_EQ(a().attribute().recordCount(), 2);

    dialogs->answers = { true, true };
    dialogs->files = { set };
    click("bImport1");
    EXPECT_EQ(dialogs->questions.mid(2), (QStringList { replace, lost }));
    EXPECT_EQ(visible(a().attribute(), "Attribute"), QStringList { "Ready" });
    EXPECT_EQ(a().attribute().text(QStringLiteral("SecControls")), QStringLiteral("01.01.01: A\r\n"));
    EXPECT_EQ(window->statusText(),
        "Attribute set imported: 1 attribute, 0 BTAtt links and 0 TSAtt links; 1 attribute kept objectives, controls "
        "or profile text; 1 attribute dropped");
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
}

// Attribute tree: runs of one group, repeated labels, records without a group
// before the first group node stand beside the root.
TEST_F(CatalogueTabs, AttributeTree)
{
    addAttribute("", "0", "Loose", "Business");
    addAttribute("Alpha", "1", "Able", "Business");
    addAttribute("Beta", "1", "Bold", "Business"); // same number as Alpha: the groups interleave
    addAttribute("Alpha", "1", "Calm", "Business");
    a().attribute().setFilter(QStringLiteral("InUse=TRUE"));
    a().attribute().setFiltered(true); // another tab's filter is lifted for the tree
    showTab("TabSheet7");
    EXPECT_EQ(dumpTree(find<QTreeWidget>("tvAttribute")),
        QStringList({ "Attributes", "  Alpha", "    Able", "  Beta", "    Bold", "  Alpha", "    Calm", "Loose" }));
    EXPECT_EQ(window->statusText(), QString(21, QLatin1Char(' ')));
}

// The mapping grids follow the tier of the attribute shown.
TEST_F(CatalogueTabs, MappingGridsFollowTheTier)
{
    addAttribute("G", "1", "Bus", "Business");
    addAttribute("G", "1", "Lonely", "Business");
    addAttribute("G", "2", "Tech", "Technical");
    addAttribute("G", "3", "Sec", "Security");
    addLink(a().businessToTechnical(), "Bus", "Tech");
    addLink(a().businessToTechnical(), "Bus", "Tech2");
    addLink(a().technicalToSecurity(), "Tech", "Sec");
    addLink(a().technicalToSecurity(), "Tech2", "Sec2");
    addLink(a().technicalToSecurity(), "", "Nameless");
    showTab("TabSheet7");
    Table& att = a().attribute();
    auto* tab = window->tab<AttributesDatabaseTab>();
    struct Case {
        const char* attribute;
        QStringList tech, sec;
    };
    const std::vector<Case> cases = { { "Bus", { "Tech", "Tech2" }, { "Sec" } },
        { "Lonely", {}, { "Nameless" } }, // no link: filtered on an empty name
        { "Tech", {}, { "Sec" } }, { "Sec", {}, {} } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute);
        ASSERT_TRUE(att.locate(QStringLiteral("Attribute"), { QString::fromLatin1(c.attribute) }));
        EXPECT_EQ(visible(a().businessToTechnical(), "TechAtt"), c.tech);
        EXPECT_EQ(visible(a().technicalToSecurity(), "SecAtt"), c.sec);
    }
    // Following the second technical attribute of Bus.
    att.locate(QStringLiteral("Attribute"), { QStringLiteral("Bus") });
    a().businessToTechnical().moveTo(1);
    tab->followTechnicalAttribute();
    EXPECT_EQ(visible(a().technicalToSecurity(), "SecAtt"), QStringList { QStringLiteral("Sec2") });
    // Clicking the business attribute again follows its first technical attribute,
    // wherever the mapping grid's cursor was left.
    clickRow("DBGrid6", att.currentRow());
    EXPECT_EQ(visible(a().technicalToSecurity(), "SecAtt"), QStringList { QStringLiteral("Sec") });
}

// Add, Save with the sort key and tier rule, the bad Sequence, the tree
// following the rows, a tree click, Delete.
TEST_F(CatalogueTabs, AttributeAddAndSave)
{
    addAttribute("G", "1", "Able", "Business");
    showTab("TabSheet7");
    Table& att = a().attribute();
    auto* tree = find<QTreeWidget>("tvAttribute");

    click("hAdd6");
    EXPECT_EQ(att.text(QStringLiteral("GrAtt")), QStringLiteral("00Attribute Name"));
    EXPECT_EQ(att.text(QStringLiteral("Group")), QStringLiteral("Group Name"));
    EXPECT_EQ(find<QLineEdit>("eAttSeq2")->text(), QStringLiteral("0"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Record added             "));
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_EQ(tree->currentItem(), findNode(tree, QStringLiteral("Attribute Name")));

    find<QPlainTextEdit>("mAttDesc2")->setPlainText(QStringLiteral("text only"));
    find<QLineEdit>("eTier")->setText(QStringLiteral("technical"));
    click("hSave6");
    EXPECT_EQ(att.text(QStringLiteral("Tier")), QStringLiteral("Business")); // not an exact tier word
    EXPECT_EQ(find<QLineEdit>("eTier")->text(), QStringLiteral("Business")); // shown as stored
    EXPECT_EQ(att.text(QStringLiteral("Description")), QStringLiteral("text only"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Save Complete               "));

    find<QLineEdit>("eAttName2")->setText(QStringLiteral("Usable"));
    find<QLineEdit>("eAttSeq2")->setText(QStringLiteral("7"));
    find<QLineEdit>("eTier")->setText(QStringLiteral("Technical"));
    click("hSave6");
    EXPECT_EQ(tree->currentItem(), findNode(tree, QStringLiteral("Usable")));
    EXPECT_EQ(att.text(QStringLiteral("Attribute")), QStringLiteral("Usable")); // still the record saved
    EXPECT_EQ(att.currentRow(), 1);
    EXPECT_EQ(att.text(QStringLiteral("GrAtt")), QStringLiteral("07Usable"));
    EXPECT_EQ(att.text(QStringLiteral("Tier")), QStringLiteral("Technical"));

    window->assessment().setWorkArchived(true);
    find<QLineEdit>("eAttName2")->setText(QStringLiteral("Broken"));
    find<QLineEdit>("eAttSeq2")->setText(QStringLiteral("7x"));
    click("hSave6");
    EXPECT_EQ(dialogs->errors, QStringList { QStringLiteral("'7x' is not a valid integer value") });
    EXPECT_FALSE(att.isEditing());
    EXPECT_EQ(att.text(QStringLiteral("Attribute")), QStringLiteral("Usable"));
    EXPECT_TRUE(window->assessment().workArchived());
    EXPECT_TRUE(window->tab<AttributesDatabaseTab>()->hasPendingEdits()); // the edits are kept
    EXPECT_EQ(dialogs->waitDepth, 0);

    // A click on an attribute node offers the edits, then shows that attribute.
    dialogs->answers = { false };
    Q_EMIT tree->itemClicked(findNode(tree, QStringLiteral("Able")), 0);
    EXPECT_EQ(dialogs->questions, QStringList { QStringLiteral("Save changes?") });
    EXPECT_EQ(att.text(QStringLiteral("Attribute")), QStringLiteral("Able"));
    EXPECT_EQ(find<QLineEdit>("eAttName2")->text(), QStringLiteral("Able"));
    EXPECT_EQ(find<QLineEdit>("eTier")->text(), QStringLiteral("Business"));

    dialogs->answers = { true };
    click("hDelete6");
    EXPECT_EQ(att.recordCount(), 1);
    EXPECT_FALSE(window->assessment().workArchived());
    EXPECT_EQ(tree->currentItem(), findNode(tree, QStringLiteral("Usable")));
    EXPECT_EQ(find<QLineEdit>("eAttName2")->text(), QStringLiteral("Usable"));
}

// After a renamed business attribute's links moved, the mapping grids show
// them under the new name, the security attributes of its first technical
// attribute included.
TEST_F(CatalogueTabs, RenamedBusinessAttributeKeepsItsMappingGridsFilled)
{
    addAttribute("Ops", "1", "Quick", "Business");
    addLink(a().businessToTechnical(), "Quick", "Fast");
    addLink(a().technicalToSecurity(), "Fast", "Safe");
    showTab("TabSheet7");
    ASSERT_TRUE(a().attribute().locate(QStringLiteral("Attribute"), { QStringLiteral("Quick") }));
    find<QLineEdit>("eAttName2")->setText(QStringLiteral("Speedy"));
    dialogs->answers = { true };
    click("hSave6");
    ASSERT_EQ(dialogs->questions.size(), 1);
    EXPECT_EQ(a().businessToTechnical().recordCount(), 1);
    EXPECT_EQ(a().technicalToSecurity().recordCount(), 1);
}

// Renaming an attribute takes every link along after a question that says
// how many move; No keeps the edits unsaved and moves nothing.
TEST_F(CatalogueTabs, RenamingAnAttributeMovesItsLinks)
{
    addAttribute("Sec", "5", "Ready", "Security");
    addAttribute("Sec", "5", "Prepared", "Security");
    addLink(a().businessToTechnical(), "Ready", "Fast"); // an odd link, but a name all the same
    addLink(a().technicalToSecurity(), "Fast", "Ready");
    addRow(a().driverProfiles(), { { "CSeq", "BD1" }, { "Attribute", "Ready" }, { "Priority", "1" } });
    addRow(a().driverProfiles(), { { "CSeq", "BD2" }, { "Attribute", "Ready" }, { "Priority", "3" } });
    addRow(a().driverProfiles(), { { "CSeq", "BD2" }, { "Attribute", "Prepared" }, { "Priority", "2" } });
    addRow(a().applications(), { { "Application", "Shop" }, { "SecAtt", "Ready\r\nOther\r\n" } });
    addRow(a().appControl(), { { "Application", "Shop" }, { "Attribute", "Ready" }, { "Risk", "Outage" } });
    showTab("TabSheet7");
    ASSERT_TRUE(a().attribute().locate(QStringLiteral("Attribute"), { QStringLiteral("Ready") }));
    find<QLineEdit>("eAttName2")->setText(QStringLiteral("Prepared"));

    const QString question = "Rename the attribute Ready to Prepared? 6 links move with it: 2 mapping rows (BTAtt, "
                             "TSAtt), 2 driver profile rows, 1 application's attribute list, 1 application risk entry. "
                             "1 profile row of a driver that already profiles Prepared merges into that row, which "
                             "keeps the higher priority.";
    dialogs->answers = { false };
    click("hSave6");
    EXPECT_EQ(dialogs->questions, QStringList { question });
    EXPECT_TRUE(window->tab<AttributesDatabaseTab>()->hasPendingEdits());
    EXPECT_EQ(a().driverProfiles().recordCount(), 3);

    dialogs->answers = { true };
    click("hSave6");
    EXPECT_EQ(dialogs->questions.size(), 2);
    EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
    Store& store = a().store();
    auto rows = [&](const char* sql) {
        QStringList out;
        store.cached(QString::fromLatin1(sql)).eachRow([&](SqlStatement& q) {
            QStringList fields;
            for (int c = 0; c < 3; ++c)
                fields << q.text(c);
            out << fields.join('|');
        });
        return out;
    };
    EXPECT_EQ(rows("SELECT BTAtt, BusAtt, TechAtt FROM BTAtt"),
        QStringList { "Prepared        Fast            |Prepared|Fast" });
    EXPECT_EQ(rows("SELECT TSAtt, TechAtt, SecAtt FROM TSAtt"),
        QStringList { "Fast            Prepared        |Fast|Prepared" });
    EXPECT_EQ(rows("SELECT CSeq, Attribute, Priority FROM DrAtt ORDER BY rowid"),
        (QStringList { "BD1|Prepared|1", "BD2|Prepared|2" }));
    EXPECT_EQ(rows("SELECT SecAtt, Application, '' FROM Applications"), QStringList { "Prepared\r\nOther\r\n|Shop|" });
    EXPECT_EQ(rows("SELECT Attribute, Risk, '' FROM AppControl"), QStringList { "Prepared|Outage|" });

    // Now two attributes carry the name: renaming one leaves the links with
    // the other, and asks nothing.
    find<QLineEdit>("eAttName2")->setText(QStringLiteral("Renamed"));
    click("hSave6");
    EXPECT_EQ(dialogs->questions.size(), 2);
    EXPECT_EQ(rows("SELECT CSeq, Attribute, Priority FROM DrAtt ORDER BY rowid"),
        (QStringList { "BD1|Prepared|1", "BD2|Prepared|2" }));
}

// While a catalogue is empty its tabs offer the starter set; one click loads
// it, after the pending edits are offered, and the offer goes.
TEST_F(CatalogueTabs, EmptyCataloguesOfferTheStarterSets)
{
    const struct {
        const char* tab;
        const char* offer;
        const char* table;
    } cases[] = { { "AttributeTab", "hStarterAttributes", "Attribute" },
        { "TabSheet7", "hStarterAttributes", "Attribute" }, { "TabSheet5", "hStarterControls", "Controls" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        a().clearDatabase();
        Table& sys = a().system();
        sys.edit();
        sys.setText(
            QStringLiteral("AutoControlFile"), QStringLiteral(QUARRIX_SOURCE_DIR "/sets/starter_controls.xlsx"));
        sys.setText(
            QStringLiteral("AutoAttributeFile"), QStringLiteral(QUARRIX_SOURCE_DIR "/sets/starter_attributes.xlsx"));
        sys.post();
        showTab(c.tab);
        Table& t = *a().byName(QString::fromLatin1(c.table));
        auto* tab = window->findChild<QWidget*>(QString::fromLatin1(c.tab));
        auto* offer = tab->findChild<QLabel*>(QString::fromLatin1(c.offer));
        ASSERT_TRUE(offer);
        EXPECT_FALSE(offer->isHidden());
        QTest::mouseClick(offer, Qt::LeftButton);
        EXPECT_TRUE(dialogs->errors.isEmpty()) << dialogs->errors.join('\n').toStdString();
        EXPECT_GT(t.recordCount(), 10);
        EXPECT_TRUE(offer->isHidden());
    }
    // The tab shows what was loaded.
    EXPECT_FALSE(find<QLineEdit>("eId")->text().isEmpty());
    EXPECT_GT(find<QTreeWidget>("tvControl")->topLevelItem(0)->childCount(), 1);
}
