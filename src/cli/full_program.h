#pragma once

#include <QString>

// quarrix-cli links only what the store's own commands need (Qt's core and
// SQLite), so that they start fast. The commands that read or write other
// formats (spreadsheets, Word and PDF documents, listings) or talk to a
// database server run in quarrix-cli-full, which links everything; quarrix-cli
// knows them by name and usage and hands the whole command line over to it
// before a store is opened.
namespace FullProgram {

// Beside quarrix-cli in the build tree, in libexec/quarrix when installed.
// Empty when it is not found.
QString path();

}
