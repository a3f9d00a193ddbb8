#include "app/main_window.h"

#include "analysis/applications_tab.h"
#include "analysis/business_attributes_tab.h"
#include "analysis/drivers_tab.h"
#include "analysis/in_use_derivation.h"
#include "analysis/requirements_tab.h"
#include "analysis/security_attributes_tab.h"
#include "app/help_sections.h"
#include "app/project_tab.h"
#include "app/store_problem_bar.h"
#include "catalogues/attribute_set_import.h"
#include "catalogues/attributes_database_tab.h"
#include "catalogues/control_set_import.h"
#include "catalogues/controls_database_tab.h"
#include "catalogues/starter_sets.h"
#include "files/data_folder.h"
#include "gui/record_editor.h"
#include "reports/reports_tab.h"
#include "settings/settings_tab.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/store.h"
#include "upload/upload_tab.h"
#include "viewers/about_window.h"
#include "viewers/picture_window.h"
#include "viewers/taxonomy_picture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

static const QSize kMinimumOuterSize(936, 720);

MainWindow::MainWindow(const QString& storePath, std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(
          dialogs ? std::move(dialogs) : std::make_unique<WidgetDialogs>(this, QFileInfo(storePath).absolutePath()))
{
    setObjectName(QStringLiteral("Form2"));
    setMinimumSize(kMinimumOuterSize);
    resize(kMinimumOuterSize);

    // The bar and the division filter stay while the tabs are built again
    // for another store.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    m_column = new QVBoxLayout(central);
    m_column->setContentsMargins(0, 2, 0, 0);
    m_column->setSpacing(2);
    m_storeBar = new StoreProblemBar;
    m_column->addWidget(m_storeBar);
    m_column->addWidget(buildDivisionFilter(), 0, Qt::AlignRight);
    setCentralWidget(central);
    connect(m_storeBar, &StoreProblemBar::openStoreRequested, this,
        [this] { runCommand([this] { chooseStoreToOpen(); }); });
    connect(
        m_storeBar, &StoreProblemBar::newStoreRequested, this, [this] { runCommand([this] { chooseNewStore(); }); });
    connect(m_storeBar, &StoreProblemBar::retryRequested, this,
        [this] { runCommand([this] { switchToStore(m_storePath, false); }); });

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_status = new QLabel(bar);
    m_status->setObjectName(QStringLiteral("StatusText"));
    // A long text (a path, an error) is cut at the window's edge rather than
    // widening the window; its tooltip holds it whole.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_status, 1);
    setStatusBar(bar);

    buildMenu();
    buildTabs();
    connectTabs();

    for (auto key :
        { QKeySequence(Qt::Key_F1), QKeySequence(Qt::SHIFT | Qt::Key_F1), QKeySequence(Qt::CTRL | Qt::Key_F1) }) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this] { runCommand([this] { openHelp(); }); });
    }
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, this, [this] {
        if (storeIsOpen())
            runCommand([this] { m_pageShown->save(); });
    });

    startUp(storePath);
    createViewers();
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    // The tabs' grids and editors read the tables until they are gone, so the
    // widgets go before the assessment that owns the tables.
    delete takeCentralWidget();
    for (QWidget* viewer :
        std::initializer_list<QWidget*> { m_architectureMatrix, m_serviceMatrix, m_taxonomy, m_about })
        delete viewer;
}

QWidget* MainWindow::buildDivisionFilter()
{
    auto* holder = new QWidget;
    auto* box = new QVBoxLayout(holder);
    box->setContentsMargins(0, 0, 8, 0);
    box->setSpacing(0);
    auto* label = new QLabel(QStringLiteral("Division Filter"));
    label->setObjectName(QStringLiteral("Label5"));
    box->addWidget(label);
    m_division = new QComboBox;
    m_division->setObjectName(QStringLiteral("cbDivision0"));
    m_division->setEditable(true);
    m_division->setInsertPolicy(QComboBox::NoInsert);
    m_division->setFixedWidth(140);
    m_division->setToolTip(QStringLiteral(
        "This selection will limit data displays and reports to the selected division (or all if selected)"));
    box->addWidget(m_division);
    connect(
        m_division, &QComboBox::currentTextChanged, this, [this] { runCommand([this] { applyDivisionFilter(); }); });
    return holder;
}

