#include "app/main_window.h"

#include "core/quarrix_error.h"

// Save to Archive and Load from Archive.

bool TForm2::saveToArchive()
{
    throw QuarrixError(QStringLiteral("Saving to an archive is not available in this build."));
}

void TForm2::loadFromArchive()
{
    throw QuarrixError(QStringLiteral("Loading from an archive is not available in this build."));
}
