#pragma once

#include "analysis/application_risks.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Assessment;

// A requirement at risk and why.
struct RequirementAtRisk {
    QString rseq;
    QString text;
    QString activity;
    // The highest scoring entry of the attributes the requirement reaches,
    // when it scores 3 or more (Medium or High); the first such in the
    // entries' order on a tie.
    std::optional<ScoredRisk> worst;
    QStringList uncontrolled; // attributes it reaches that have no control, sorted
    int bestPriority = 4; // the best DrAtt priority (1 to 3) of a chain to what puts it at risk; 4 for none
};

// Which requirements are at risk. A requirement reaches a security attribute
// through the trace: a driver whose requirement lines name it carries the
// attribute (see TraceChain). It is at risk when an attribute it reaches has
// a risk entry scoring 4 or more, or has no control at all.
//
// The list is in order of urgency: highest score first (requirements at risk
// only through an attribute without controls after every scored one), then
// the best driver priority of the chain, then the requirement's identifier.
//
// Requirements and drivers count within the division filter ("All" or one
// division); the in-use marks are read as the in-use derivation left them,
// so run it for the division first.
namespace RequirementsAtRisk {
std::vector<RequirementAtRisk> list(Assessment& assessment, const QString& division, const ApplicationRisks& risks);
// The score a requirement is ordered by: the worst entry's when 4 or more, else 0.
int urgency(const RequirementAtRisk& r);
}
