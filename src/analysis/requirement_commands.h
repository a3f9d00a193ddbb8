#pragma once

#include <QString>

class Assessment;

// What the Requirements tab edits of one requirement.
struct RequirementValues {
    QString id; // RSeq
    QString requirement;
    QString division;
    QString priority;
    QString activity;
    QString source; // memo, CR LF line ends
};

// Saves the requirement stored at rowId (it must be among the visible
// records) with all six fields and, when its identifier or text changed, the
// requirement lines of every driver that lists it. One transaction: a failure
// leaves the requirement and the drivers as they were. The requirement is the
// current record afterwards.
void saveRequirement(Assessment& assessment, qint64 rowId, const RequirementValues& values);
