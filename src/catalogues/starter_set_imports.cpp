// The starter sets' imports, apart from their folders and settings so that a
// program that only points new stores at the sets (quarrix-cli) does not link
// the spreadsheet readers.
#include "catalogues/starter_sets.h"

#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "store/assessment.h"

#include <QDir>

namespace StarterSets {

namespace {

QString autoloadFile(Assessment& assessment, const QString& field, const QString& starterName)
{
    Table& sys = assessment.system();
    const QString named = sys.hasRecord() ? sys.text(field) : QString();
    return named.isEmpty() ? QDir(defaultFolder()).absoluteFilePath(starterName) : locate(named);
}

}

void importControls(Assessment& assessment)
{
    importControlSet(assessment, autoloadFile(assessment, QStringLiteral("AutoControlFile"), controlSetName()));
}

void importAttributes(Assessment& assessment)
{
    importAttributeSet(assessment, autoloadFile(assessment, QStringLiteral("AutoAttributeFile"), attributeSetName()));
}

}
