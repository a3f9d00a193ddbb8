#include "catalogues/starter_sets.h"

#include "catalogues/attribute_set_import.h"
#include "catalogues/control_set_import.h"
#include "files/data_folder.h"
#include "store/assessment.h"

#include <QDir>
#include <QFileInfo>

namespace StarterSets {

QString controlSetName()
{
    return QStringLiteral("starter_controls.xlsx");
}
QString attributeSetName()
{
    return QStringLiteral("starter_attributes.xlsx");
}

QString defaultFolder()
{
    return DataFolder::file(QStringLiteral("sets"));
}

bool applyAutoloadDefaults(Assessment& assessment, const QString& folder)
{
    const QDir dir(folder);
    const QString controls = dir.absoluteFilePath(controlSetName());
    const QString attributes = dir.absoluteFilePath(attributeSetName());
    if (!QFileInfo::exists(controls) || !QFileInfo::exists(attributes))
        return false;
    Table& sys = assessment.system();
    const int width = sys.def().fields[size_t(sys.fieldIndex(QStringLiteral("AutoControlFile")))].width;
    auto stored = [width](const QString& path, const QString& name) {
        return path.size() <= width ? path : QStringLiteral("sets/") + name;
    };
    sys.edit();
    sys.setText(QStringLiteral("AutoControlFile"), stored(controls, controlSetName()));
    sys.setBoolean(QStringLiteral("AutoControl"), true);
    sys.setText(QStringLiteral("AutoAttributeFile"), stored(attributes, attributeSetName()));
    sys.setBoolean(QStringLiteral("AutoAttribute"), true);
    sys.post();
    return true;
}

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

QString locate(const QString& fileName)
{
    if (fileName.isEmpty() || QFileInfo::exists(fileName) || !QFileInfo(fileName).isRelative())
        return fileName;
    const QString beside = DataFolder::file(fileName);
    return QFileInfo::exists(beside) ? beside : fileName;
}

}
