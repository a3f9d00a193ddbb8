#pragma once

#include "gui/tab_page.h"
#include "upload/odbc_connection.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The "Upload" tab: the central server settings with their Edit/Save link,
// the Test and UpLoad commands and the two status labels.
class UploadTab : public TabPage {
    Q_OBJECT
public:
    explicit UploadTab(TabHost& host);

    void tabShown() override;
    // Settings typed and not saved are offered like any tab's edits, and go
    // back to what the store holds when the assessment is replaced.
    bool hasPendingEdits() const override;
    bool offerPendingEdits() override;
    void assessmentReplaced() override;
    // Saves the settings while they are being edited.
    void save() override;

    // The Edit/Save link: "Edit" enables the settings, "Save" stores them.
    void editOrSaveSettings();
    void testConnection();
    void uploadAssessment();

private:
    QGroupBox* buildConnection();
    QGroupBox* buildStatus();
    bool isEditing() const;
    void showStored(); // the settings as the store holds them
    void stopEditing();
    // The settings a command connects with: address, port, user, database
    // and driver as the editors show them, the password as stored.
    ServerSettings connectionSettings() const;
    void setStatuses(const QString& status1, const QString& status2);
    void fillDriverBox(const QString& current);

    QLineEdit* m_ip;
    QLineEdit* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_database;
    QComboBox* m_driver;
    LinkLabel* m_update;
    QLabel* m_status1;
    QLabel* m_status2;
};
