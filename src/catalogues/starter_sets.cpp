#include "catalogues/starter_sets.h"

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

QString locate(const QString& fileName)
{
    if (fileName.isEmpty() || QFileInfo::exists(fileName) || !QFileInfo(fileName).isRelative())
        return fileName;
    const QString beside = DataFolder::file(fileName);
    return QFileInfo::exists(beside) ? beside : fileName;
}

}
