#include "reports/reports_tab.h"

#include "gui/dialogs.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QCheckBox* check(const QString& caption, const char* objectName, const QString& hint, bool checked)
{
    auto* box = FormLayout::named<QCheckBox>(objectName, hint);
    box->setText(caption);
    box->setChecked(checked);
    return box;
}

QRadioButton* radio(const QString& caption, const char* objectName)
{
    auto* button = FormLayout::named<QRadioButton>(objectName);
    button->setText(caption);
    return button;
}

// Fills a choice box with "All" and the names of a line-list field, and
// shows "All".
void fillChoice(QComboBox* box, const QString& lines)
{
    box->clear();
    box->addItem(QStringLiteral("All"));
    box->addItems(LineList::split(lines));
    box->setCurrentIndex(0);
    box->setEditText(box->itemText(0));
}

// Puts the progress bar back to 0 however a report ends.
struct ProgressReset {
    QProgressBar* bar;
    ~ProgressReset() { bar->setValue(0); }
};

}

ReportsTab::ReportsTab(TabHost& host)
    : TabPage(host, "TabSheet6", QStringLiteral("Reports"))
{
    // The commands on the left, the choices that narrow them on the right;
    // nothing here needs more room when the window grows.
    auto* left = new QVBoxLayout;
    left->addWidget(buildActions());
    m_progress = FormLayout::named<QProgressBar>("ProgressBar1");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setFixedHeight(18);
    left->addWidget(m_progress);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildFilters());
    right->addWidget(buildSorting());
    right->addStretch(1);
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 8);
    page->setSpacing(12);
    page->addLayout(left, 420);
    page->addLayout(right, 472);
}

QGroupBox* ReportsTab::buildActions()
{
    struct Action {
        const char* caption;
        const char* objectName;
        void (ReportsTab::*command)();
    } const actions[] = {
        { "Export Databases to Spreadsheet ", "hRep1", &ReportsTab::exportSpreadsheet },
        { "Create Quarrix Report in Word", "hRep2", &ReportsTab::writeQuarrixReport },
        { "Create Custom Taxonomy in Word", "hRep3", &ReportsTab::writeTaxonomyReport },
        { "Create Business Security Plan in Word", "hRep4", &ReportsTab::writeSecurityPlan },
        { "Print Hard Copy Reference Listings ", "hRep5", &ReportsTab::printListings },
        { "Export OSCAL Profile...", "hRep6", &ReportsTab::exportOscalProfile },
    };
    QGroupBox* box = FormLayout::group(QStringLiteral("Actions "), "GroupBox13");
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(14);
    for (const Action& action : actions) {
        const auto command = action.command;
        // Edits pending on any tab are offered once, before the run.
        LinkLabel* label = link(QString::fromLatin1(action.caption), action.objectName, [this, command] {
            if (this->host().offerPendingEdits())
                (this->*command)();
        });
        // The business security plan is not written by this version: the
        // link says so instead of doing nothing when clicked.
        if (command == &ReportsTab::writeSecurityPlan) {
            label->setEnabled(false);
            label->setCursor(Qt::ArrowCursor);
            label->setToolTip(QStringLiteral("Not available in this version"));
        }
        column->addWidget(label);
    }
    return box;
}

