#include "reports/reports_tab.h"

#include "gui/dialogs.h"
#include "gui/link_label.h"
#include "reports/quarrix_report.h"
#include "reports/taxonomy_report.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

namespace {

QGroupBox* group(const QString& caption, const char* name, const QRect& g, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(g);
    return box;
}

void addCaption(const QString& text, const QRect& g, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(g);
}

QComboBox* choice(const char* name, const QString& hint, const QRect& g, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true); // a name may also be typed
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(hint);
    box->setGeometry(g);
    return box;
}

QCheckBox* check(
    const QString& caption, const char* name, const QString& hint, bool checked, const QRect& g, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(hint);
    box->setChecked(checked);
    box->setGeometry(g);
    return box;
}

QRadioButton* radio(const QString& caption, const char* name, const QRect& g, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(g);
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
    auto* actions = group(QStringLiteral("Actions "), "GroupBox13", QRect(8, 6, 420, 190), this);
    struct Action {
        const char* caption;
        const char* name;
        void (ReportsTab::*command)();
    } const commands[] = {
        { "Export Databases to Spreadsheet ", "hRep1", &ReportsTab::hRep1Click },
        { "Create Quarrix Report in Word", "hRep2", &ReportsTab::hRep2Click },
        { "Create Custom Taxonomy in Word", "hRep3", &ReportsTab::hRep3Click },
        { "Create Business Security Plan in Word", "hRep4", &ReportsTab::hRep4Click },
        { "Print Hard Copy Reference Listings ", "hRep5", &ReportsTab::hRep5Click },
    };
    int top = 28;
    for (const Action& a : commands) {
        auto* label = new LinkLabel(QString::fromLatin1(a.caption), a.name, actions);
        label->setGeometry(16, top, 380, 20);
        const auto command = a.command;
        // Edits pending on any tab are offered once, before the run.
        connect(label, &LinkLabel::clicked, this, [this, command] {
            run([this, command] {
                if (this->host().offerPendingEdits())
                    (this->*command)();
            });
        });
        top += 32;
    }
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setGeometry(8, 204, 420, 18);

    auto* filters = group(QStringLiteral("Report Filters "), "GroupBox15", QRect(440, 6, 472, 250), this);
    addCaption(QStringLiteral("Division"), QRect(12, 30, 80, 16), filters);
    m_division = new QLineEdit(filters);
    m_division->setObjectName(QStringLiteral("eDivision9"));
    m_division->setReadOnly(true);
    m_division->setStyleSheet(QStringLiteral("QLineEdit { background-color: aqua; }"));
    m_division->setGeometry(96, 26, 250, 22);
    addCaption(QStringLiteral("Activity "), QRect(12, 62, 80, 16), filters);
    m_activity
        = choice("cbActivity9", QStringLiteral("Select an activity if the report is to be limid to just that activity"),
            QRect(96, 58, 250, 22), filters);
    addCaption(QStringLiteral("Group "), QRect(12, 94, 80, 16), filters);
    m_group = choice("cbGroup9",
        QStringLiteral("Select a driver/attribute group if the report is to be limted to just that group"),
        QRect(96, 90, 250, 22), filters);
    m_requirements = check(QStringLiteral("Requirements Table"), "chRequirements",
        QStringLiteral("Include requirements in the report"), true, QRect(12, 130, 200, 20), filters);
    m_drivers = check(QStringLiteral("Drivers Table"), "chDrivers", QStringLiteral("Include drivers inteh report"),
        true, QRect(12, 158, 200, 20), filters);
    m_attributes = check(QStringLiteral("Attributes Table"), "chAttributes",
        QStringLiteral("Include attributes in the report"), true, QRect(12, 186, 200, 20), filters);
    m_controls = check(QStringLiteral("Controls Table"), "chControls", QStringLiteral("Include controls in the report"),
        false, QRect(12, 214, 200, 20), filters);

    // The three radio buttons share one frame, so exactly one is chosen.
    auto* sorting = group(QStringLiteral("Sorting Options "), "RadioGroup1", QRect(440, 264, 472, 110), this);
    m_byIdentifier = radio(QStringLiteral("By Identifier"), "rbIdentifier", QRect(12, 26, 200, 20), sorting);
    m_byDivision = radio(QStringLiteral("By Division"), "rbDivision", QRect(12, 52, 200, 20), sorting);
    m_byActivity = radio(QStringLiteral("By Activity"), "rbActivity", QRect(12, 78, 200, 20), sorting);
    m_byIdentifier->setChecked(true);
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
    return dialogs().saveFile(request);
}

void ReportsTab::hRep2Click()
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

void ReportsTab::hRep3Click()
{
    const QString fileName = askReportFile(QStringLiteral("Create Custom Taxonomy in Word"));
    if (fileName.isEmpty())
        return;
    {
        WaitCursor wait(dialogs());
        TaxonomyReportOptions options;
        options.group = m_group->currentText();
        TaxonomyReport::write(assessment(), fileName, options);
    }
    setStatus(fileName + QStringLiteral(" saved          "));
}

void ReportsTab::hRep4Click() { }
