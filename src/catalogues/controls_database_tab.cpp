#include "catalogues/controls_database_tab.h"

#include "catalogues/catalogue_keys.h"
#include "catalogues/catalogue_tab_helpers.h"
#include "catalogues/control_set_import.h"
#include "catalogues/import_guard.h"
#include "gui/data_grid.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "store/assessment.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace CatalogueTab;

ControlsDatabaseTab::ControlsDatabaseTab(TabHost& host)
    : TabPage(host, "TabSheet5", QStringLiteral("Controls Database "))
{
    link(QStringLiteral("Add"), "hAdd3", QRect(520, 242, 30, 18), [this] { hAdd3Click(); });
    link(QStringLiteral("Delete"), "hDelete3", QRect(558, 242, 50, 18), [this] { hDelete3Click(); });

    auto* editor = new QGroupBox(QStringLiteral("Control"), this);
    editor->setObjectName(QStringLiteral("GroupBox9"));
    editor->setGeometry(8, 262, 600, 280);
    addLabel(QStringLiteral("Id "), QRect(8, 22, 60, 16), editor);
    m_id = control<QLineEdit>(
        "eId", QStringLiteral("This is the unique structured control  identifier"), QRect(70, 18, 80, 22), editor);
    m_xid = control<QLineEdit>("eXId", QStringLiteral("This is the controls library reference Id for the control"),
        QRect(156, 18, 80, 22), editor);
    addLabel(QStringLiteral("Section "), QRect(8, 48, 60, 16), editor);
    m_section = control<QLineEdit>("eSection",
        QStringLiteral("This is the top level setion to which he control  (as part of the control objective) belongs "),
        QRect(70, 44, 520, 22), editor);
    addLabel(QStringLiteral("Objective"), QRect(8, 74, 60, 16), editor);
    m_subsectionTitle = control<QLineEdit>("eSubSection",
        QStringLiteral("This is the control objective to which the control belongs"), QRect(70, 70, 520, 22), editor);
    m_subsection = control<QPlainTextEdit>("mSubSection",
        QStringLiteral("The description of the ontrol objective in terms relevant to the enterprise"),
        QRect(70, 96, 520, 66), editor);
    addLabel(QStringLiteral("Control"), QRect(8, 172, 60, 16), editor);
    m_controlTitle = control<QLineEdit>(
        "eControl", QStringLiteral("The short control description"), QRect(70, 168, 520, 22), editor);
    m_control = control<QPlainTextEdit>("mControl",
        QStringLiteral("The long control description, in terms relevant to the enterprise"), QRect(70, 194, 520, 78),
        editor);
    auto* save = new LinkLabel(QStringLiteral("Save"), "hSave4", editor);
    save->setGeometry(556, 0, 40, 16);
    connect(save, &LinkLabel::clicked, this, [this] { run([this] { hSave4Click(); }); });

    // A change typed into these six editors is an edit; eXId alone is not.
    for (QLineEdit* e : { m_id, m_section, m_subsectionTitle, m_controlTitle })
        connect(e, &QLineEdit::textChanged, this, [this] { CtrlChange(); });
    for (QPlainTextEdit* e : { m_subsection, m_control })
        connect(e, &QPlainTextEdit::textChanged, this, [this] { CtrlChange(); });

    m_tree = control<QTreeWidget>(
        "tvControl", QStringLiteral("Th is a tree view of the controls"), QRect(616, 8, 296, 440), this);
    m_tree->setHeaderHidden(true);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { run([this] { tvControlDblClick(); }); });

    auto* import = new QGroupBox(QStringLiteral("Import "), this);
    import->setObjectName(QStringLiteral("GroupBox10"));
    import->setGeometry(616, 454, 296, 88);
    auto* button = control<QPushButton>("bImport2", {}, QRect(88, 32, 120, 28), import);
    button->setText(QStringLiteral("Control Set"));
    connect(button, &QPushButton::clicked, this, [this] { run([this] { bImport2Click(); }); });
}

