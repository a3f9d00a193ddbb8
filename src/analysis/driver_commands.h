#pragma once

#include <QString>
#include <QStringList>

class Assessment;

// What the Drivers tab edits of one driver.
struct DriverValues {
    QString id; // CSeq
    QStringList requirementLines;
    QString driver;
    QString division;
    QString activity;
    QString group;
};

// Saves the driver stored at rowId (it must be among the visible records)
// with all six fields and, when it is saved under a new identifier, moves its
// profile rows (DrAtt) along, from the placeholder "BDx.xx" too. One
// transaction. The driver is the current record afterwards.
void saveDriver(Assessment& assessment, qint64 rowId, const DriverValues& values);

// Gives the driver stored at rowId a new identifier, as typed into a grid's
// cell, and moves its profile rows along. One transaction.
void renameDriver(Assessment& assessment, qint64 rowId, const QString& newId);

// Deletes the driver stored at rowId and, unless another driver carries the
// same identifier, its profile rows, so they no longer feed the in-use
// derivation and the reports. One transaction.
void deleteDriver(Assessment& assessment, qint64 rowId);
