#include "cli/command_registry.h"
#include "cli/command_usages.h"

// The commands quarrix-cli hands to quarrix-cli-full: registered without a
// handler, by name and usage only (see full_program.h).

static CliCommand reportCommand("report", CommandUsages::report, CliDrawing::Pages, nullptr);
static CliCommand taxonomyCommand("taxonomy-report", CommandUsages::taxonomyReport, CliDrawing::Pages, nullptr);
static CliCommand listingsCommand("listings", CommandUsages::listingsUsage, CliDrawing::Pages, nullptr);
static CliCommand exportCommand("export", CommandUsages::exportUsage, nullptr);
static CliCommand importAttributes("import-attributes", CommandUsages::importAttributes, nullptr);
static CliCommand importControls("import-controls", CommandUsages::importControls, nullptr);
static CliCommand uploadCommand("upload", CommandUsages::upload, nullptr);
static CliCommand testCommand("test-connection", CommandUsages::testConnection, nullptr);
