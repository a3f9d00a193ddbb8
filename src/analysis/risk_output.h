#pragma once

#include "analysis/requirements_at_risk.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The requirements at risk as the command line prints them.
namespace RiskOutput {
// Per requirement its line, then its worst risk and the attributes without
// controls, indented; a sentence when none is at risk.
QString text(const std::vector<RequirementAtRisk>& list);
// A header row "requirement,score,level,application,security_attribute,
// uncontrolled_attributes" and a row per requirement (score, level,
// application and attribute empty without a worst risk; the attributes
// without controls joined by "; "), quoted as RFC 4180 asks, rows ended by CR LF.
QString csv(const std::vector<RequirementAtRisk>& list);
// An array of objects with the same keys: score a number or null, the
// attributes without controls a list.
QByteArray json(const std::vector<RequirementAtRisk>& list);
}
