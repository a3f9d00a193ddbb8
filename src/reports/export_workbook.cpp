#include "reports/export_workbook.h"

#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <xlsxwriter.h>

namespace ExportWorkbook {

QString cellText(const QString& value, bool* cut)
{
    QString text = value;
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    if (cut)
        *cut = false;
    if (text.size() > cellLimit) {
        qsizetype keep = cellLimit;
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
        if (cut)
            *cut = true;
    }
    return text;
}

namespace {

struct Sheet {
    const char* name;
    std::vector<const char*> headers;
    std::vector<const char*> fields;
};

class Writer {
public:
    explicit Writer(lxw_workbook* book)
        : m_book(book)
    {
    }

    lxw_worksheet* addSheet(const char* name)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, name);
        if (!sheet)
            throw QuarrixError(QStringLiteral("The workbook could not add a worksheet."));
        return sheet;
    }

    void put(lxw_worksheet* sheet, int row, int column, const QString& value)
    {
        bool cut = false;
        const QByteArray utf8 = cellText(value, &cut).toUtf8();
        if (cut)
            ++m_cut;
        const lxw_error error
            = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), utf8.constData(), nullptr);
        if (error != LXW_NO_ERROR)
            throw QuarrixError(QStringLiteral("The workbook could not take the value of row %1, column %2: %3")
                                   .arg(row + 1)
                                   .arg(column + 1)
                                   .arg(QString::fromUtf8(lxw_strerror(error))));
    }

    int cut() const { return m_cut; }

private:
    lxw_workbook* m_book;
    int m_cut = 0;
};

// Fills one worksheet: the header row, then each passing record from row 2.
template <class Passes>
int fillSheet(Writer& writer, lxw_worksheet* sheet, Table& table, const Sheet& layout, Passes passes)
{
    for (size_t c = 0; c < layout.headers.size(); ++c)
        writer.put(sheet, 0, int(c), QString::fromLatin1(layout.headers[c]));
    TableWalk walk(table);
    std::vector<int> fields;
    for (const char* f : layout.fields)
        fields.push_back(walk.field(f));
    int row = 1;
    for (int r = 0; r < walk.count(); ++r) {
        if (!passes(walk, r))
            continue;
        for (size_t c = 0; c < fields.size(); ++c)
            writer.put(sheet, row, int(c), walk.text(r, fields[c]));
        ++row;
    }
    return row - 1;
}

void removeFile(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

}

Result write(Assessment& assessment, const ReportSelection& selection, const QString& fileName)
{
    if (fileName.isEmpty())
        throw QuarrixError(QStringLiteral("No file name was given for the workbook."));
    const QFileInfo target(fileName);
    // Reserve a unique name beside the target; the library opens it afresh.
    QString tempPath;
    {
        QTemporaryFile reserve(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.tmp").arg(target.fileName())));
        reserve.setAutoRemove(false);
        if (!reserve.open())
            throw QuarrixError(QStringLiteral("Cannot write the workbook %1: %2").arg(fileName, reserve.errorString()));
        tempPath = reserve.fileName();
        // A temporary file is private; the workbook gets the target's own
        // permissions, or those of an ordinary new file.
        reserve.setPermissions(target.exists()
                ? target.permissions()
                : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    const QByteArray tempName = QFile::encodeName(tempPath);
    lxw_workbook* book = workbook_new(tempName.constData());
    if (!book) {
        removeFile(tempPath);
        throw QuarrixError(QStringLiteral("Cannot create the workbook %1.").arg(fileName));
    }

    Result result;
    try {
        Writer writer(book);
        static const Sheet layouts[4] = {
            { "Requirements", { "ID", "DIVISION", "REQUIREMENT", "ACTIVITY", "REFERENCE" },
                { "RSeq", "Division", "Requirement", "Activity", "Source" } },
            { "Drivers", { "ID", "DIVISION", "DRIVER", "GROUP", "ACTIVITY", "REQUIREMENTS" },
                { "CSeq", "Division", "Driver", "Group", "Activity", "Requirement" } },
            { "Attributes", { "GROUP", "ATTRIBUTE", "DESCRIPTION" }, { "Group", "Attribute", "Description" } },
            { "Controls", { "ID", "SECTION TITLE", "SUBSECTION TITLE", "SUBSECTION", "CONTROL TITLE", "CONTROL" },
                { "id", "section_title", "subsection_title", "subsection", "control_title", "control" } },
        };
        const bool ticked[4] = { selection.requirements, selection.drivers, selection.attributes, selection.controls };
        lxw_worksheet* sheets[4];
        // Every worksheet exists; one not ticked keeps its default name and stays empty.
        for (int i = 0; i < 4; ++i)
            sheets[i] = writer.addSheet(ticked[i] ? layouts[i].name : nullptr);

        if (ticked[0]) {
            Table& t = assessment.requirements();
            const int activity = t.fieldIndex(QStringLiteral("Activity"));
            result.rows[0] = fillSheet(writer, sheets[0], t, layouts[0], [&](const TableWalk& w, int r) {
                return ReportSelection::passes(selection.activity, w.text(r, activity));
            });
        }
        if (ticked[1]) {
            Table& t = assessment.drivers();
            const int activity = t.fieldIndex(QStringLiteral("Activity"));
            result.rows[1] = fillSheet(writer, sheets[1], t, layouts[1], [&](const TableWalk& w, int r) {
                return ReportSelection::passes(selection.activity, w.text(r, activity));
            });
        }
        if (ticked[2]) {
            Table& t = assessment.attribute();
            const int inUse = t.fieldIndex(QStringLiteral("InUse"));
            const int group = t.fieldIndex(QStringLiteral("Group"));
            result.rows[2] = fillSheet(writer, sheets[2], t, layouts[2], [&](const TableWalk& w, int r) {
                return w.boolean(r, inUse) && ReportSelection::passes(selection.group, w.text(r, group));
            });
        }
        if (ticked[3]) {
            result.rows[3] = fillSheet(
                writer, sheets[3], assessment.controls(), layouts[3], [](const TableWalk&, int) { return true; });
        }
        result.cutCells = writer.cut();
    } catch (...) {
        // Closing is the only way to free the workbook; the file it leaves is removed.
        workbook_close(book);
        removeFile(tempPath);
        throw;
    }

    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR) {
        removeFile(tempPath);
        throw QuarrixError(
            QStringLiteral("Cannot write the workbook %1: %2").arg(fileName, QString::fromUtf8(lxw_strerror(error))));
    }
    // rename() replaces an existing file in one step.
    if (std::rename(tempName.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        removeFile(tempPath);
        throw QuarrixError(QStringLiteral("Cannot write the workbook %1: %2").arg(fileName, reason));
    }
    return result;
}

}