void MainWindow::buildMenu()
{
    auto add = [this](QMenu* menu, const QString& text, const char* name, std::function<void()> command) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    m_storeCommands = { add(file, QStringLiteral("New Database"), "NewDatabase1", [this] { newDatabase(); }),
        add(file, QStringLiteral("Load from Archive"), "LoadfromArchive1", [this] { loadFromArchive(); }),
        add(file, QStringLiteral("Save to Archive"), "SavetoArchive1", [this] { saveToArchive(); }),
        add(file, QStringLiteral("Clear Database"), "ClearDatabase1", [this] { clearDatabase(); }),
        add(file, QStringLiteral("Compare with Archive..."), "CompareWithArchive1", [this] { compareWithArchive(); }) };
    file->addSeparator();
    add(file, QStringLiteral("Open Store..."), "OpenStore1", [this] { chooseStoreToOpen(); });
    add(file, QStringLiteral("New Store..."), "NewStore1", [this] { chooseNewStore(); });
    file->addSeparator();
    add(file, QStringLiteral("Exit"), "Exit1", [this] { exitProgram(); });

    QMenu* refs = menuBar()->addMenu(QStringLiteral("&References"));
    refs->setObjectName(QStringLiteral("References1"));
    add(refs, QStringLiteral("Architecture Matrix"), "ArchitectureMatrix1",
        [this] { m_architectureMatrix->showWindow(); });
    add(refs, QStringLiteral("Service Management Matrix"), "ServiceManagementMatrix1",
        [this] { m_serviceMatrix->showWindow(); });
    add(refs, QStringLiteral("Attribute Taxonomy"), "AttributeTaxonomy1", [this] { m_taxonomy->showWindow(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    // The guide opens from the menu as it does with F1, at the tab shown.
    add(help, QStringLiteral("Quarrix Help"), "QuarrixHelp1", [this] { openHelp(); });
    add(help, QStringLiteral("About Quarrix"), "AboutQuarrix1", [this] { m_about->showWindow(); });
}

void MainWindow::buildTabs()
{
    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // Eleven captions fit the designed width without scroll buttons.
    m_pages->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 4px 5px; margin-right: 1px; border: 1px solid #a8a8a8; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e4e4e4; }"
        "QTabBar::tab:selected { background: #fbfbfb; border-color: #7a7a7a; }"
        "QTabBar::tab:disabled { color: #9a9a9a; }"));
    m_column->addWidget(m_pages, 1);
    m_tabs = { m_project = new ProjectTab(*this), m_requirements = new RequirementsTab(*this),
        m_drivers = new DriversTab(*this), m_profile = new BusinessAttributesTab(*this),
        m_securityAttributes = new SecurityAttributesTab(*this), m_applications = new ApplicationsTab(*this),
        m_reports = new ReportsTab(*this), m_attributesDatabase = new AttributesDatabaseTab(*this),
        m_controlsDatabase = new ControlsDatabaseTab(*this), m_upload = new UploadTab(*this),
        m_settings = new SettingsTab(*this) };
    for (TabPage* page : m_tabs)
        m_pages->addTab(page, page->caption());
    m_pageShown = m_tabs.front();
    m_pages->setCurrentIndex(0);
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::pageChanged);
}

// What one tab announces and who follows it. The division filter is followed
// in this order: the requirements, then the drivers are filtered, the
// attributes in use recomputed, and the reports show the division.
void MainWindow::connectTabs()
{
    connect(m_settings, &SettingsTab::identityChanged, m_project, &ProjectTab::showIdentity);
    connect(m_settings, &SettingsTab::divisionsChanged, this,
        [this](const QStringList& divisions) { runCommand([&] { showNewDivisions(divisions); }); });
    connect(this, &MainWindow::divisionFilterChanged, m_requirements, &RequirementsTab::followDivisionFilter);
    connect(this, &MainWindow::divisionFilterChanged, m_drivers, &DriversTab::followDivisionFilter);
    connect(
        this, &MainWindow::divisionFilterChanged, m_securityAttributes, &SecurityAttributesTab::followDivisionFilter);
    connect(this, &MainWindow::divisionFilterChanged, m_reports, &ReportsTab::showDivision);
    connect(m_securityAttributes, &SecurityAttributesTab::traceRequested, this,
        [this] { runCommand([this] { openTraceWindow(); }); });
    // Both tabs list the attributes in use; when one is left for the other,
    // whose show step has just set the view up, it stays.
    const auto releaseUnlessListed = [this] {
        if (m_pageShown != m_securityAttributes && m_pageShown != m_applications)
            runCommand([this] { releaseAttributesInUse(*m_assessment); });
    };
    connect(m_securityAttributes, &SecurityAttributesTab::attributesInUseLeft, this, releaseUnlessListed);
    connect(m_applications, &ApplicationsTab::attributesInUseLeft, this, releaseUnlessListed);
}

