#include "app/main_window.h"

#include "analysis/applications_tab.h"
#include "analysis/business_attributes_tab.h"
#include "analysis/drivers_tab.h"
#include "analysis/requirements_tab.h"
#include "analysis/security_attributes_tab.h"
#include "app/project_tab.h"
#include "catalogues/attribute_set_import.h"
#include "catalogues/attributes_database_tab.h"
#include "catalogues/control_set_import.h"
#include "catalogues/controls_database_tab.h"
#include "catalogues/starter_sets.h"
#include "files/data_folder.h"
#include "reports/reports_tab.h"
#include "settings/settings_tab.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"
#include "upload/upload_tab.h"
#include "viewers/about_window.h"
#include "viewers/picture_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>

static const QSize kDesignedOuterSize(936, 720);

MainWindow::MainWindow(const QString& storePath, std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<WidgetDialogs>(this))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Meridal Quarrix v2.1"));
    setMinimumSize(kDesignedOuterSize);
    resize(kDesignedOuterSize);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);

    auto* label5 = new QLabel(QStringLiteral("Division Filter"), central);
    label5->setObjectName(QStringLiteral("Label5"));
    label5->setGeometry(780, 2, 140, 15);

    m_division = new QComboBox(central);
    m_division->setObjectName(QStringLiteral("cbDivision0"));
    m_division->setEditable(true);
    m_division->setInsertPolicy(QComboBox::NoInsert);
    m_division->setGeometry(780, 17, 140, 21);
    m_division->setToolTip(QStringLiteral(
        "This selection will limit data displays and reports to the selected division (or all if selected)"));
    connect(m_division, &QComboBox::currentTextChanged, this, [this] { run([this] { cbDivision0Change(); }); });

    m_pages = new QTabWidget(central);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(0, 40, 928, 638);
    // Eleven captions fit the designed width without scroll buttons.
    m_pages->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 4px 5px; margin-right: 1px; border: 1px solid #a8a8a8; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e4e4e4; }"
        "QTabBar::tab:selected { background: #fbfbfb; border-color: #7a7a7a; }"));

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_status = new QLabel(bar);
    m_status->setObjectName(QStringLiteral("StatusText"));
    bar->addWidget(m_status, 1);
    setStatusBar(bar);

    buildMenu();
    buildTabs();

    for (auto key :
        { QKeySequence(Qt::Key_F1), QKeySequence(Qt::SHIFT | Qt::Key_F1), QKeySequence(Qt::CTRL | Qt::Key_F1) }) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this] { run([this] { openHelp(); }); });
    }

    m_referenceSize = size();
    startUp(storePath);
    createViewers();
}

MainWindow::~MainWindow()
{
    // The tabs' grids read the tables until they are gone, so the widgets go
    // before the assessment that owns the tables.
    delete takeCentralWidget();
    for (QWidget* viewer :
        std::initializer_list<QWidget*> { m_architectureMatrix, m_serviceMatrix, m_taxonomy, m_about })
        delete viewer;
}

void MainWindow::buildMenu()
{
    auto add = [this](QMenu* menu, const QString& text, const char* name, std::function<void()> command) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, command] { run(command); });
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    add(file, QStringLiteral("New Database"), "NewDatabase1", [this] { newDatabase(); });
    add(file, QStringLiteral("Load from Archive"), "LoadfromArchive1", [this] { loadFromArchive(); });
    add(file, QStringLiteral("Save to Archive"), "SavetoArchive1", [this] { saveToArchive(); });
    add(file, QStringLiteral("Clear Database"), "ClearDatabase1", [this] { clearDatabase(); });
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
    add(help, QStringLiteral("Quarrix Help"), "QuarrixHelp1", [] {});
    add(help, QStringLiteral("About Quarrix"), "AboutQuarrix1", [this] { m_about->showWindow(); });
}

void MainWindow::buildTabs()
{
    m_tabs = { new ProjectTab(*this), new RequirementsTab(*this), new DriversTab(*this),
        new BusinessAttributesTab(*this), new SecurityAttributesTab(*this), new ApplicationsTab(*this),
        new ReportsTab(*this), new AttributesDatabaseTab(*this), new ControlsDatabaseTab(*this), new UploadTab(*this),
        new SettingsTab(*this) };
    for (TabPage* page : m_tabs)
        m_pages->addTab(page, page->caption());
    m_pageShown = m_tabs.front();
    m_pages->setCurrentIndex(0);
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::pageChanged);
}

