#pragma once

#include <QString>

// Where the program finds the files it ships with (the starter sets and the
// user guide): beside the executable in the build tree, or in
// <prefix>/share/quarrix once installed.
namespace DataFolder {

// The folder holding "sets" and the user guide.
QString path();
// A file or folder inside it.
QString file(const QString& name);

}
