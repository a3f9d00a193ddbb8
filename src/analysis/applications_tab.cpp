#include "analysis/applications_tab.h"

#include "analysis/in_use_derivation.h"
#include "analysis/security_attributes_tab.h"
#include "analysis/security_risk_store.h"
#include "gui/data_grid.h"
#include "gui/memo_text.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

void addCaption(const QString& text, const QRect& g, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(g);
}

template <class W> W* control(const char* name, const QRect& g, QWidget* parent, const QString& hint = {})
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(g);
    if (!hint.isEmpty())
        w->setToolTip(hint);
    return w;
}

QComboBox* rating(const char* name, const QRect& g, QWidget* parent)
{
    auto* box = control<QComboBox>(name, g, parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems({ QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") });
    box->setCurrentIndex(0);
    return box;
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Counts nested loads so that filling the editors is not taken for an edit.
struct Loading {
    explicit Loading(int& n)
        : count(n)
    {
        ++count;
    }
    ~Loading() { --count; }
    int& count;
};

}

ApplicationsTab::ApplicationsTab(TabHost& host)
    : TabPage(host, "TabSheet10", QStringLiteral("Applications"))
{
    link(QStringLiteral("Add"), "hAdd7", QRect(8, 500, 40, 18), [this] { hAdd7Click(); });
    link(QStringLiteral("Delete"), "hDelete7", QRect(60, 500, 50, 18), [this] { hDelete7Click(); });

    auto* risk = new QGroupBox(QStringLiteral("Application Risk and Controls"), this);
    risk->setObjectName(QStringLiteral("GroupBox20"));
    risk->setGeometry(216, 4, 696, 300);
    addCaption(QStringLiteral("Applicable"), QRect(10, 18, 100, 14), risk);
    addCaption(QStringLiteral("Attributes"), QRect(10, 32, 100, 14), risk);
    m_attributes = control<QListWidget>("lbAttributes", QRect(10, 48, 200, 210), risk);
    m_attributeChoice = control<QComboBox>("cbAttributes", QRect(44, 266, 166, 22), risk);
    m_attributeChoice->setEditable(true);
    m_attributeChoice->setInsertPolicy(QComboBox::NoInsert);
    addCaption(QStringLiteral("Inherited"), QRect(220, 18, 100, 14), risk);
    addCaption(QStringLiteral("Controls"), QRect(220, 32, 100, 14), risk);
    m_controls = control<QListWidget>("lbControls", QRect(220, 48, 236, 240), risk);
    addCaption(QStringLiteral("Threat/Risk "), QRect(466, 18, 100, 14), risk);
    addCaption(QStringLiteral("Assessment "), QRect(466, 32, 100, 14), risk);
    m_risk = control<QPlainTextEdit>("mAttTRA", QRect(466, 48, 220, 180), risk,
        QStringLiteral("The risks which affect the attribute are described here"));
    addCaption(QStringLiteral("Likelihood"), QRect(466, 240, 70, 16), risk);
    m_likelihood = rating("cbLikelihood", QRect(546, 236, 140, 22), risk);
    addCaption(QStringLiteral("Impact "), QRect(466, 268, 70, 16), risk);
    m_impact = rating("cbImpact", QRect(546, 264, 140, 22), risk);
    link(QStringLiteral("Add"), "hAdd8", QRect(226, 270, 30, 18), [this] { hAdd8Click(); });

    auto* details = new QGroupBox(QStringLiteral("Full Details"), this);
    details->setObjectName(QStringLiteral("GroupBox21"));
    details->setGeometry(216, 310, 696, 212);
    addCaption(QStringLiteral("Application"), QRect(10, 26, 80, 16), details);
    m_application = control<QLineEdit>("eApplication", QRect(90, 22, 250, 22), details);
    addCaption(QStringLiteral("Domain"), QRect(10, 54, 80, 16), details);
    m_domain = control<QLineEdit>("eDomain", QRect(90, 50, 250, 22), details);
    addCaption(QStringLiteral("Owner"), QRect(10, 82, 80, 16), details);
    m_owner = control<QLineEdit>("eOwner", QRect(90, 78, 250, 22), details);
    addCaption(QStringLiteral("Division "), QRect(10, 110, 80, 16), details);
    m_division = control<QComboBox>("cbDivision7", QRect(90, 106, 250, 22), details,
        QStringLiteral(
            "Select the Division  (or Enterprise for the whole organisation) to which the business driver applies"));
    m_division->setEditable(true);
    m_division->setInsertPolicy(QComboBox::NoInsert);
    addCaption(QStringLiteral("Description"), QRect(356, 26, 100, 16), details);
    m_description = control<QPlainTextEdit>("mAppDesc", QRect(356, 44, 330, 158), details);
    link(QStringLiteral("Save"), "hSave7", QRect(870, 326, 36, 18), [this] { hSave7Click(); });

    connect(m_attributes, &QListWidget::currentRowChanged, this, [this] {
        if (!m_loading)
            run([this] { lbAttributesClick(); });
    });
    connect(m_attributes, &QListWidget::itemClicked, this, [this] { run([this] { lbAttributesClick(); }); });
    connect(m_risk, &QPlainTextEdit::textChanged, this, [this] { run([this] { storeRisk(); }); });
    for (QComboBox* box : { m_likelihood, m_impact })
        connect(box, &QComboBox::currentTextChanged, this, [this] { run([this] { storeRisk(); }); });
    showRisk();
}

void ApplicationsTab::storeOpened()
{
    m_grid = new DataGrid(assessment().applications(),
        { { QStringLiteral("Application"), QStringLiteral("Application") } }, true, "DBGrid9", this);
    m_grid->setGeometry(8, 8, 200, 486);
    m_grid->show();
    connect(m_grid, &DataGrid::cellClicked, this, [this] { run([this] { DBGrid9CellClick(); }); });
    connect(m_grid, &DataGrid::failed, this, [this](const QString& message) { dialogs().error(message); });
}

void ApplicationsTab::tabShown()
{
    WaitCursor wait(dialogs());
    deriveAttributesInUse(assessment(), host().divisionFilterText());
    Table& attribute = assessment().attribute();
    attribute.setSort(QStringLiteral("Attribute ASC"));
    m_attributeChoice->clear();
    const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
    for (int row = 0; row < attribute.recordCount(); ++row)
        m_attributeChoice->addItem(attribute.textAt(row, name));
    if (m_attributeChoice->count() > 0)
        m_attributeChoice->setCurrentIndex(0);
    {
        const QSignalBlocker block(m_division);
        m_division->clear();
        m_division->addItem(QStringLiteral("Enterprise"));
        m_division->addItems(LineList::split(assessment().system().text(QStringLiteral("Divisions"))));
    }
    DBGrid9CellClick();
}

void ApplicationsTab::tabHidden()
{
    // The Security Attributes tab's show step, which runs first, has just set
    // up the same in-use view; undoing it would list every attribute there.
    if (qobject_cast<const SecurityAttributesTab*>(host().pageShown()))
        return;
    Table& attribute = assessment().attribute();
    attribute.setSort(QStringLiteral("GrAtt ASC"));
    attribute.setFiltered(false);
    attribute.first();
}

qint64 ApplicationsTab::currentApplicationId() const
{
    Table& apps = assessment().applications();
    return apps.hasRecord() ? apps.rowIdAt(apps.currentRow()) : 0;
}

void ApplicationsTab::DBGrid9CellClick()
{
    Table& apps = assessment().applications();
    if (!apps.hasRecord())
        return;
    {
        Loading loading(m_loading);
        const QSignalBlocker block(m_division);
        m_application->setText(apps.text(QStringLiteral("Application")));
        m_domain->setText(apps.text(QStringLiteral("Domain")));
        m_owner->setText(apps.text(QStringLiteral("Owner")));
        Text::setMemo(m_description, apps.text(QStringLiteral("Description")));
        m_division->setEditText(apps.text(QStringLiteral("Division")));
        m_attributes->clear();
        m_attributes->addItems(LineList::split(apps.text(QStringLiteral("SecAtt"))));
        if (m_attributes->count() > 0)
            m_attributes->setCurrentRow(0);
    }
    if (m_attributes->count() > 0)
        lbAttributesClick();
    else
        showRisk();
}

void ApplicationsTab::lbAttributesClick()
{
    QListWidgetItem* line = m_attributes->currentItem();
    if (!line || !line->isSelected()) {
        showRisk();
        return;
    }
    Table& attribute = assessment().attribute();
    if (attribute.locate(QStringLiteral("Attribute"), { line->text() })) {
        m_controls->clear();
        m_controls->addItems(LineList::split(attribute.text(QStringLiteral("SecControls"))));
    }
    showRisk();
}

void ApplicationsTab::showRisk(bool attach)
{
    QListWidgetItem* line = m_attributes->currentItem();
    const bool chosen = attach && line && line->isSelected() && currentApplicationId() != 0;
    m_riskApplication = chosen ? currentApplicationId() : 0;
    m_riskAttribute = chosen ? line->text() : QString();
    const RiskEntry entry = chosen ? RiskStore::read(assessment(), m_riskApplication, m_riskAttribute) : RiskEntry {};
    Loading loading(m_loading);
    Text::setMemo(m_risk, entry.risk);
    m_likelihood->setEditText(entry.likelihood);
    m_impact->setEditText(entry.impact);
    // Without an attribute of an application chosen there is nothing to file
    // an entry under.
    for (QWidget* w : std::initializer_list<QWidget*> { m_risk, m_likelihood, m_impact })
        w->setEnabled(chosen);
}

void ApplicationsTab::storeRisk()
{
    if (m_loading || m_riskApplication == 0)
        return;
    RiskEntry entry { Text::memo(m_risk), m_likelihood->currentText(), m_impact->currentText() };
    RiskStore::write(assessment(), m_riskApplication, m_application->text(), m_riskAttribute, entry);
}

void ApplicationsTab::hAdd7Click()
{
    {
        Loading loading(m_loading);
        const QSignalBlocker block(m_division);
        m_application->setText(QStringLiteral("Application Name"));
        m_domain->clear();
        m_owner->clear();
        m_division->setEditText(host().divisionFilterText());
        m_description->clear();
    }
    Table& apps = assessment().applications();
    apps.append();
    apps.setText(QStringLiteral("Application"), m_application->text());
    apps.setText(QStringLiteral("Domain"), m_domain->text());
    apps.setText(QStringLiteral("Division"), m_division->currentText());
    apps.setText(QStringLiteral("Owner"), m_owner->text());
    apps.setText(QStringLiteral("Description"), Text::memo(m_description));
    apps.post();
    markWorkUnarchived();
    setStatus(QStringLiteral("Record added             "));
    // The lists keep showing the previous application's until the next load,
    // so the risk editors file nothing until then.
    showRisk(false);
}

void ApplicationsTab::hDelete7Click()
{
    Table& apps = assessment().applications();
    if (!apps.hasRecord())
        return;
    if (!dialogs().ask(QStringLiteral("Confirm Delete")))
        return;
    {
        Store::Transaction tx(assessment().store());
        RiskStore::removeApplication(assessment(), currentApplicationId());
        apps.remove();
        tx.commit();
    }
    setStatus(QStringLiteral("Deleted                "));
    markWorkUnarchived();
    showRisk(false);
}

void ApplicationsTab::hSave7Click()
{
    Table& apps = assessment().applications();
    apps.edit();
    apps.setText(QStringLiteral("Application"), m_application->text());
    apps.setText(QStringLiteral("Domain"), m_domain->text());
    apps.setText(QStringLiteral("Owner"), m_owner->text());
    apps.setText(QStringLiteral("Description"), Text::memo(m_description));
    apps.setText(QStringLiteral("Division"), m_division->currentText());
    apps.post();
    RiskStore::rename(assessment(), currentApplicationId(), m_application->text());
}

void ApplicationsTab::hAdd8Click()
{
    m_attributes->addItem(m_attributeChoice->currentText());
    Table& apps = assessment().applications();
    apps.edit();
    apps.setText(QStringLiteral("SecAtt"), LineList::build(items(m_attributes)));
    apps.post();
    {
        Loading loading(m_loading);
        m_attributes->setCurrentRow(0);
    }
    lbAttributesClick();
}
