#pragma once

#include <QString>
#include <QStringList>

class Assessment;

// What the Applications tab edits of one application besides its attributes.
struct ApplicationDetails {
    QString application;
    QString domain;
    QString owner;
    QString description;
    QString division;
};

// Applications have no key: names repeat, so each command takes the row id of
// the application it changes.

// Appends an application with these details and no attributes; it is the
// current record afterwards.
void addApplication(Assessment& assessment, const ApplicationDetails& details);

// Saves the details into the application stored at rowId and keeps its name
// on its risk entries. One transaction.
void saveApplication(Assessment& assessment, qint64 rowId, const ApplicationDetails& details);

// Stores the applicable attributes (SecAtt) of the application at rowId.
void saveApplicationAttributes(Assessment& assessment, qint64 rowId, const QStringList& attributes);

// Deletes the application stored at rowId with its risk entries. One
// transaction.
void deleteApplication(Assessment& assessment, qint64 rowId);
