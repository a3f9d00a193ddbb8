#include "archive/archive_writer.h"

#include "archive/archive_format.h"
#include "archive/code_page_1252.h"
#include "files/atomic_file.h"
#include "store/assessment.h"

#include <QRegularExpression>
#include <memory>

namespace {

using ArchiveFormat::ValueKind;

const QLatin1String kLineEnd("\r\n");

// A single-line value that holds a line break would push every later value of
// its block one line down on reading; it is written on one line instead.
QString oneLine(const QString& value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QString flat = value;
    flat.replace(breaks, QStringLiteral(" "));
    return flat;
}

// Line breaks inside a multi-line value are written as CR LF: the reader ends
// a line at a lone CR and drops the rest of it up to the next LF.
QString crLfLines(const QString& value)
{
    bool lone = false;
    for (qsizetype i = 0; i < value.size() && !lone; ++i) {
        if (value[i] == QLatin1Char('\r'))
            lone = i + 1 == value.size() || value[i + 1] != QLatin1Char('\n');
        else if (value[i] == QLatin1Char('\n'))
            lone = i == 0 || value[i - 1] != QLatin1Char('\r');
    }
    if (!lone)
        return value;
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QString fixed = value;
    fixed.replace(breaks, kLineEnd);
    return fixed;
}

QString valueText(const QVariant& v, ValueKind kind)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (kind == ValueKind::Number) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qlonglong n = s.toLongLong(&ok);
        return ok ? QString::number(n) : s;
    }
    return v.toString();
}

void writeBlock(QString& out, const ArchiveFormat::Block& block, const std::vector<QString>& values)
{
    out += block.openTag;
    out += kLineEnd;
    for (size_t i = 0; i < block.fields.size(); ++i) {
        const bool lines = block.fields[i].kind == ValueKind::Lines;
        out += lines ? crLfLines(values[i]) : oneLine(values[i]);
        out += kLineEnd;
        if (lines && i + 1 < block.fields.size()) {
            out += ArchiveFormat::kEndOfValue;
            out += kLineEnd;
        }
    }
    out += block.closeTag;
    out += kLineEnd;
}

}

namespace ArchiveWriter {

QString text(Assessment& a)
{
    QString out;
    out += ArchiveFormat::kFirstLine;
    out += kLineEnd;

    Table& sys = a.system();
    if (sys.isEditing())
        sys.post();
    for (const ArchiveFormat::Block& block : ArchiveFormat::blocks()) {
        if (block.record())
            continue;
        std::vector<QString> values;
        for (const ArchiveFormat::Field& f : block.fields)
            values.push_back(sys.text(QString::fromLatin1(f.name)));
        writeBlock(out, block, values);
    }

    for (const ArchiveFormat::Block& block : ArchiveFormat::blocks()) {
        if (!block.record())
            continue;
        Table* shown = a.byName(block.table);
        if (shown->isEditing())
            shown->post();
        // The table's rows in memory are its current order. When a tab has
        // filtered it, a cursor of our own sees every record in that order,
        // so the tab's filter and current record stay as they are.
        std::unique_ptr<Table> unfiltered;
        if (shown->filtered()) {
            unfiltered = std::make_unique<Table>(a.store(), shown->def());
            unfiltered->setSort(shown->sort());
            unfiltered->open();
        }
        const Table& all = unfiltered ? *unfiltered : *shown;
        std::vector<int> indexes;
        for (const ArchiveFormat::Field& f : block.fields)
            indexes.push_back(all.fieldIndex(QString::fromLatin1(f.name)));
        std::vector<QString> values(indexes.size());
        for (int row = 0; row < all.recordCount(); ++row) {
            for (size_t i = 0; i < indexes.size(); ++i)
                values[i] = valueText(all.valueAt(row, indexes[i]), block.fields[i].kind);
            writeBlock(out, block, values);
        }
    }

    out += ArchiveFormat::kLastLine;
    out += kLineEnd;
    return out;
}

QByteArray encode(const QString& text, Encoding* used)
{
    if (CodePage1252::canEncode(text)) {
        if (used)
            *used = Encoding::CodePage1252;
        return CodePage1252::encode(text);
    }
    if (used)
        *used = Encoding::Utf8;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

Encoding save(Assessment& a, const QString& path)
{
    Encoding used = Encoding::CodePage1252;
    AtomicFile::write(path, encode(text(a), &used));
    a.drivers().first();
    return used;
}

QString proposedFileName(const QString& assessmentName)
{
    QString name = assessmentName;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    return name + QStringLiteral(".txt");
}

void liftDivisionFilter(Assessment& a)
{
    Table& reqs = a.requirements();
    Table& drivers = a.drivers();
    const DisplaySuspended suspended { &reqs, &drivers };
    for (Table* t : { &reqs, &drivers }) {
        t->setFiltered(false);
        t->refresh();
        t->first();
    }
}

}
