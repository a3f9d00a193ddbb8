#pragma once

#include <QString>
#include <vector>

class Assessment;

// One driver's profile as the Business Attributes tab sees it: a business
// attribute and its priority (1 to 3; 0 means ignored, no row).
struct ProfileEntry {
    QString attribute;
    int priority = 0;
};

namespace ProfileStore {
// The driver's DrAtt rows (CSeq compared exactly), in row order.
std::vector<ProfileEntry> read(Assessment& assessment, const QString& cseq);

// Stores the priorities of the given attributes for one driver, in the given
// order, all-or-nothing: priority 0 deletes the driver's first row for the
// attribute if there is one; 1 to 3 updates that row or appends a new one.
// Rows of attributes not listed stay as they are. DrAtt is re-read afterwards.
void save(Assessment& assessment, const QString& cseq, const std::vector<ProfileEntry>& entries);

// The same for the driver stored at driverRowId, under its identifier as
// stored now (so a profile edited before the driver was renamed lands under
// the new name). Raises when the driver is gone.
void saveForDriver(Assessment& assessment, qint64 driverRowId, const std::vector<ProfileEntry>& entries);
}