void MainWindow::startUp(const QString& storePath)
{
    QString error;
    flags().saved = true;
    const bool creating = !QFileInfo::exists(storePath);
    if (!m_assessment.open(storePath, true, &error)) {
        m_dialogs->error(error);
        return;
    }
    // A new store autoloads the starter sets shipped beside the program.
    if (creating)
        run([this] { StarterSets::applyAutoloadDefaults(m_assessment); });
    for (TabPage* page : m_tabs)
        run([page] { page->storeOpened(); });
    run([this] {
        Table& sys = m_assessment.system();
        showProjectIdentity(sys.text(QStringLiteral("Assessment")), sys.text(QStringLiteral("Description")));
        tab<ProjectTab>()->showNotepad(sys.text(QStringLiteral("Notepad")));
        rebuildDivisionFilter(LineList::split(sys.text(QStringLiteral("Divisions"))), true);
    });
}

void MainWindow::createViewers()
{
    m_architectureMatrix = new PictureWindow(PictureWindow::ArchitectureMatrix, this);
    m_serviceMatrix = new PictureWindow(PictureWindow::ServiceManagementMatrix, this);
    m_taxonomy = new PictureWindow(PictureWindow::AttributeTaxonomy, this);
    m_about = new AboutWindow(this);
}

void MainWindow::setStatus(const QString& text)
{
    m_status->setText(text);
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

bool MainWindow::run(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const QuarrixError& e) {
        m_dialogs->error(e.message());
    } catch (const std::exception& e) {
        m_dialogs->error(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void MainWindow::showPage(TabPage* page)
{
    m_pages->setCurrentWidget(page);
}

void MainWindow::pageChanged(int index)
{
    auto* page = qobject_cast<TabPage*>(m_pages->widget(index));
    if (!page || page == m_pageShown)
        return;
    TabPage* old = m_pageShown;
    run([page] { page->tabShown(); });
    m_pageShown = page;
    if (old)
        run([old] { old->tabHidden(); });
}

void MainWindow::rebuildDivisionFilter(const QStringList& divisions, bool showAll)
{
    const QSignalBlocker block(m_division);
    m_division->clear();
    m_division->addItem(QStringLiteral("All"));
    m_division->addItem(QStringLiteral("Enterprise"));
    m_division->addItems(divisions);
    if (showAll)
        m_division->setCurrentIndex(0);
    else
        m_division->setEditText(QString());
}

QString MainWindow::divisionFilterText() const
{
    return m_division->currentText();
}

void MainWindow::showProjectIdentity(const QString& name, const QString& description)
{
    tab<ProjectTab>()->showIdentity(name, description);
}

void MainWindow::newDatabase()
{
    WaitCursor wait(*m_dialogs);
    clearDatabase();
    m_assessment.emptyTables();
    // The control set and then the attribute set are loaded here when their
    // autoload settings are on.
    Table& sys = m_assessment.system();
    if (sys.boolean(QStringLiteral("AutoControl")))
        importControlSet(m_assessment, StarterSets::locate(sys.text(QStringLiteral("AutoControlFile"))));
    if (sys.boolean(QStringLiteral("AutoAttribute")))
        importAttributeSet(m_assessment, StarterSets::locate(sys.text(QStringLiteral("AutoAttributeFile"))));
}

void MainWindow::clearDatabase()
{
    if (!flags().saved)
        saveToArchive();
    WaitCursor wait(*m_dialogs);
    m_assessment.clearDatabase();
    showProjectIdentity(QString(), QString());
    flags().saved = true;
}

void MainWindow::exitProgram()
{
    if (!flags().saved && !m_dialogs->ask(QStringLiteral("Database not saved - continue?")))
        return;
    m_exiting = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_exiting && !flags().saved && m_dialogs->ask(QStringLiteral("Database not saved - save it?"))) {
        if (!run([this] { saveToArchive(); })) {
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

void MainWindow::openHelp()
{
    m_dialogs->openDocument(DataFolder::file(QStringLiteral("Quarrix.html")));
}