void ControlsDatabaseTab::storeOpened()
{
    Table& controls = assessment().controls();
    m_grid = new DataGrid(controls,
        { { QStringLiteral("Id"), QStringLiteral("Id") }, { QStringLiteral("XId"), QStringLiteral("Alt Id") },
            { QStringLiteral("section_title"), QStringLiteral("Section") },
            { QStringLiteral("subsection_title"), QStringLiteral("Subsection") },
            { QStringLiteral("control_title"), QStringLiteral("Control") } },
        true, "DBGrid4", this);
    m_grid->setGeometry(8, 8, 600, 230);
    m_grid->setColumnWidth(0, 64);
    m_grid->setColumnWidth(1, 64);
    m_grid->setColumnWidth(2, 140);
    m_grid->setColumnWidth(3, 140);
    m_grid->show();
    releaseOnTableEnd(m_grid);
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid4CellClick(); }); });
    connect(m_grid, &DataGrid::keyReleased, this, [this](int key) { run([this, key] { DBGrid4KeyUp(key); }); });
    controls.addMoveGuard(this, [this] {
        ControlsTableBeforeScroll();
        return MoveDecision::GoOn;
    });
    connect(&controls, &Table::afterMove, this, [this] { ControlsTableAfterScroll(); });
}

void ControlsDatabaseTab::TabSheet5Show()
{
    MakeControlTree();
    DBGrid4CellClick();
    m_edited = false;
    setStatus(kBlank21);
}

void ControlsDatabaseTab::MakeControlTree()
{
    m_tree->clear();
    auto* root = new QTreeWidgetItem(QStringList { QStringLiteral("Controls") });
    m_tree->addTopLevelItem(root);
    Table& t = assessment().controls();
    // Display updates resume however the walk ends, a bad Id included.
    const DisplaySuspended suspended { &t };
    if (!m_inBeforeMove)
        t.first();
    const int idField = t.fieldIndex(QStringLiteral("Id"));
    const int xidField = t.fieldIndex(QStringLiteral("XId"));
    const int sectionField = t.fieldIndex(QStringLiteral("section_title"));
    const int objectiveField = t.fieldIndex(QStringLiteral("subsection_title"));
    const int titleField = t.fieldIndex(QStringLiteral("control_title"));
    int previousSection = 0;
    int previousObjective = 0;
    QTreeWidgetItem* sectionNode = nullptr;
    QTreeWidgetItem* objectiveNode = nullptr;
    auto addChild = [this](QTreeWidgetItem* parent, const QString& label) {
        auto* node = new QTreeWidgetItem(QStringList { label });
        if (parent)
            parent->addChild(node);
        else
            m_tree->addTopLevelItem(node);
        return node;
    };
    for (int row = 0; row < t.recordCount(); ++row) {
        const QString id = t.textAt(row, idField);
        const int section = CatalogueKeys::strictInteger(id.mid(0, 2));
        const int objective = CatalogueKeys::strictInteger(id.mid(3, 2));
        const int number = CatalogueKeys::strictInteger(id.right(2));
        if (section != previousSection) {
            previousSection = section;
            sectionNode = addChild(root, QStringLiteral("%1 %2").arg(section).arg(t.textAt(row, sectionField)));
            previousObjective = 0;
        }
        if (objective != previousObjective) {
            previousObjective = objective;
            objectiveNode = addChild(
                sectionNode, QStringLiteral("%1.%2 %3").arg(section).arg(objective).arg(t.textAt(row, objectiveField)));
        }
        const QString xid = t.textAt(row, xidField);
        const QString title = t.textAt(row, titleField);
        addChild(objectiveNode,
            id != xid ? QStringLiteral("%1: %2").arg(xid, title)
                      : QStringLiteral("%1.%2.%3: %4").arg(section).arg(objective).arg(number).arg(title));
    }
    root->setExpanded(true);
}

void ControlsDatabaseTab::fillEditors()
{
    Table& t = assessment().controls();
    if (!t.hasRecord())
        return;
    m_filling = true;
    m_id->setText(t.text(QStringLiteral("Id")));
    m_xid->setText(t.text(QStringLiteral("XId")));
    m_section->setText(t.text(QStringLiteral("section_title")));
    m_subsectionTitle->setText(t.text(QStringLiteral("subsection_title")));
    Text::setMemo(m_subsection, t.text(QStringLiteral("subsection")));
    m_controlTitle->setText(t.text(QStringLiteral("control_title")));
    Text::setMemo(m_control, t.text(QStringLiteral("control")));
    m_filling = false;
    m_edited = false;
}

