#pragma once

#include "compare/change_model.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <utility>
#include <vector>

class Assessment;

// One record as the comparison sees it: its key and its compared values, in
// the order of its kind's fields (see AssessmentComparison). Free text reads
// with "\n" line ends and no trailing line break, so an archive and the store
// it came from read alike.
struct FactRecord {
    QString key;
    QStringList values;
};

// Where one driver of the trace leads: the requirements its lines name and
// the distinct steps (security attribute, control) its profile reaches.
struct TracedDriver {
    QStringList requirements; // sorted, distinct; one empty text when it names none
    std::vector<std::pair<QString, QString>> steps; // sorted, distinct
};

// Everything of one assessment that a comparison looks at, read once, for
// one division filter ("All" reads every record).
struct AssessmentFacts {
    ComparedSource source;
    QString division = QStringLiteral("All");

    std::vector<std::pair<QString, QString>> identity; // System field -> value
    QStringList divisions, groups, activities;

    // The first record of each key, in key order; the values follow the
    // field lists of AssessmentComparison.
    std::vector<FactRecord> requirements; // within the division
    std::vector<FactRecord> drivers; // within the division
    std::vector<FactRecord> applications; // within the division; a repeated name gets " (2)", " (3)"...
    std::vector<FactRecord> risks; // key: application and attribute joined by a line feed
    std::vector<FactRecord> controls; // the catalogue
    std::vector<FactRecord> attributes; // the taxonomy

    struct ProfileRow {
        QString driver, attribute;
        QVariant priority; // null when never set
    };
    std::vector<ProfileRow> profiles; // rows of the drivers within the division (every row under "All")

    // The security attributes in use, derived for the division; the control
    // objectives and controls assigned to each attribute.
    QStringList attributesInUse;
    struct Assignment {
        QString attribute;
        bool objective = false; // a control objective, else a control
        QString id; // the text before the entry's first colon, or the whole entry
    };
    std::vector<Assignment> assignments;

    std::map<QString, TracedDriver> trace; // by driver
    std::vector<GapChange> gaps; // every gap of the trace, in the gap lists' order

    std::vector<std::pair<QString, QString>> businessToTechnical, technicalToSecurity; // distinct, sorted
};

namespace AssessmentFactsReader {
// Reads the facts of an assessment opened for the comparison alone: it sets
// the division filter on its requirements and drivers; nothing is written.
AssessmentFacts read(Assessment& assessment, const QString& division);
// Free text as compared: CR LF and lone CR read as "\n", trailing line breaks dropped.
QString comparedText(const QString& text);
}
