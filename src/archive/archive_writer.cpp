#include "archive/archive_writer.h"

#include "archive/archive_format.h"
#include "archive/archive_text.h"
#include "archive/code_page_1252.h"
#include "files/atomic_file.h"
#include "store/assessment.h"
#include "store/progress.h"
#include "store/report_details.h"

#include <QHash>
#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using ArchiveFormat::Block;
using ArchiveFormat::ValueKind;

const QByteArray kLineEnd("\r\n");

bool hasBreak(QByteArrayView value)
{
    return value.contains('\r') || value.contains('\n');
}

// Every line break (CR LF, CR or LF) of value replaced by the text given,
// into out.
void replaceBreaks(QByteArrayView value, QByteArrayView by, QByteArray* out)
{
    out->clear();
    out->reserve(value.size() + 16);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' || c == '\n') {
            out->append(by);
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
        } else {
            out->append(c);
        }
    }
}

// A single-line value that holds a line break would push every later value of
// its block one line down on reading; it is written on one line instead. The
// value is handed back as it is when it has no break, else rewritten into
// scratch.
QByteArrayView oneLine(QByteArrayView value, QByteArray* scratch)
{
    if (!hasBreak(value))
        return value;
    replaceBreaks(value, " ", scratch);
    return *scratch;
}

// Line breaks inside a multi-line value are written as CR LF: the reader ends
// a line at a lone CR and drops the rest of it up to the next LF.
QByteArrayView crLfLines(QByteArrayView value, QByteArray* scratch)
{
    bool lone = false;
    for (qsizetype i = 0; i < value.size() && !lone; ++i) {
        if (value[i] == '\r')
            lone = i + 1 == value.size() || value[i + 1] != '\n';
        else if (value[i] == '\n')
            lone = i == 0 || value[i - 1] != '\r';
    }
    if (!lone)
        return value;
    replaceBreaks(value, kLineEnd, scratch);
    return *scratch;
}

// The value of a column as the archive holds it, in UTF-8: stored text as it
// is (a view of the query's row, valid until its next step), other values as
// their text, made in scratch.
QByteArrayView valueText(const SqlStatement& query, int col, ValueKind kind, QByteArray* scratch)
{
    if (kind != ValueKind::Number && query.holdsText(col))
        return query.utf8(col);
    if (query.holdsInteger(col)) {
        scratch->setNum(query.columnInt64(col));
        return *scratch;
    }
    const QVariant v = query.column(col);
    if (!v.isValid() || v.isNull())
        return {};
    if (kind == ValueKind::Number) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qlonglong n = s.toLongLong(&ok);
        *scratch = ok ? QByteArray::number(n) : s.toUtf8();
    } else {
        *scratch = v.toString().toUtf8();
    }
    return *scratch;
}

// The archive's text in UTF-8, handed on in pieces of about kPiece bytes,
// each ending at a line end, so the whole document is never held at once.
class Output {
public:
    explicit Output(std::function<void(QByteArrayView)> take)
        : m_take(std::move(take))
        , m_piece(kPiece, Qt::Uninitialized)
    {
    }
    void line(QByteArrayView text)
    {
        const qsizetype needed = m_used + text.size() + 2;
        if (needed > m_piece.size())
            m_piece.resize(std::max(needed, m_piece.size() * 2));
        char* at = m_piece.data() + m_used;
        if (!text.isEmpty())
            std::memcpy(at, text.data(), size_t(text.size()));
        at[text.size()] = '\r';
        at[text.size() + 1] = '\n';
        m_used = needed;
        if (m_used >= kPiece)
            flush();
    }
    void flush()
    {
        m_take(QByteArrayView(m_piece.constData(), m_used));
        m_used = 0;
    }

private:
    static constexpr qsizetype kPiece = 64 * 1024;
    std::function<void(QByteArrayView)> m_take;
    QByteArray m_piece;
    qsizetype m_used = 0;
};

template <typename Values> void writeBlock(Output& out, const Block& block, const Values& values)
{
    static const QByteArray endOfValue = ArchiveFormat::kEndOfValue.toLatin1();
    QByteArray scratch; // a value rewritten; allocated only when one is
    out.line(block.openBytes);
    for (size_t i = 0; i < block.fields.size(); ++i) {
        const bool lines = block.fields[i].kind == ValueKind::Lines;
        const QByteArrayView value(values[i]);
        out.line(lines ? crLfLines(value, &scratch) : oneLine(value, &scratch));
        if (lines && i + 1 < block.fields.size())
            out.line(endOfValue);
    }
    out.line(block.closeBytes);
}

QString columns(const Block& block)
{
    QStringList names;
    for (const ArchiveFormat::Field& f : block.fields)
        names << quoteIdentifier(QString::fromLatin1(f.name));
    return names.join(QLatin1String(", "));
}