void ControlsDatabaseTab::DBGrid4CellClick()
{
    fillEditors();
}

void ControlsDatabaseTab::CtrlChange()
{
    if (!m_filling)
        m_edited = true;
}

void ControlsDatabaseTab::ControlsTableBeforeScroll()
{
    if (!m_edited)
        return;
    // An error here must not escape into the table's move.
    run([this] {
        if (dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes)) {
            m_inBeforeMove = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset { m_inBeforeMove };
            hSave4Click();
        }
    });
    m_edited = false;
}

bool ControlsDatabaseTab::offerPendingEdits()
{
    ControlsTableBeforeScroll();
    return true;
}

void ControlsDatabaseTab::ControlsTableAfterScroll()
{
    if (!isPageShown())
        return;
    fillEditors();
    if (!assessment().controls().hasRecord())
        m_edited = false;
}

void ControlsDatabaseTab::tvControlDblClick()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (m_tree->topLevelItemCount() == 0 || !node || !node->isSelected() || level(node) != 3)
        return;
    const QString text = node->text(0);
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        assessment().controls().locate(QStringLiteral("control_title"), { text.mid(colon + 2) });
    fillEditors();
}

void ControlsDatabaseTab::hAdd3Click()
{
    Table& t = assessment().controls();
    t.append();
    m_filling = true;
    for (QLineEdit* e : { m_section, m_subsectionTitle, m_controlTitle, m_xid })
        e->clear();
    m_subsection->clear();
    m_control->clear();
    m_filling = false;
    m_id->setText(QStringLiteral("99.99.99"));
    t.setText(QStringLiteral("Id"), m_id->text());
    t.post();
    m_edited = false;
    setStatus(kRecordAdded);
    m_id->setFocus();
    markWorkUnarchived();
}

void ControlsDatabaseTab::hSave4Click()
{
    Table& t = assessment().controls();
    if (!t.hasRecord())
        return;
    WaitCursor wait(dialogs());
    const QString oldId = t.text(QStringLiteral("Id"));
    t.edit();
    try {
        t.setText(QStringLiteral("Id"), m_id->text());
        t.setText(QStringLiteral("XId"), m_xid->text());
        t.setText(QStringLiteral("section_title"), m_section->text());
        t.setText(QStringLiteral("subsection_title"), m_subsectionTitle->text());
        t.setText(QStringLiteral("subsection"), Text::memo(m_subsection));
        t.setText(QStringLiteral("control_title"), m_controlTitle->text());
        t.setText(QStringLiteral("control"), Text::memo(m_control));
        t.post();
    } catch (...) {
        t.cancel(); // nothing is left half-edited
        throw;
    }
    m_edited = false;
    markWorkUnarchived();
    if (m_id->text() != oldId)
        MakeControlTree();
    setStatus(QStringLiteral("Save Complete             "));
}

void ControlsDatabaseTab::deleteCurrent(bool clearsSaved)
{
    if (!deleteConfirmed(assessment().controls(), dialogs()))
        return;
    setStatus(kDeleted);
    if (clearsSaved)
        markWorkUnarchived();
}

void ControlsDatabaseTab::hDelete3Click()
{
    deleteCurrent(true);
}

void ControlsDatabaseTab::DBGrid4KeyUp(int key)
{
    if (key == Qt::Key_Delete)
        deleteCurrent(false);
}

void ControlsDatabaseTab::bImport2Click()
{
    // The import replaces records other tabs may be editing.
    if (!host().offerPendingEdits())
        return;
    const QString file
        = chooseImportFile(dialogs(), QStringLiteral("Are you sure you want to replace the current controls?"),
            kImportFilter + QStringLiteral(";;OSCAL catalogs (*.json)"));
    if (file.isEmpty())
        return;
    WaitCursor wait(dialogs());
    importControlSet(assessment(), file);
    TabSheet5Show();
}
