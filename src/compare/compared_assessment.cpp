#include "compare/compared_assessment.h"

#include "archive/archive_reader.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QFileInfo>

namespace ComparedAssessment {

namespace {

bool isStore(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuarrixError(QStringLiteral("Cannot open '%1': %2").arg(path, file.errorString()));
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

}

AssessmentFacts read(const QString& path, const QString& division)
{
    const bool store = isStore(path);
    QString error;
    std::unique_ptr<Store> memory = store ? Store::openCopyInMemory(path, &error) : Store::openInMemory(&error);
    Assessment assessment;
    if (!memory || !assessment.open(std::move(memory), &error))
        throw QuarrixError(error);
    if (!store && !ArchiveReader::load(assessment, path))
        throw QuarrixError(ArchiveReader::notAnArchive(path));
    AssessmentFacts facts = AssessmentFactsReader::read(assessment, division);
    facts.source.path = path;
    facts.source.archive = !store;
    facts.source.modified = QFileInfo(path).lastModified();
    return facts;
}

}