// The values of one row of a query, as the archive holds them; views that
// hold until the query's next step.
using RowValues = std::vector<QByteArrayView>;

// Runs the query and calls row() with the first column, a row id, and the
// block's values of each row (the columns after it).
template <typename Row> void forEachRow(SqlStatement& query, const Block& block, Row row)
{
    RowValues values(block.fields.size());
    std::vector<QByteArray> scratch(block.fields.size());
    query.reset();
    try {
        qint64 rows = 0;
        while (query.step()) {
            Progress::step("Saving the archive", ++rows, 0);
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = valueText(query, int(i) + 1, block.fields[i].kind, &scratch[i]);
            row(query.columnInt64(0), values);
        }
    } catch (...) {
        query.reset();
        throw;
    }
    query.reset();
}

using Entries = QHash<qint64, std::vector<std::vector<QByteArray>>>;

// The records of a block that belongs to the block before it, by the row id
// of the record they belong to, in stored order.
Entries entriesByOwner(Store& store, const Block& block)
{
    Entries entries;
    SqlStatement& query = store.cached(QStringLiteral("SELECT CAST(%1 AS INTEGER), %2 FROM %3 ORDER BY rowid")
                                           .arg(quoteIdentifier(QString::fromLatin1(block.ownerIdField)),
                                               columns(block), quoteIdentifier(block.table)));
    forEachRow(query, block, [&](qint64 owner, const RowValues& values) {
        std::vector<QByteArray>& kept = entries[owner].emplace_back();
        for (QByteArrayView v : values)
            kept.push_back(v.toByteArray());
    });
    return entries;
}

// The report details in the order of their block's fields.
std::vector<QByteArray> reportDetailValues(Assessment& a)
{
    const ReportDetails d = ReportDetailsStore::read(a.store());
    return { d.releasedBy.toUtf8(), d.contact.toUtf8(), d.address.toUtf8(), d.commentary.toUtf8(),
        d.disclaimer.toUtf8() };
}

// Writes the whole archive, reading each table's records straight from the
// store in the table's current order.
void writeArchive(Assessment& a, Output& out)
{
    Table& sys = a.system();
    // Edits in progress are part of the assessment being archived.
    for (const Block& block : ArchiveFormat::blocks())
        if (Table* t = a.byName(block.table); t && t->isEditing())
            t->post();

    out.line(ArchiveFormat::kFirstLine.toLatin1());
    const auto& blocks = ArchiveFormat::blocks();
    for (size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        if (block.isReportDetails) {
            if (ReportDetailsStore::anyGiven(a.store()))
                writeBlock(out, block, reportDetailValues(a));
            continue;
        }
        if (!block.record()) {
            std::vector<QByteArray> values;
            for (const ArchiveFormat::Field& f : block.fields)
                values.push_back(sys.text(QString::fromLatin1(f.name)).toUtf8());
            writeBlock(out, block, values);
            continue;
        }
        if (block.belongsToPrevious())
            continue; // written with the records they belong to
        const Block* owned = b + 1 < blocks.size() && blocks[b + 1].belongsToPrevious() ? &blocks[b + 1] : nullptr;
        const Entries ownedEntries = owned ? entriesByOwner(a.store(), *owned) : Entries();

        // Every record, whatever filter a tab has set, in the order the table shows.
        const Table& shown = *a.byName(block.table);
        SqlStatement& query = a.store().cached(QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY %3")
                                                   .arg(columns(block), quoteIdentifier(block.table),
                                                       TableExpressions::orderClause(shown.def(),
                                                           TableExpressions::parseSort(shown.def(), shown.sort()))));
        forEachRow(query, block, [&](qint64 rowid, const RowValues& values) {
            writeBlock(out, block, values);
            if (!owned)
                return;
            const auto found = ownedEntries.constFind(rowid);
            if (found != ownedEntries.cend())
                for (const std::vector<QByteArray>& entry : *found)
                    writeBlock(out, *owned, entry);
        });
    }
    out.line(ArchiveFormat::kLastLine.toLatin1());
    out.flush();
}

