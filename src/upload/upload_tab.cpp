#include "upload/upload_tab.h"

#include "gui/form_controls_widget.h"
#include "gui/link_label.h"
#include "gui/memo_text.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "upload/central_upload.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString kTestComplete = QStringLiteral("Test complete               ");
const QString kUploadComplete = QStringLiteral("Upload complete           ");

QLabel* statusLabel(const char* name, const QRect& g, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(g);
    label->setStyleSheet(QStringLiteral("QLabel { color: red; font-weight: bold; }"));
    return label;
}

}

UploadTab::UploadTab(TabHost& host)
    : TabPage(host, "TabSheet3", QStringLiteral("Upload"))
{
    auto* connection = new QGroupBox(QStringLiteral("SQL Connection "), this);
    connection->setObjectName(QStringLiteral("GroupBox16"));
    connection->setGeometry(8, 6, 450, 230);
    FormControls::caption(QStringLiteral("IP Address"), QRect(10, 28, 100, 16), connection);
    m_ip = FormControls::placeDisabled<QLineEdit>(
        "eIP", QStringLiteral("Enter the IP addrress of the SQL server"), QRect(110, 24, 160, 22), connection);
    FormControls::caption(QStringLiteral("Port "), QRect(10, 56, 100, 16), connection);
    m_port = FormControls::placeDisabled<QLineEdit>(
        "ePort", QStringLiteral("Enter the port number of the SQL server"), QRect(110, 52, 60, 22), connection);
    FormControls::caption(QStringLiteral("User"), QRect(10, 84, 100, 16), connection);
    m_user = FormControls::placeDisabled<QLineEdit>(
        "eUser", QStringLiteral("Enter the SQL user name"), QRect(110, 80, 220, 22), connection);
    FormControls::caption(QStringLiteral("Password "), QRect(10, 112, 100, 16), connection);
    m_password = FormControls::placeDisabled<QLineEdit>(
        "ePassword", QStringLiteral("Enter teh SQL password"), QRect(110, 108, 220, 22), connection);
    m_password->setEchoMode(QLineEdit::Password);
    FormControls::caption(QStringLiteral("Database"), QRect(10, 140, 100, 16), connection);
    m_database = FormControls::placeDisabled<QLineEdit>("eDatabase",
        QStringLiteral("Enter the database name into which the Quarrix results will be stored"),
        QRect(110, 136, 220, 22), connection);
    FormControls::caption(QStringLiteral("ODBC Driver"), QRect(10, 168, 100, 16), connection);
    m_driver = FormControls::placeDisabled<QComboBox>("cbDriver",
        QStringLiteral("Choose the ODBC driver that reaches the SQL server"), QRect(110, 164, 220, 22), connection);
    m_driver->setEditable(true);
    m_driver->setInsertPolicy(QComboBox::NoInsert);
    m_update = new LinkLabel(QStringLiteral("Edit"), "hUpdate", connection);
    m_update->setGeometry(400, 24, 40, 18);
    connect(m_update, &LinkLabel::clicked, this, [this] { run([this] { hUpdateClick(); }); });

    auto* status = new QGroupBox(QStringLiteral("Status "), this);
    status->setObjectName(QStringLiteral("GroupBox17"));
    status->setGeometry(466, 6, 446, 230);
    m_status1 = statusLabel("hStatus1", QRect(14, 30, 330, 18), status);
    m_status2 = statusLabel("hStatus2", QRect(14, 58, 330, 18), status);
    auto* test = new LinkLabel(QStringLiteral("Test"), "hTest", status);
    test->setGeometry(14, 110, 40, 18);
    connect(test, &LinkLabel::clicked, this, [this] { run([this] { hTestClick(); }); });
    auto* upload = new LinkLabel(QStringLiteral("UpLoad"), "hUpLoad", status);
    upload->setGeometry(80, 110, 60, 18);
    connect(upload, &LinkLabel::clicked, this, [this] { run([this] { hUpLoadClick(); }); });

    setStatuses(CentralUpload::kDisconnected, CentralUpload::kReady);
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
    Table& sys = assessment().system();
    m_ip->setText(sys.text(QStringLiteral("SQL-IP")));
    m_port->setText(sys.text(QStringLiteral("SQL-Port")));
    m_user->setText(sys.text(QStringLiteral("SQL-User")));
    m_password->setText(sys.text(QStringLiteral("SQL-Password")));
    m_database->setText(sys.text(QStringLiteral("SQL-Database")));
    fillDriverBox(CentralUpload::storedSettings(assessment()).driver);
    setStatuses(CentralUpload::kDisconnected, CentralUpload::kReady);
    m_status1->setToolTip(QString());
    m_status2->setToolTip(QString());
}

void UploadTab::hUpdateClick()
{
    const std::initializer_list<QWidget*> editors { m_ip, m_port, m_user, m_password, m_database, m_driver };
    if (m_update->text() == QLatin1String("Edit")) {
        for (QWidget* w : editors)
            w->setEnabled(true);
        m_update->setText(QStringLiteral("Save"));
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
    for (QWidget* w : editors)
        w->setEnabled(false);
    m_update->setText(QStringLiteral("Edit"));
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

void UploadTab::hTestClick()
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

void UploadTab::hUpLoadClick()
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
            throw;
        }
    }
    setStatuses(outcome.status1, outcome.status2);
    m_status2->setToolTip(outcome.problems.join(QLatin1Char('\n')));
    setStatus(kUploadComplete);
}
