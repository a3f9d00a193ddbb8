#pragma once

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "store/quarrix_error.h"
#include "store/report_details.h"
#include "support/temp_store.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

// Logic tests of the archive over a real store in a temporary folder.
class ArchiveTest : public StoreFixture {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // The file loadLines() writes; its name has a '%' so messages must not expand it.
    QString inputFile() const { return file("in %2.txt"); }

    static QByteArray readBytes(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return f.readAll();
    }
    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    // An archive file made of the given lines, each ended by CR LF, in Windows-1252.
    static QByteArray archiveBytes(const QStringList& lines)
    {
        return ArchiveWriter::encode(lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n"));
    }

    // The lines of the archive the writer makes of the store, split at CR LF.
    QStringList savedLines()
    {
        QString text = ArchiveWriter::text(a);
        EXPECT_TRUE(text.endsWith(QLatin1String("\r\n")));
        text.chop(2);
        return text.split(QStringLiteral("\r\n"));
    }

    // The two ways a file replaces the assessment: read whole, then applied
    // (the window, which asks between the two), or loaded at once while a
    // second thread reads it (the command line).
    enum class Loading { ReadThenApply, AtOnce };
    static constexpr Loading kLoadings[] = { Loading::ReadThenApply, Loading::AtOnce };
    static const char* name(Loading l) { return l == Loading::AtOnce ? "loaded at once" : "read, then applied"; }
    Loading loading = Loading::ReadThenApply;

    // Reads a file and replaces the store's assessment by it, the way
    // loading says; returns what was read (loaded at once: whether it is an
    // archive, without the blocks).
    ArchiveReader::Result load(const QString& path)
    {
        ArchiveReader::Result r;
        if (loading == Loading::AtOnce) {
            r.isArchive = ArchiveReader::load(a, path);
            return r;
        }
        r = ArchiveReader::read(path);
        if (r.isArchive)
            ArchiveReader::apply(a, r.blocks);
        return r;
    }
    ArchiveReader::Result loadLines(const QStringList& lines)
    {
        const QString path = inputFile();
        writeBytes(path, archiveBytes(lines));
        return load(path);
    }
    // Loads the lines both ways: each must be refused with a message that
    // holds every part said and leave the store as it was.
    void expectRefusedBothWays(const QStringList& lines, const QStringList& said)
    {
        const QStringList before = snapshot();
        for (const Loading way : kLoadings) {
            SCOPED_TRACE(name(way));
            loading = way;
            try {
                loadLines(lines);
                ADD_FAILURE() << "loaded";
            } catch (const QuarrixError& e) {
                for (const QString& part : said)
                    EXPECT_TRUE(e.message().contains(part)) << e.message().toStdString();
            }
            EXPECT_EQ(snapshot(), before);
        }
    }

    // Every archived value of the store: the System fields, then each table's
    // records in the table's order, each record as its archived fields (a
    // risk entry follows its application, with the application's name), then
    // the report details when any were given.
    QStringList snapshot()
    {
        QStringList out;
        const ArchiveFormat::Block* risks = nullptr;
        for (const ArchiveFormat::Block& block : ArchiveFormat::blocks())
            if (block.belongsToPrevious())
                risks = &block;
        auto record = [](Table& t, const ArchiveFormat::Block& block, int row) {
            QStringList values;
            for (const ArchiveFormat::Field& f : block.fields)
                values << t.textAt(row, t.fieldIndex(QString::fromLatin1(f.name)));
            return t.name() + QLatin1Char('|') + values.join(QLatin1Char('|'));
        };
        for (const ArchiveFormat::Block& block : ArchiveFormat::blocks()) {
            if (block.isReportDetails) {
                if (!ReportDetailsStore::anyGiven(a.store()))
                    continue;
                const ReportDetails d = ReportDetailsStore::read(a.store());
                out << QStringList { "ReportDetails", d.releasedBy, d.contact, d.address, d.commentary, d.disclaimer }
                           .join(QLatin1Char('|'));
                continue;
            }
            Table& t = *a.byName(block.table);
            if (!block.record()) {
                for (const ArchiveFormat::Field& f : block.fields)
                    out << QStringLiteral("System.%1=%2")
                               .arg(QString::fromLatin1(f.name), t.text(QString::fromLatin1(f.name)));
                continue;
            }
            if (&block == risks)
                continue;
            t.setFiltered(false);
            t.refresh();
            for (int row = 0; row < t.recordCount(); ++row) {
                out << record(t, block, row);
                if (ArchiveFormat::owner(*risks) != &block)
                    continue;
                Table& entries = *a.byName(risks->table);
                for (int e = 0; e < entries.recordCount(); ++e)
                    if (entries.textAt(e, entries.fieldIndex("AppId")) == QString::number(t.rowIdAt(row)))
                        out << QStringLiteral("  ") + record(entries, *risks, e) + QLatin1Char('|')
                                + entries.textAt(e, entries.fieldIndex("Application"));
            }
        }
        return out;
    }
    QString field(Table& t, const char* name) { return t.text(QString::fromLatin1(name)); }
};
