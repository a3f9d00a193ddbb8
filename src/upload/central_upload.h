#pragma once

#include "upload/odbc_connection.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class Assessment;

// Copies the working assessment into the central database, and tries the
// connection. The Upload tab and the command line both call these.
namespace CentralUpload {

// Texts of the two status labels.
inline const QString kDisconnected = QStringLiteral("Disconnected");
inline const QString kTryingToConnect = QStringLiteral("Trying to connect");
inline const QString kConnected = QStringLiteral("Connected");
inline const QString kTestedOk = QStringLiteral("Disconnected (Tested OK)");
inline const QString kTestFailed = QStringLiteral("Disconnected (Test Failed)");
inline const QString kReady = QStringLiteral("Ready to connect");
inline const QString kWorking = QStringLiteral("Working");
inline const QString kTableProblem = QStringLiteral("Upload failure - SQL Table problem");

// The ODBC driver used when none is stored.
inline const QString kDefaultDriver = QStringLiteral("FreeTDS");

// The settings stored in the System record.
ServerSettings storedSettings(Assessment& assessment);

struct Outcome {
    QString status1; // final text of the first status label
    QString status2; // final text of the second status label
    QStringList problems; // why tables were skipped or the test failed, one line each
    QStringList notes; // what was left out without harm (an optional table the database lacks)
};

// What the status line says after an upload: "Upload complete" padded, or
// the failure with the reasons when a table could not be written.
QString uploadStatusLine(const Outcome& outcome);

// Connects and opens the central Test table.
Outcome test(const ServerSettings& settings);

// The two status labels' texts as they change during an upload.
using StatusChanged = std::function<void(const QString& status1, const QString& status2)>;

// Uploads the assessment as the tables' filters leave it (the division
// filter of Requirements and Drivers applies); `division` is the division
// filter's text, for the in-use derivation. All central tables are written
// in one transaction on one connection: a table that cannot be opened is
// skipped and reported in the outcome; an error while emptying or writing
// a table rolls everything back and raises QuarrixError naming the table
// and the row, so the central database keeps its previous contents; on a
// connection that died, the failure where it died is the one named.
// DrvCon (driver, attribute in use it carries, control identifier) is not
// one of the required tables: it is written when the central database has
// it, and otherwise left out with a note, not a problem.
Outcome upload(Assessment& assessment, const ServerSettings& settings, const QString& division,
    const StatusChanged& statusChanged = {});

// The highest impact rating ("Low" < "Medium" < "High") recorded for each
// attribute in the Applications tab's risk entries; attributes without one
// are absent.
QHash<QString, QString> highestImpacts(Assessment& assessment);

}
