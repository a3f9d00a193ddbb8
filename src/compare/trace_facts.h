#pragma once

#include "compare/assessment_facts.h"

class Assessment;

// The comparison's one way into the in-use derivation, the trace and its
// gaps: whatever model the analysis keeps for them, this adapter turns it
// into the facts a comparison reads.
namespace TraceFacts {

// Sets the division filter on the assessment's requirements and drivers and
// reads into facts the attributes in use for the division (worked out in
// memory, the store only read), the trace by driver and the gaps. Reads
// facts.attributes, so the taxonomy is read first.
void read(Assessment& assessment, const QString& division, AssessmentFacts& facts);

}