void MainWindow::startUp(const QString& storePath)
{
    m_storePath = QFileInfo(storePath).absoluteFilePath();
    m_dialogs->setStoreFolder(QFileInfo(m_storePath).absolutePath());
    StoreCondition failure;
    // A store file that an earlier creation left without an assessment holds
    // nothing to lose: it is made anew when the analyst agrees.
    if (!m_assessment->open(storePath, StoreOpening::CreateIfMissing, &failure)
        && failure.problem == StoreProblem::Unfinished
        && m_dialogs->ask(QStringLiteral("The store file '%1' holds no assessment: creating it did not finish. "
                                         "Create a new, empty store in its place?")
                              .arg(m_storePath),
            Dialogs::Default::Yes))
        m_assessment->open(storePath, StoreOpening::CreateOrReplaceUnfinished, &failure);
    if (!m_assessment->isOpen()) {
        // Nothing of a store half opened stays: no tab reaches its tables.
        m_assessment = std::make_unique<Assessment>();
        showStoreProblem(failure);
        return;
    }
    showStoreState();
    m_othersKnown = false;
    followOtherPrograms(); // the count the window starts from
    // A new store autoloads the starter sets shipped beside the program.
    if (m_assessment->store().isNew())
        runCommand([this] { StarterSets::applyAutoloadDefaults(*m_assessment); });
    for (TabPage* page : m_tabs)
        runCommand([page] { page->storeOpened(); });
    runCommand([this] {
        Table& sys = m_assessment->system();
        showStoredIdentity();
        m_project->showNotepad(sys.text(QStringLiteral("Notepad")));
        rebuildDivisionFilter(LineList::split(sys.text(QStringLiteral("Divisions"))));
    });
}

void MainWindow::createViewers()
{
    m_architectureMatrix = new PictureWindow(PictureWindow::ArchitectureMatrix, this);
    m_serviceMatrix = new PictureWindow(PictureWindow::ServiceManagementMatrix, this);
    m_taxonomy = new PictureWindow(PictureWindow::AttributeTaxonomy, this);
    // The taxonomy picture shows the attributes the store holds.
    m_taxonomy->setPictureSource([this] {
        const QSize size(1022, 715); // the picture's designed size
        std::vector<TaxonomyPicture::Tier> tiers;
        if (storeIsOpen())
            runCommand([&] { tiers = TaxonomyPicture::read(m_assessment->store()); });
        return TaxonomyPicture::paint(TaxonomyPicture::layout(tiers, size), size);
    });
    m_about = new AboutWindow(this);
}

void MainWindow::setStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setToolTip(text.trimmed());
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

const QWidget* MainWindow::pageShown() const
{
    return m_pageShown;
}

