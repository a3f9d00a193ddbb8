#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "cli/helper_programs.h"

// The commands quarrix-cli hands to a helper program: registered without a
// handler, by name and usage only (see helper_programs.h).

using HelperPrograms::full;
using HelperPrograms::sheets;

static CliCommand importAttributes("import-attributes", CommandUsages::importAttributes, CliDrawing::None, sheets);
static CliCommand importControls("import-controls", CommandUsages::importControls, CliDrawing::None, sheets);
static CliCommand exportCommand("export", CommandUsages::exportUsage, CliDrawing::None, sheets);
static CliCommand reportCommand("report", CommandUsages::report, CliDrawing::Pages, full);
static CliCommand taxonomyCommand("taxonomy-report", CommandUsages::taxonomyReport, CliDrawing::Pages, full);
static CliCommand listingsCommand("listings", CommandUsages::listingsUsage, CliDrawing::Pages, full);
static CliCommand uploadCommand("upload", CommandUsages::upload, CliDrawing::None, full);
static CliCommand testCommand("test-connection", CommandUsages::testConnection, CliDrawing::None, full);
static CliCommand diffCommand("diff", CommandUsages::diff, CliDrawing::Pages, full, CliStore::None);
