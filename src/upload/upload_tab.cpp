#include "upload/upload_tab.h"

#include "gui/disabled_style.h"
#include "gui/field_limits.h"
#include "gui/form_layout.h"
#include "gui/link_label.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "upload/central_upload.h"
#include "upload/server_address.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kTestComplete = QStringLiteral("Test complete               ");

QLabel* statusLabel(const char* objectName)
{
    auto* label = FormLayout::named<QLabel>(objectName);
    label->setStyleSheet(QStringLiteral("QLabel { color: red; font-weight: bold; }"));
    label->setMinimumWidth(330);
    return label;
}

// A setting's editor: disabled, in the sky blue of waiting boxes, until Edit.
template <class W> W* settingBox(const char* objectName, const QString& hint, int width)
{
    W* box = FormLayout::named<W>(objectName, hint);
    box->setEnabled(false);
    DisabledStyle::apply(box);
    box->setFixedWidth(width);
    return box;
}

}

UploadTab::UploadTab(TabHost& host)
    : TabPage(host, "TabSheet3", QStringLiteral("Upload"))
{
    // The two groups side by side at the top; nothing here needs more room
    // when the window grows.
    auto* groups = new QHBoxLayout;
    groups->addWidget(buildConnection(), 450);
    groups->addWidget(buildStatus(), 446);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 8);
    page->addLayout(groups);
    page->addStretch(1);
    setStatuses(CentralUpload::kDisconnected, CentralUpload::kReady);
}

QGroupBox* UploadTab::buildConnection()
{
    using namespace FormLayout;
    m_ip = settingBox<QLineEdit>("eIP", QStringLiteral("Enter the IP addrress of the SQL server"), 220);
    m_port = settingBox<QLineEdit>("ePort", QStringLiteral("Enter the port number of the SQL server"), 60);
    m_user = settingBox<QLineEdit>("eUser", QStringLiteral("Enter the SQL user name"), 220);
    m_password = settingBox<QLineEdit>("ePassword", QStringLiteral("Enter teh SQL password"), 220);
    m_password->setEchoMode(QLineEdit::Password);
    m_database = settingBox<QLineEdit>(
        "eDatabase", QStringLiteral("Enter the database name into which the Quarrix results will be stored"), 220);
    m_driver
        = settingBox<QComboBox>("cbDriver", QStringLiteral("Choose the ODBC driver that reaches the SQL server"), 220);
    m_driver->setEditable(true);
    m_driver->setInsertPolicy(QComboBox::NoInsert);
    // The address is checked at Save, where a longer one is refused with
    // the limit named, rather than cut at the limit while it is typed or pasted.
    FieldLimits::limit(m_port, "System", "SQL-Port");
    FieldLimits::limit(m_user, "System", "SQL-User");
    m_password->setMaxLength(32); // what a save keeps of it
    FieldLimits::limit(m_database, "System", "SQL-Database");
    FieldLimits::limit(m_driver, "System", "SQL-Driver");

    QGroupBox* box = group(QStringLiteral("SQL Connection "), "GroupBox16");
    auto* form = new QGridLayout(box);
    const std::pair<QString, QWidget*> rows[] = {
        { QStringLiteral("IP Address"), m_ip },
        { QStringLiteral("Port "), m_port },
        { QStringLiteral("User"), m_user },
        { QStringLiteral("Password "), m_password },
        { QStringLiteral("Database"), m_database },
        { QStringLiteral("ODBC Driver"), m_driver },
    };
    int row = 0;
    for (const auto& [caption, editor] : rows) {
        addField(form, row, 0, caption, editor);
        form->itemAtPosition(row++, 1)->setAlignment(Qt::AlignLeft);
    }
    m_update = link(QStringLiteral("Edit"), "hUpdate", [this] { editOrSaveSettings(); });
    form->addWidget(m_update, 0, 2, Qt::AlignRight | Qt::AlignTop);
    form->setColumnMinimumWidth(0, 90);
    form->setColumnStretch(1, 1);
    return box;
}

QGroupBox* UploadTab::buildStatus()
{
    m_status1 = statusLabel("hStatus1");
    m_status2 = statusLabel("hStatus2");
    auto* commands = new QHBoxLayout;
    commands->setSpacing(26);
    commands->addWidget(link(QStringLiteral("Test"), "hTest", [this] { testConnection(); }));
    commands->addWidget(link(QStringLiteral("UpLoad"), "hUpLoad", [this] { uploadAssessment(); }));
    commands->addStretch(1);

    QGroupBox* box = FormLayout::group(QStringLiteral("Status "), "GroupBox17");
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(14, 12, 14, 12);
    column->setSpacing(10);
    column->addWidget(m_status1);
    column->addWidget(m_status2);
    column->addSpacing(24);
    column->addLayout(commands);
    column->addStretch(1);
    return box;
}

void UploadTab::setStatuses(const QString& status1, const QString& status2)
{
    m_status1->setText(status1);
    m_status2->setText(status2);
    // The upload runs on this thread: show the new texts before it goes on.
    m_status1->repaint();
    m_status2->repaint();
}

void UploadTab::fillDriverBox(const QString& current)
{
    QStringList drivers = installedOdbcDrivers();
    if (!current.isEmpty() && !drivers.contains(current))
        drivers.prepend(current);
    m_driver->clear();
    m_driver->addItems(drivers);
    m_driver->setCurrentText(current);
}

