#pragma once

#include "catalogues/control_origin.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Assessment;

// A security attribute in use that needs a control, and the drivers within
// the division filter that carry it ("BD1.01 Trustworthy books").
struct OscalNeed {
    QString attribute;
    QStringList drivers;
};

// A catalog control the assessment selects.
struct OscalSelectedControl {
    ControlOrigin::Remembered remembered;
    std::vector<OscalNeed> needs; // by attribute name
};

// What the assessment selects of its control catalogue for the division:
// the controls named by the objectives and control entries of the security
// attributes in use. An objective entry names the objective's base control.
// Read from the store in one read transaction; nothing is written, the
// attributes in use are worked out in memory.
struct OscalSelection {
    std::optional<ControlOrigin::Catalog> catalog; // none for a control set from a spreadsheet
    std::vector<OscalSelectedControl> controls; // in catalog order, each once
    // Entries that name no catalogue control or a control without an OSCAL
    // id: "control 09.09.09 (Traceability): not in the control catalogue".
    QStringList leftOut;
    QString assessmentName, assessmentId; // System's Assessment and AssID

    static OscalSelection read(Assessment& assessment, const QString& division, bool withJson);
};
