#pragma once

#include <QString>
#include <QStringList>

class Assessment;

// The names the outputs' filters may take: those the System tab lists, then
// any other that a record holds, so a name typed on a record still counts.
// Empty names are left out.
namespace FilterNames {

// "All", "Enterprise", the divisions, then other divisions of requirements and drivers.
QStringList divisions(Assessment& assessment);
// "All", the activities, then other activities of requirements and drivers.
QStringList activities(Assessment& assessment);
// "All", the driver group names, then other groups of drivers and attributes.
QStringList groups(Assessment& assessment);

// Raises QuarrixError naming the value and listing the known names when the
// value is not one of them (compared exactly, letter case included).
void require(const char* what, const QString& value, const QStringList& known);

}