QGroupBox* ReportsTab::buildFilters()
{
    using namespace FormLayout;
    m_division = named<QLineEdit>("eDivision9");
    m_division->setReadOnly(true);
    m_division->setStyleSheet(QStringLiteral("QLineEdit { background-color: aqua; }"));
    // An activity or group name may also be typed.
    m_activity = choiceBox(
        "cbActivity9", QStringLiteral("Select an activity if the report is to be limid to just that activity"));
    m_group = choiceBox(
        "cbGroup9", QStringLiteral("Select a driver/attribute group if the report is to be limted to just that group"));
    for (QWidget* w : std::initializer_list<QWidget*> { m_division, m_activity, m_group })
        w->setFixedWidth(250);
    m_requirements = check(QStringLiteral("Requirements Table"), "chRequirements",
        QStringLiteral("Include requirements in the report"), true);
    m_drivers
        = check(QStringLiteral("Drivers Table"), "chDrivers", QStringLiteral("Include drivers inteh report"), true);
    m_attributes = check(
        QStringLiteral("Attributes Table"), "chAttributes", QStringLiteral("Include attributes in the report"), true);
    m_controls = check(
        QStringLiteral("Controls Table"), "chControls", QStringLiteral("Include controls in the report"), false);

    QGroupBox* box = group(QStringLiteral("Report Filters "), "GroupBox15");
    auto* form = new QGridLayout(box);
    form->setVerticalSpacing(8);
    addField(form, 0, 0, QStringLiteral("Division"), m_division);
    addField(form, 1, 0, QStringLiteral("Activity "), m_activity);
    addField(form, 2, 0, QStringLiteral("Group "), m_group);
    for (int row = 0; row < 3; ++row)
        form->itemAtPosition(row, 1)->setAlignment(Qt::AlignLeft);
    form->setRowMinimumHeight(3, 6);
    int row = 4;
    for (QCheckBox* table : { m_requirements, m_drivers, m_attributes, m_controls })
        form->addWidget(table, row++, 0, 1, 2);
    form->setColumnMinimumWidth(0, 80);
    form->setColumnStretch(1, 1);
    return box;
}

// The three radio buttons share one frame, so exactly one is chosen.
QGroupBox* ReportsTab::buildSorting()
{
    m_byIdentifier = radio(QStringLiteral("By Identifier"), "rbIdentifier");
    m_byDivision = radio(QStringLiteral("By Division"), "rbDivision");
    m_byActivity = radio(QStringLiteral("By Activity"), "rbActivity");
    m_byIdentifier->setChecked(true);
    QGroupBox* box = FormLayout::group(QStringLiteral("Sorting Options "), "RadioGroup1");
    auto* column = new QVBoxLayout(box);
    for (QRadioButton* button : { m_byIdentifier, m_byDivision, m_byActivity })
        column->addWidget(button);
    return box;
}

void ReportsTab::tabShown()
{
    m_division->setText(host().divisionFilterText());
    Table& sys = assessment().system();
    if (!sys.hasRecord())
        sys.first();
    fillChoice(m_activity, sys.hasRecord() ? sys.text(QStringLiteral("Activities")) : QString());
    fillChoice(m_group, sys.hasRecord() ? sys.text(QStringLiteral("Groups")) : QString());
}

void ReportsTab::showDivision(const QString& division)
{
    m_division->setText(division);
}

QString ReportsTab::askReportFile(const QString& title)
{
    Dialogs::FileRequest request;
    request.title = title;
    // A name ending in .pdf gives a PDF of the same document.
    request.filter = QStringLiteral("Word documents (*.docx);;PDF documents (*.pdf)");
    request.defaultSuffix = QStringLiteral("docx");
    request.kind = Dialogs::FileKind::Report;
    return dialogs().saveFile(request);
}

void ReportsTab::writeQuarrixReport()
{
    m_progress->setValue(0);
    const QString fileName = askReportFile(QStringLiteral("Create Quarrix Report in Word"));
    if (fileName.isEmpty())
        return;
    ProgressReset reset { m_progress };
    {
        WaitCursor wait(dialogs());
        QuarrixReportOptions options;
        options.division = host().divisionFilterText();
        options.activity = m_activity->currentText();
        options.progress = [this](int value) { m_progress->setValue(value); };
        QuarrixReport::write(assessment(), fileName, options);
    }
    setStatus(fileName + QStringLiteral(" saved          "));
}

void ReportsTab::writeTaxonomyReport()
{
    const QString fileName = askReportFile(QStringLiteral("Create Custom Taxonomy in Word"));
    if (fileName.isEmpty())
        return;
    {
        WaitCursor wait(dialogs());
        TaxonomyReportOptions options;
        options.division = host().divisionFilterText();
        options.group = m_group->currentText();
        TaxonomyReport::write(assessment(), fileName, options);
    }
    setStatus(fileName + QStringLiteral(" saved          "));
}

void ReportsTab::writeSecurityPlan() { }
