#pragma once

#include "compare/assessment_facts.h"

class Assessment;

// The comparison's one way into the in-use derivation, the trace and its
// gaps: whatever model the analysis keeps for them, this adapter turns it
// into the facts a comparison reads.
namespace TraceFacts {

// Sets the division filter on the assessment's requirements and drivers,
// derives the attributes in use for it (the marks are written into this
// assessment, so give it one opened for the comparison alone) and reads the
// attributes in use, the trace by driver and the gaps into facts.
void read(Assessment& assessment, const QString& division, AssessmentFacts& facts);

}
