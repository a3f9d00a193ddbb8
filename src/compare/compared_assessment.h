#pragma once

#include "compare/assessment_facts.h"

#include <QString>

// Opens one side of a comparison: an archive file or a store, told apart by
// the file's first bytes. The assessment is read into a store in memory (an
// archive is loaded there, a store copied there in one read transaction),
// where the attributes in use are derived and the facts read; the file
// itself is only read.
namespace ComparedAssessment {

// Raises QuarrixError naming the file when it cannot be read, is not a
// Quarrix store or is not an archive.
AssessmentFacts read(const QString& path, const QString& division);

}