// Whether a multi-line value holds a line, as a reader splits them (at CR
// LF, a lone CR or a lone LF), equal to the line that ends the value.
bool holdsLine(QByteArrayView value, QByteArrayView terminator)
{
    qsizetype start = 0;
    while (start <= value.size()) {
        qsizetype end = start;
        while (end < value.size() && value[end] != '\r' && value[end] != '\n')
            ++end;
        if (value.sliced(start, end - start) == terminator)
            return true;
        if (end + 1 < value.size() && value[end] == '\r' && value[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return false;
}

// Whether code-page bytes holding more than ASCII would be read as UTF-8
// (as "Ã©" encodes to the UTF-8 of "é"): such a text is written in UTF-8
// behind a mark instead, so that it reads back as it was.
bool readsAsUtf8(QByteArrayView bytes, bool ascii)
{
    return !ascii && ArchiveText::isUtf8(bytes);
}

// Raised while writing in the code page when a character has no byte in it,
// or when the text written would be read as UTF-8.
struct NeedsUtf8 { };

}

namespace ArchiveWriter {

QString text(Assessment& a)
{
    QByteArray all;
    Output out([&](QByteArrayView piece) { all += piece; });
    writeArchive(a, out);
    return QString::fromUtf8(all);
}

QByteArray encode(const QString& text, Encoding* used)
{
    QByteArray bytes;
    if (CodePage1252::tryEncode(text, &bytes) && !readsAsUtf8(bytes, CodePage1252::isAscii(bytes))) {
        if (used)
            *used = Encoding::CodePage1252;
        return bytes;
    }
    if (used)
        *used = Encoding::Utf8;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

Encoding save(Assessment& a, const QString& path)
{
    AtomicFile::Replacement file(path);
    Encoding used = Encoding::CodePage1252;
    // One state of the store, for both passes, up to the mark that it is archived.
    Store::Snapshot snapshot(a.store());
    try {
        // Most archives fit the code page; one that does not is written again.
        QByteArray bytes;
        bool ascii = true;
        bool validUtf8 = true; // every piece that is not ASCII
        Output out([&](QByteArrayView piece) {
            // ASCII is the same in the code page; other text is encoded.
            if (CodePage1252::isAscii(piece)) {
                file.write(piece);
                return;
            }
            if (!CodePage1252::tryEncode(QString::fromUtf8(piece), &bytes))
                throw NeedsUtf8();
            ascii = false;
            // Pieces end at line ends, so no sequence spans two of them.
            validUtf8 = validUtf8 && ArchiveText::isUtf8(bytes);
            file.write(bytes);
        });
        writeArchive(a, out);
        if (!ascii && validUtf8)
            throw NeedsUtf8();
    } catch (const NeedsUtf8&) {
        used = Encoding::Utf8;
        file.rewind();
        file.write("\xEF\xBB\xBF");
        Output out([&](QByteArrayView piece) { file.write(piece); });
        writeArchive(a, out);
    }
    file.commit();
    a.setWorkArchived(true);
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
    // A name that would start with a dot makes a hidden file that the
    // Load dialog does not list.
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Assessment");
    else if (name.startsWith(QLatin1Char('.')))
        name.prepend(QLatin1Char('_'));
    return name + QStringLiteral(".txt");
}

QStringList unkeptValues(Assessment& a)
{
    QStringList found;
    Table& sys = a.system();
    for (const Block& block : ArchiveFormat::blocks()) {
        for (size_t i = 0; i < block.fields.size(); ++i) {
            if (block.fields[i].kind != ValueKind::Lines)
                continue;
            const QByteArrayView terminator = ArchiveFormat::terminator(block, i);
            const QString field = QString::fromLatin1(block.fields[i].name);
            auto report = [&](const QString& record) {
                found << QStringLiteral("%1, field %2: a line \"%3\" cannot be kept by the archive format")
                             .arg(record, field, QString::fromLatin1(terminator));
            };
            if (block.isReportDetails) {
                if (ReportDetailsStore::anyGiven(a.store()) && holdsLine(reportDetailValues(a)[i], terminator))
                    report(QStringLiteral("The report details' %1").arg(block.openTag));
                continue;
            }
            if (!block.record()) {
                if (holdsLine(sys.text(field).toUtf8(), terminator))
                    report(QStringLiteral("The project's %1").arg(block.openTag));
                continue;
            }
            // Only values holding the terminator at all are looked at closely.
            const QString first = QString::fromLatin1(block.fields.front().name);
            SqlStatement& query = a.store().cached(
                QStringLiteral("SELECT %1, %2 FROM %3 WHERE instr(%2, ?1) > 0 ORDER BY rowid")
                    .arg(quoteIdentifier(first), quoteIdentifier(field), quoteIdentifier(block.table)));
            query.bindText(1, terminator);
            query.eachRow([&](SqlStatement& row) {
                if (holdsLine(row.utf8(1), terminator))
                    report(QStringLiteral("%1 record \"%2\"").arg(block.table, row.text(0)));
            });
        }
    }
    return found;
}

QString unkeptQuestion(const QStringList& unkept)
{
    constexpr int kShown = 10;
    QString text = QStringLiteral("These values would come back split across other fields after loading:\n")
        + unkept.mid(0, kShown).join(QLatin1Char('\n'));
    if (unkept.size() > kShown)
        text += QStringLiteral("\n(and %1 more)").arg(unkept.size() - kShown);
    return text + QStringLiteral("\nSave anyway?");
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