bool MainWindow::runCommand(const std::function<void()>& command)
{
    try {
        command();
        followStoreInTraceWindow();
        return true;
    } catch (const MoveStopped&) {
        // the guard that stopped the move has said why
    } catch (const QuarrixError& e) {
        reportFailure(e.message());
    } catch (const std::exception& e) {
        reportFailure(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

// A failed command leaves its error in the status line as well, so the line
// never keeps a success or a blank from before.
void MainWindow::reportFailure(const QString& message)
{
    setStatus(message.section(QLatin1Char('\n'), 0, 0));
    m_dialogs->error(message);
}

bool MainWindow::offerPendingEdits()
{
    for (TabPage* page : m_tabs)
        if (!page->offerPendingEdits())
            return false;
    return true;
}

// The old page's edits are offered before the new page shows; when they
// cannot be saved the old page stays, with the edits.
void MainWindow::pageChanged(int index)
{
    auto* page = qobject_cast<TabPage*>(m_pages->widget(index));
    if (!page || page == m_pageShown)
        return;
    TabPage* old = m_pageShown;
    // Without a store no tab is shown: their show steps read its tables.
    if (!storeIsOpen()) {
        const QSignalBlocker block(m_pages);
        m_pages->setCurrentWidget(old);
        return;
    }
    if (old && !old->offerPendingEdits()) {
        const QSignalBlocker block(m_pages);
        m_pages->setCurrentWidget(old);
        return;
    }
    runCommand([page] { page->tabShown(); });
    m_pageShown = page;
    if (old)
        runCommand([old] { old->tabHidden(); });
}

void MainWindow::rebuildDivisionFilter(const QStringList& divisions)
{
    const QSignalBlocker block(m_division);
    m_division->clear();
    m_division->addItem(QStringLiteral("All"));
    m_division->addItem(QStringLiteral("Enterprise"));
    m_division->addItems(divisions);
    m_division->setCurrentIndex(0);
}

// The organisation's divisions were saved: the filter box offers them and
// shows "All", and the tables follow, so nothing reads an empty division.
void MainWindow::showNewDivisions(const QStringList& divisions)
{
    rebuildDivisionFilter(divisions);
    if (m_divisionApplied != QLatin1String("All"))
        applyDivisionFilter();
}

QString MainWindow::divisionFilterText() const
{
    return m_division->currentText();
}

// "All" lifts the filter from Requirements and Drivers; any other text (empty
// included) keeps only that division's records. Edits pending on the page
// shown are offered first; when they cannot be saved, the box goes back to
// the filter the tables hold.
void MainWindow::applyDivisionFilter()
{
    if (!offerPendingEdits()) {
        const QSignalBlocker block(m_division);
        m_division->setEditText(m_divisionApplied);
        return;
    }
    WaitCursor wait(*m_dialogs);
    const QString division = divisionFilterText();
    m_divisionApplied = division;
    const DisplaySuspended suspended { &m_assessment->requirements(), &m_assessment->drivers() };
    Q_EMIT divisionFilterChanged(division);
}

void MainWindow::showProjectIdentity(const QString& name, const QString& description)
{
    m_project->showIdentity(name, description);
}

void MainWindow::showStoredIdentity()
{
    Table& sys = m_assessment->system();
    showProjectIdentity(sys.text(QStringLiteral("Assessment")), sys.text(QStringLiteral("Description")));
}

namespace {

// Shows the assessment afresh however the command that replaced it ends: an
// autoload that fails after the clear still leaves every tab on the store.
class ShowAfreshAtEnd {
public:
    explicit ShowAfreshAtEnd(MainWindow& window)
        : m_window(window)
    {
    }
    ~ShowAfreshAtEnd()
    {
        m_window.runCommand([this] { m_window.showAssessmentAfresh(); });
    }
    ShowAfreshAtEnd(const ShowAfreshAtEnd&) = delete;
    ShowAfreshAtEnd& operator=(const ShowAfreshAtEnd&) = delete;

private:
    MainWindow& m_window;
};

}

void MainWindow::newDatabase()
{
    if (!confirmClearing())
        return;
    const ShowAfreshAtEnd showAfresh(*this);
    WaitCursor wait(*m_dialogs);
    m_assessment->clearDatabase();
    m_assessment->setWorkArchived(true);
    // The control set and then the attribute set are loaded here when their
    // autoload settings are on.
    Table& sys = m_assessment->system();
    if (sys.boolean(QStringLiteral("AutoControl")))
        importControlSet(*m_assessment, StarterSets::locate(sys.text(QStringLiteral("AutoControlFile"))));
    if (sys.boolean(QStringLiteral("AutoAttribute")))
        importAttributeSet(*m_assessment, StarterSets::locate(sys.text(QStringLiteral("AutoAttributeFile"))));
    // A new assessment holds nothing of the analyst's yet: the sets it
    // starts from are files of their own.
    m_assessment->setWorkArchived(true);
}

bool MainWindow::clearDatabase()
{
    if (!confirmClearing())
        return false;
    const ShowAfreshAtEnd showAfresh(*this);
    WaitCursor wait(*m_dialogs);
    m_assessment->clearDatabase();
    m_assessment->setWorkArchived(true);
    return true;
}

bool MainWindow::hasUnarchivedWork()
{
    return m_assessment->isOpen() && !m_assessment->workArchived();
}

// Edits pending on a tab are offered, then work not in an archive; when all
// of it is archived, the analyst confirms instead.
bool MainWindow::confirmClearing()
{
    if (!offerPendingEdits())
        return false;
    if (hasUnarchivedWork())
        return offerArchiveFirst();
    return m_dialogs->ask(QStringLiteral("Clear the whole assessment?"));
}

bool MainWindow::offerArchiveFirst()
{
    if (!hasUnarchivedWork())
        return true;
    switch (m_dialogs->askYesNoCancel(
        QStringLiteral("The assessment has changes that are not archived. Save them to an archive first?"))) {
    case Dialogs::Choice::Yes:
        return saveToArchive();
    case Dialogs::Choice::No:
        return true;
    case Dialogs::Choice::Cancel:
        break;
    }
    return false;
}

// Everything the window shows of the assessment is read again: the Project
// tab, the division filter (the tables following it), what each tab held,
// and the page shown through its show step.
void MainWindow::showAssessmentAfresh()
{
    if (!m_assessment->isOpen())
        return;
    Table& sys = m_assessment->system();
    showStoredIdentity();
    m_project->showNotepad(sys.text(QStringLiteral("Notepad")));
    // A division the assessment still has stays chosen; otherwise "All".
    // After another program's change the tables were read again in place:
    // the filter is applied afresh (going to the first records) only when
    // the divisions changed.
    const QString division = m_divisionApplied;
    const QStringList divisions = LineList::split(sys.text(QStringLiteral("Divisions")));
    QStringList offered;
    for (int i = 2; i < m_division->count(); ++i)
        offered << m_division->itemText(i);
    if (!m_following || divisions != offered) {
        rebuildDivisionFilter(divisions);
        if (const int kept = m_division->findText(division, Qt::MatchFixedString | Qt::MatchCaseSensitive); kept > 0) {
            const QSignalBlocker block(m_division);
            m_division->setCurrentIndex(kept);
        }
        if (!m_following || divisionFilterText() != division)
            applyDivisionFilter();
    }
    for (TabPage* page : m_tabs)
        runCommand([page] { page->assessmentReplaced(); });
    // A page still holding edits (another program changed the store under
    // them) keeps them; it is shown afresh once they are settled.
    if (!m_pageShown->hasPendingEdits())
        runCommand([this] { m_pageShown->tabShown(); });
    if (m_taxonomy)
        m_taxonomy->refreshPicture();
}

// Edits typed into a tab are offered before the program ends, as before any
// other command that would drop them.
void MainWindow::exitProgram()
{
    if (!offerPendingEdits())
        return;
    if (hasUnarchivedWork() && !m_dialogs->ask(QStringLiteral("Database not saved - continue?")))
        return;
    m_exiting = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_exiting && !offerPendingEdits()) {
        event->ignore(); // the edits could not be saved: keep running so nothing is lost
        return;
    }
    if (!m_exiting && hasUnarchivedWork() && m_dialogs->ask(QStringLiteral("Database not saved - save it?"))) {
        if (!runCommand([this] { saveToArchive(); })) {
            event->ignore(); // the save failed: keep running so nothing is lost
            return;
        }
    }
    m_exiting = false;
    for (QWidget* viewer :
        std::initializer_list<QWidget*> { m_architectureMatrix, m_serviceMatrix, m_taxonomy, m_about })
        if (viewer)
            viewer->hide();
    event->accept();
}

void MainWindow::followOtherPrograms()
{
    if (!storeIsOpen() || m_following)
        return;
    const quint64 now = m_assessment->store().changesByOthers();
    const bool first = !m_othersKnown;
    m_othersKnown = true;
    if (now == m_othersSeen)
        return;
    m_othersSeen = now;
    if (first)
        return;
    m_following = true;
    const auto followed = qScopeGuard([this] { m_following = false; });
    const RecordEditor::HoldEdits hold;
    runCommand([this] {
        for (const TableDef& def : Schema::tables())
            if (Table* table = m_assessment->byName(def.name); table && table->isOpen())
                table->refresh();
    });
    showAssessmentAfresh();
    setStatus(QStringLiteral("The store was changed by another program; it is shown as it is now."));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        // Not while a question or dialog is open: a command is under way.
        if (watched->isWidgetType() && !QApplication::activeModalWidget())
            followOtherPrograms();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The guide opens at the section of the tab shown.
void MainWindow::openHelp()
{
    QUrl guide = QUrl::fromLocalFile(DataFolder::file(QStringLiteral("Quarrix.html")));
    const QString anchor = HelpSections::anchorFor(m_pages->currentWidget()->objectName());
    if (!anchor.isEmpty())
        guide.setFragment(anchor);
    m_dialogs->openDocument(guide);
}
