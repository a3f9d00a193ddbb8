#include "cli/command_registry.h"
#include "cli/page_commands.h"
#include "store/quarrix_error.h"

// quarrix-cli knows the page commands by name and usage only: main() hands
// them to quarrix-cli-pages before a store is opened, so these handlers run
// only if that hand-over is missed.

namespace {

int handledElsewhere(CliContext&)
{
    throw QuarrixError(QStringLiteral("This command runs in quarrix-cli-pages."));
}

}

static CliCommand reportCommand("report", PageCommands::reportUsage, CliDrawing::Pages, handledElsewhere);
static CliCommand taxonomyCommand("taxonomy-report", PageCommands::taxonomyUsage, CliDrawing::Pages, handledElsewhere);
static CliCommand listingsCommand("listings", PageCommands::listingsUsage, CliDrawing::Pages, handledElsewhere);