void UploadTab::tabShown()
{
    showStored();
    setStatuses(CentralUpload::kDisconnected, CentralUpload::kReady);
    m_status1->setToolTip(QString());
    m_status2->setToolTip(QString());
}

void UploadTab::showStored()
{
    Table& sys = assessment().system();
    m_ip->setText(sys.text(QStringLiteral("SQL-IP")));
    m_port->setText(sys.text(QStringLiteral("SQL-Port")));
    m_user->setText(sys.text(QStringLiteral("SQL-User")));
    m_password->setText(sys.text(QStringLiteral("SQL-Password")));
    m_database->setText(sys.text(QStringLiteral("SQL-Database")));
    fillDriverBox(CentralUpload::storedSettings(assessment()).driver);
}

bool UploadTab::isEditing() const
{
    return m_update->text() != QLatin1String("Edit");
}

// The settings being edited read otherwise than the store holds them.
bool UploadTab::hasPendingEdits() const
{
    if (!isEditing() || !assessment().isOpen())
        return false;
    const ServerSettings stored = CentralUpload::storedSettings(assessment());
    return m_ip->text() != stored.address || m_port->text() != stored.port || m_user->text() != stored.user
        || m_password->text() != stored.password || m_database->text() != stored.database
        || m_driver->currentText() != stored.driver;
}

bool UploadTab::offerPendingEdits()
{
    if (!hasPendingEdits())
        return true;
    if (!dialogs().ask(QStringLiteral("Save changes?"), Dialogs::Default::Yes))
        return host().runCommand([this] { assessmentReplaced(); });
    return host().runCommand([this] { editOrSaveSettings(); }) && !isEditing();
}

// Settings being edited go back to showing what the store holds.
void UploadTab::assessmentReplaced()
{
    stopEditing();
    showStored();
}

void UploadTab::stopEditing()
{
    for (QWidget* w : std::initializer_list<QWidget*> { m_ip, m_port, m_user, m_password, m_database, m_driver })
        w->setEnabled(false);
    m_update->setText(QStringLiteral("Edit"));
}

void UploadTab::save()
{
    if (isEditing())
        editOrSaveSettings();
}

// The settings go to the store as typed (the password cut to 32 characters),
// whatever state the other editors are in; the saved flag is left as it is.
void UploadTab::editOrSaveSettings()
{
    const std::initializer_list<QWidget*> editors { m_ip, m_port, m_user, m_password, m_database, m_driver };
    if (!isEditing()) {
        for (QWidget* w : editors)
            w->setEnabled(true);
        m_update->setText(QStringLiteral("Save"));
        return;
    }
    const QString addressProblem = ServerAddress::problem(m_ip->text());
    if (!addressProblem.isEmpty()) {
        dialogs().notice(addressProblem);
        m_ip->setFocus();
        return;
    }
    if (m_password->text().size() > 32)
        m_password->setText(m_password->text().left(32));
    Table& sys = assessment().system();
    sys.edit();
    sys.setText(QStringLiteral("SQL-IP"), m_ip->text());
    sys.setText(QStringLiteral("SQL-Port"), m_port->text());
    sys.setText(QStringLiteral("SQL-User"), m_user->text());
    sys.setText(QStringLiteral("SQL-Password"), m_password->text());
    sys.setText(QStringLiteral("SQL-Database"), m_database->text());
    sys.setText(QStringLiteral("SQL-Driver"), m_driver->currentText());
    sys.post();
    stopEditing();
    setStatus(QStringLiteral("Save complete           "));
}

ServerSettings UploadTab::connectionSettings() const
{
    ServerSettings s = CentralUpload::storedSettings(assessment());
    s.address = m_ip->text();
    s.port = m_port->text();
    s.user = m_user->text();
    s.database = m_database->text();
    if (!m_driver->currentText().trimmed().isEmpty())
        s.driver = m_driver->currentText();
    return s;
}

void UploadTab::testConnection()
{
    CentralUpload::Outcome outcome;
    {
        WaitCursor wait(dialogs());
        try {
            outcome = CentralUpload::test(connectionSettings());
        } catch (const QuarrixError&) {
            // The settings cannot be sent to the driver as they are.
            m_status1->setText(CentralUpload::kTestFailed);
            throw;
        }
    }
    m_status1->setText(outcome.status1);
    m_status1->setToolTip(outcome.problems.join(QLatin1Char('\n')));
    setStatus(kTestComplete);
}

void UploadTab::uploadAssessment()
{
    CentralUpload::Outcome outcome;
    {
        WaitCursor wait(dialogs());
        try {
            outcome = CentralUpload::upload(assessment(), connectionSettings(), host().divisionFilterText(),
                [this](const QString& s1, const QString& s2) { setStatuses(s1, s2); });
        } catch (const QuarrixError&) {
            // Nothing was written centrally: the upload was rolled back or
            // never started.
            setStatuses(CentralUpload::kDisconnected, CentralUpload::kTableProblem);
            setStatus(CentralUpload::kTableProblem);
            throw;
        }
    }
    setStatuses(outcome.status1, outcome.status2);
    m_status2->setToolTip((outcome.problems + outcome.notes).join(QLatin1Char('\n')));
    setStatus(CentralUpload::uploadStatusLine(outcome));
}
