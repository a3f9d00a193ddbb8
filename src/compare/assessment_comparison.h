#pragma once

#include "compare/assessment_facts.h"
#include "compare/change_model.h"

// Compares two assessments, an earlier one and a later one.
//
// Records match by their keys: requirements by RSeq, drivers by CSeq,
// applications by name, risk entries by application and attribute, controls
// by Id, attributes by name. A requirement, driver, control or attribute
// whose key is gone while a new key holds the same text (a requirement's or
// a driver's one-line text, a control's title and description, an
// attribute's description) is reported as renamed, not as removed and
// added; the earlier side's requirements and drivers are then read under
// their new keys in driver lines, profiles, the trace and the gaps, so a
// rename alone changes nothing there.
namespace AssessmentComparison {

ChangeReport compare(const AssessmentFacts& before, const AssessmentFacts& after);

// Reads the two files (each an archive or a store, see ComparedAssessment)
// for the division and compares them. Neither file is changed. Raises
// QuarrixError naming a file that cannot be read.
ChangeReport compareFiles(const QString& before, const QString& after, const QString& division);

}
