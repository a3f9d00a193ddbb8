#include "analysis/applications_tab.h"

#include "analysis/application_commands.h"
#include "analysis/in_use_derivation.h"
#include "analysis/security_risk_store.h"
#include "gui/choice_box.h"
#include "gui/data_grid.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "gui/record_editor.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

QComboBox* rating(const char* name)
{
    QComboBox* box = FormLayout::choiceBox(name);
    ChoiceBox::setItems(box, { QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") });
    return box;
}

// A caption of two lines, one label each, over a field.
void addTwoLineCaption(QGridLayout* grid, int column, int span, const QString& first, const QString& second)
{
    grid->addWidget(new QLabel(first), 0, column, 1, span);
    grid->addWidget(new QLabel(second), 1, column, 1, span);
}

// Counts nested fills so that they are not taken for the analyst's choices.
struct Filling {
    explicit Filling(int& n)
        : count(n)
    {
        ++count;
    }
    ~Filling() { --count; }
    int& count;
};

}

ApplicationsTab::ApplicationsTab(TabHost& host)
    : TabPage(host, "TabSheet10", QStringLiteral("Applications"))
{
    using namespace FormLayout;
    m_attributes = named<QListWidget>("lbAttributes");
    m_attributeChoice = choiceBox("cbAttributes");
    m_controls = named<QListWidget>("lbControls");
    m_risk
        = named<QPlainTextEdit>("mAttTRA", QStringLiteral("The risks which affect the attribute are described here"));
    m_likelihood = rating("cbLikelihood");
    m_impact = rating("cbImpact");
    m_application = named<QLineEdit>("eApplication");
    m_domain = named<QLineEdit>("eDomain");
    m_owner = named<QLineEdit>("eOwner");
    m_description = named<QPlainTextEdit>("mAppDesc");
    m_division = choiceBox("cbDivision7",
        QStringLiteral(
            "Select the Division  (or Enterprise for the whole organisation) to which the business driver applies"));
    FieldLimits::limit(m_application, "Applications", "Application");
    FieldLimits::limit(m_domain, "Applications", "Domain");
    FieldLimits::limit(m_owner, "Applications", "Owner");
    FieldLimits::limit(m_division, "Applications", "Division");
    for (QWidget* w : std::initializer_list<QWidget*> { m_attributes, m_controls, m_risk })
        w->setMinimumWidth(150);

    QGroupBox* risk = group(QStringLiteral("Application Risk and Controls"), "GroupBox20");
    auto* riskForm = new QGridLayout(risk);
    riskForm->setVerticalSpacing(2);
    addTwoLineCaption(riskForm, 0, 2, QStringLiteral("Applicable"), QStringLiteral("Attributes"));
    riskForm->addWidget(m_attributes, 2, 0, 1, 2);
    riskForm->addWidget(link(QStringLiteral("Add"), "hAdd8", [this] { addAttribute(); }), 3, 0);
    riskForm->addWidget(m_attributeChoice, 3, 1);
    addTwoLineCaption(riskForm, 2, 1, QStringLiteral("Inherited"), QStringLiteral("Controls"));
    riskForm->addWidget(m_controls, 2, 2, 2, 1);
    addTwoLineCaption(riskForm, 3, 2, QStringLiteral("Threat/Risk "), QStringLiteral("Assessment "));
    auto* ratings = new QGridLayout;
    FormLayout::addField(ratings, 0, 0, QStringLiteral("Likelihood"), m_likelihood);
    FormLayout::addField(ratings, 1, 0, QStringLiteral("Impact "), m_impact);
    ratings->setColumnStretch(1, 1);
    riskForm->addWidget(m_risk, 2, 3, 1, 2);
    riskForm->addLayout(ratings, 3, 3, 1, 2);
    riskForm->setRowStretch(2, 1);
    riskForm->setColumnStretch(1, 1);
    riskForm->setColumnStretch(2, 1);
    riskForm->setColumnStretch(4, 1);

    QGroupBox* details = group(QStringLiteral("Full Details"), "GroupBox21");
    auto* detailsForm = new QGridLayout(details);
    addField(detailsForm, 0, 0, QStringLiteral("Application"), m_application);
    addField(detailsForm, 1, 0, QStringLiteral("Domain"), m_domain);
    addField(detailsForm, 2, 0, QStringLiteral("Owner"), m_owner);
    addField(detailsForm, 3, 0, QStringLiteral("Division "), m_division);
    detailsForm->addWidget(new QLabel(QStringLiteral("Description")), 0, 2);
    detailsForm->addWidget(
        link(QStringLiteral("Save"), "hSave7", [this] { saveApplication(); }), 0, 3, Qt::AlignRight | Qt::AlignTop);
    detailsForm->addWidget(m_description, 1, 2, 4, 2);
    detailsForm->setRowStretch(4, 1);
    detailsForm->setColumnStretch(1, 1);
    detailsForm->setColumnStretch(2, 1);
    detailsForm->setColumnMinimumWidth(1, 200);

    auto* commands = new QHBoxLayout;
    commands->setSpacing(12);
    commands->addWidget(link(QStringLiteral("Add"), "hAdd7", [this] { addApplication(); }));
    commands->addWidget(link(QStringLiteral("Delete"), "hDelete7", [this] { deleteApplication(); }));
    commands->addStretch(1);
    m_gridColumn = new QVBoxLayout;
    m_gridColumn->addLayout(commands);

    auto* editors = new QVBoxLayout;
    editors->addWidget(risk, 3);
    editors->addWidget(details, 2);
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addLayout(m_gridColumn, 1);
    page->addLayout(editors, 4);

    connect(m_attributes, &QListWidget::currentRowChanged, this, [this] {
        if (!m_filling)
            run([this] { showSelectedAttribute(); });
    });
    connect(m_attributes, &QListWidget::itemClicked, this, [this] { run([this] { showSelectedAttribute(); }); });
    connect(m_risk, &QPlainTextEdit::textChanged, this, [this] { run([this] { storeRisk(); }); });
    for (QComboBox* box : { m_likelihood, m_impact })
        connect(box, &QComboBox::currentTextChanged, this, [this] { run([this] { storeRisk(); }); });
    showRisk(false);
}

void ApplicationsTab::storeOpened()
{
    Table& apps = assessment().applications();
    m_grid = makeGrid(apps, { { field("Application"), field("Application") } }, true, "DBGrid9");
    m_grid->setMinimumWidth(160);
    m_gridColumn->insertWidget(0, m_grid, 1);

    m_editor = new RecordEditor(*this, apps,
        { [this] { showApplication(); }, [this](qint64 rowId) { writeApplication(rowId); } },
        RecordEditor::Follow::WhileShown);
    m_editor->watch(m_application);
    m_editor->watch(m_domain);
    m_editor->watch(m_owner);
    m_editor->watch(m_description);
    m_editor->watch(m_division);
}

bool ApplicationsTab::hasPendingEdits() const
{
    return m_editor && m_editor->isEdited();
}

bool ApplicationsTab::offerPendingEdits()
{
    return !m_editor || m_editor->offerEdits();
}

void ApplicationsTab::tabShown()
{
    WaitCursor wait(dialogs());
    showAttributesInUse(assessment(), host().divisionFilterText());
    const Table& attribute = assessment().attribute();
    const int name = attribute.fieldIndex(field("Attribute"));
    QStringList inUse;
    for (int row = 0; row < attribute.recordCount(); ++row)
        inUse << attribute.textAt(row, name);
    ChoiceBox::setItems(m_attributeChoice, inUse);
    {
        const RecordEditor::Filling filling(*m_editor);
        m_division->clear();
        m_division->addItem(QStringLiteral("Enterprise"));
        m_division->addItems(LineList::split(assessment().system().text(field("Divisions"))));
    }
    m_editor->showCurrent();
}

void ApplicationsTab::tabHidden()
{
    Q_EMIT attributesInUseLeft();
}

// With no application the editors are emptied.
void ApplicationsTab::showApplication()
{
    const Table& apps = assessment().applications();
    {
        const Filling filling(m_filling);
        m_application->setText(apps.text(field("Application")));
        m_domain->setText(apps.text(field("Domain")));
        m_owner->setText(apps.text(field("Owner")));
        Text::setMemo(m_description, apps.text(field("Description")));
        ChoiceBox::showValue(m_division, apps.text(field("Division")), false);
        m_attributes->clear();
        m_attributes->addItems(LineList::split(apps.text(field("SecAtt"))));
        m_controls->clear();
        if (m_attributes->count() > 0)
            m_attributes->setCurrentRow(0);
    }
    showSelectedAttribute();
}

void ApplicationsTab::showSelectedAttribute()
{
    QListWidgetItem* line = m_attributes->currentItem();
    if (line && line->isSelected())
        showInheritedControls(line->text());
    showRisk();
}

// The controls stored for the attribute, when it is still in use; otherwise
// the list keeps what it showed. Attribute is read, not moved, so the
// Security Attributes tab's editors stay where they are.
void ApplicationsTab::showInheritedControls(const QString& attribute)
{
    const Table& t = assessment().attribute();
    const int name = t.fieldIndex(field("Attribute"));
    const int controls = t.fieldIndex(field("SecControls"));
    for (int row = 0; row < t.recordCount(); ++row)
        if (t.textAt(row, name) == attribute) {
            m_controls->clear();
            m_controls->addItems(LineList::split(t.textAt(row, controls)));
            return;
        }
}

void ApplicationsTab::showRisk(bool attach)
{
    QListWidgetItem* line = m_attributes->currentItem();
    const qint64 application = m_editor ? m_editor->rowId() : 0;
    const bool chosen = attach && line && line->isSelected() && application != 0;
    m_riskApplication = chosen ? application : 0;
    m_riskAttribute = chosen ? line->text() : QString();
    const RiskEntry entry = chosen ? RiskStore::read(assessment(), m_riskApplication, m_riskAttribute) : RiskEntry {};
    const Filling filling(m_filling);
    Text::setMemo(m_risk, entry.risk);
    m_likelihood->setEditText(entry.likelihood);
    m_impact->setEditText(entry.impact);
    // Without an attribute of an application chosen there is nothing to file
    // an entry under.
    for (QWidget* w : std::initializer_list<QWidget*> { m_risk, m_likelihood, m_impact })
        w->setEnabled(chosen);
}

// Risk entries are stored as they are typed, under the application's stored
// name.
void ApplicationsTab::storeRisk()
{
    if (m_filling || m_riskApplication == 0)
        return;
    const Table& apps = assessment().applications();
    const int row = apps.rowOf(m_riskApplication);
    const QString application = row < 0 ? QString() : apps.textAt(row, apps.fieldIndex(field("Application")));
    const RiskEntry entry { Text::memo(m_risk), m_likelihood->currentText(), m_impact->currentText() };
    RiskStore::write(assessment(), m_riskApplication, application, m_riskAttribute, entry);
}

ApplicationDetails ApplicationsTab::editedDetails() const
{
    return { m_application->text(), m_domain->text(), m_owner->text(), Text::memo(m_description),
        m_division->currentText() };
}

// A new application is stored at once; while a division is filtered it
// belongs to that division.
void ApplicationsTab::addApplication()
{
    ::addApplication(
        assessment(), { QStringLiteral("Application Name"), QString(), QString(), QString(), filteredDivision() });
    m_editor->showCurrent();
    markWorkUnarchived();
    setStatus(QStringLiteral("Record added             "));
}

void ApplicationsTab::deleteApplication()
{
    if (!assessment().applications().hasRecord() || !m_editor->offerEdits())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    ::deleteApplication(assessment(), assessment().applications().currentRowId());
    m_editor->showCurrent();
    setStatus(QStringLiteral("Deleted                "));
    markWorkUnarchived();
}

// With no application at all, Save stores the editors as a new one.
void ApplicationsTab::saveApplication()
{
    if (assessment().applications().hasRecord()) {
        m_editor->save();
        return;
    }
    ::addApplication(assessment(), editedDetails());
    m_editor->showCurrent();
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}

void ApplicationsTab::writeApplication(qint64 rowId)
{
    ::saveApplication(assessment(), rowId, editedDetails());
    markWorkUnarchived();
    setStatus(QStringLiteral("Save complete           "));
}

// The attribute list is stored at once, into the application shown (a new
// one made of the editors when there is none); details typed and not yet
// saved stay pending.
void ApplicationsTab::addAttribute()
{
    if (!assessment().applications().hasRecord()) {
        ::addApplication(assessment(), editedDetails());
        m_editor->showCurrent();
    }
    const Table& apps = assessment().applications();
    const qint64 application = m_editor->rowId();
    QStringList attributes = LineList::split(apps.textAt(apps.rowOf(application), apps.fieldIndex(field("SecAtt"))));
    attributes << m_attributeChoice->currentText();
    saveApplicationAttributes(assessment(), application, attributes);
    {
        const Filling filling(m_filling);
        m_attributes->clear();
        m_attributes->addItems(attributes);
        m_attributes->setCurrentRow(0);
    }
    showSelectedAttribute();
    markWorkUnarchived();
}
