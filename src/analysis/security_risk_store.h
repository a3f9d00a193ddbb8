#pragma once

#include <QString>

class Assessment;

// The threat and risk entry of one attribute of one application, kept in
// AppControl. Applications are told apart by their row id, since their names
// need not be unique.
struct RiskEntry {
    QString risk;
    QString likelihood = QStringLiteral("Low");
    QString impact = QStringLiteral("Low");
};

namespace RiskStore {
// The stored entry, or the empty one ("Low", "Low") when none is stored.
RiskEntry read(Assessment& assessment, qint64 applicationId, const QString& attribute);
// Stores the entry, updating the existing row or adding one.
void write(Assessment& assessment, qint64 applicationId, const QString& application, const QString& attribute,
    const RiskEntry& entry);
// Keeps the application's name on its entries after a rename.
void rename(Assessment& assessment, qint64 applicationId, const QString& application);
// Deletes the application's entries (before the application itself goes, so
// a later application given the same row id starts without them).
void removeApplication(Assessment& assessment, qint64 applicationId);
}
