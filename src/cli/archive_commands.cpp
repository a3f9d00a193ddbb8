#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/table_expressions.h"

// save-archive FILE [--division NAME]: writes the assessment to an archive.
// With --division the division filter is set first and then lifted by the
// save, as the window does when a division is chosen.
// Values the format cannot keep are listed and the save refused, unless
// --anyway says to write them as they are.
static CliCommand saveArchiveCommand("save-archive", "FILE [--division NAME] [--anyway]", [](CliContext& c) {
    const bool anyway = c.args.removeAll(QStringLiteral("--anyway")) > 0; // a flag without a value
    const QStringList files = c.positional();
    if (files.size() != 1)
        throw QuarrixError(QStringLiteral("save-archive needs one archive file name."));
    Assessment& a = c.assessment;
    if (c.hasOption(QStringLiteral("--division"))) {
        const QString division = c.option(QStringLiteral("--division"));
        for (Table* t : { &a.requirements(), &a.drivers() }) {
            t->setFilter(TableExpressions::equals(QStringLiteral("Division"), division));
            t->setFiltered(true);
        }
    }
    if (a.requirements().filtered() || a.drivers().filtered())
        ArchiveWriter::liftDivisionFilter(a);
    const QStringList unkept = ArchiveWriter::unkeptValues(a);
    for (const QString& value : unkept)
        cliErr(value);
    if (!unkept.isEmpty() && !anyway) {
        cliErr(QStringLiteral("Nothing was saved: these values would come back split across other fields. Change "
                              "them, or give --anyway to save them as they are."));
        return 1;
    }
    const ArchiveWriter::Encoding used = ArchiveWriter::save(a, files.first());
    cliOut(QStringLiteral("Save complete: %1 (%2)")
               .arg(files.first(),
                   used == ArchiveWriter::Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252")));
    return 0;
});

// load-archive FILE: replaces the assessment by the archive's, clearing the
// store first as the window does, in one transaction while the file is read:
// a file that is not an archive, cannot be read, ends early or holds a bad
// value leaves the store as it was (exit status 1, with the reason and the
// line).
static CliCommand loadArchiveCommand("load-archive", "FILE", [](CliContext& c) {
    const QStringList files = c.positional();
    if (files.size() != 1)
        throw QuarrixError(QStringLiteral("load-archive needs one archive file name."));
    if (!ArchiveReader::load(c.assessment, files.first())) {
        cliErr(ArchiveReader::notAnArchive(files.first()));
        return 1;
    }
    c.assessment.setWorkArchived(true);
    cliOut(QStringLiteral("Load complete: %1").arg(files.first()));
    return 0;
});
