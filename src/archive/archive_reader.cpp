#include "archive/archive_reader.h"

#include "archive/archive_text.h"
#include "archive/block_writer.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

using ArchiveFormat::Block;
using ArchiveReader::BlockSink;
using ArchiveReader::ParsedBlock;

// How much of the file is read at a time.
constexpr qsizetype kPiece = 1024 * 1024;
using ArchiveFormat::ValueKind;

// Raised by LineReader when the text read so far ends inside a line and more
// of the file follows.
struct NeedMore { };

// Lines as the archive reader sees them: a line is the text up to the first
// CR or LF, and reading moves past the next LF. The reader works on a stretch
// of the file's text in UTF-8 (CR, LF and the tags are single ASCII bytes in
// every encoding), and values are views into it. While more of the file
// follows the stretch, a line counts only once its LF is read.
class LineReader {
public:
    struct Position {
        qsizetype offset = 0;
        qint64 number = 0;
    };

    void reset(QByteArrayView text, bool final, Position at)
    {
        m_text = text;
        m_final = final;
        m_pos = at.offset;
        m_number = at.number;
    }

    bool next(QByteArrayView* line)
    {
        if (m_pos >= m_text.size()) {
            if (!m_final)
                throw NeedMore();
            return false;
        }
        const char* begin = m_text.data() + m_pos;
        const char* end = m_text.data() + m_text.size();
        // Lines are short: one pass to the first CR or LF beats two memchr calls.
        const char* stop = begin;
        while (stop != end && *stop != '\n' && *stop != '\r')
            ++stop;
        const QByteArrayView text(begin, stop - begin);
        if (stop != end && *stop == '\r')
            stop = static_cast<const char*>(std::memchr(stop, '\n', size_t(end - stop)));
        if ((!stop || stop == end) && !m_final)
            throw NeedMore();
        *line = text;
        m_pos = stop && stop != end ? stop - m_text.data() + 1 : m_text.size();
        ++m_number;
        return true;
    }
    qint64 number() const { return m_number; } // of the line read last
    Position position() const { return { m_pos, m_number }; }

private:
    QByteArrayView m_text;
    bool m_final = false;
    qsizetype m_pos = 0;
    qint64 m_number = 0;
};

bool isAscii(QByteArrayView line, const QString& ascii)
{
    return QLatin1StringView(line) == ascii;
}

// The lines that end an archive, as bytes.
bool isLastLine(QByteArrayView line)
{
    static const QByteArray last = ArchiveFormat::kLastLine.toLatin1();
    static const QByteArray misspelt = ArchiveFormat::kLastLineMisspelt.toLatin1();
    return line == last || line == misspelt;
}

// An empty line leaves the priority unset; anything else must be a whole
// number from 0 to 65535 (blanks around it are allowed).
bool isPriority(QStringView line)
{
    if (line.isEmpty())
        return true;
    QStringView s = line.trimmed();
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    while (s.size() > 1 && s.front() == QLatin1Char('0'))
        s = s.mid(1);
    return s.size() <= 5 && s.toInt() <= 65535;
}

QString where(const QString& fileName)
{
    return ArchiveText::where(fileName);
}

// The lines of a multi-line value up to its terminator, joined by CR LF.
// Lines that stand in the text joined by exactly CR LF are a view of it;
// other separators (a bare LF, text after a CR) make a joined copy.
// Moving to the next line is nextLine's, which raises when the text ends.
template <typename NextLine>
QByteArrayView multiLineValue(
    const QByteArrayView& line, QByteArrayView terminator, ArchiveReader::ParsedBlock& parsed, NextLine nextLine)
{
    if (line == terminator)
        return {};
    const char* begin = line.data();
    const char* end = line.data() + line.size();
    QByteArray* copy = nullptr;
    for (;;) {
        nextLine();
        if (line == terminator)
            break;
        if (!copy && line.data() == end + 2 && end[0] == '\r' && end[1] == '\n') {
            end = line.data() + line.size();
            continue;
        }
        if (!copy) {
            copy = &parsed.joined.emplace_back(begin, end - begin);
        }
        *copy += "\r\n";
        *copy += line;
    }
    if (copy)
        return *copy;
    return QByteArrayView(begin, end - begin);
}

}

namespace ArchiveReader {

QString decode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    ArchiveText text(buffer, QString());
    QByteArray all;
    for (QByteArray piece = text.next(kPiece); !piece.isEmpty(); piece = text.next(kPiece))
        all += piece;
    return QString::fromUtf8(all);
}

namespace {

// Reads the blocks of an archive's text a stretch at a time. A block, or a
// line outside blocks, that the stretch cuts short is read again from its
// start once the next piece of text is added to what is left of the stretch.
class Parser {
public:
    Parser(ArchiveText& source, const QString& fileName, bool& isArchive, const BlockSink& take)
        : m_source(source)
        , m_fileName(fileName)
        , m_isArchive(isArchive)
        , m_take(take)
    {
    }

    void run()
    {
        fill();
        QByteArrayView line;
        if (!readFirstLine(&line) || !isAscii(line, ArchiveFormat::kFirstLine))
            return;
        m_isArchive = true;
        for (;;) {
            const LineReader::Position at = m_lines.position();
            try {
                if (!m_lines.next(&line))
                    throw QuarrixError(
                        QStringLiteral("%1 ends early: it stops after line %2 without the line %3. Nothing of it was "
                                       "loaded.")
                            .arg(where(m_fileName), QString::number(m_lines.number()), ArchiveFormat::kLastLine));
                if (isLastLine(line))
                    return; // what follows is not read
                if (const Block* block = ArchiveFormat::blockOpenedBy(line))
                    readBlock(*block);
            } catch (const NeedMore&) {
                // A line outside blocks that cannot be a tag is passed over
                // without being kept, however long it is.
                const bool inBlock = ArchiveFormat::blockOpenedBy(lineAt(at)) != nullptr;
                fill(at, !inBlock && m_text.size() - at.offset > kLongestTag);
            }
        }
    }

private:
    static constexpr qsizetype kLongestTag = 64;

    // The line (or its start) beginning at the position.
    QByteArrayView lineAt(LineReader::Position at) const
    {
        const QByteArrayView rest = QByteArrayView(m_text).sliced(at.offset);
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
            ++end;
        return rest.first(end);
    }

    bool readFirstLine(QByteArrayView* line)
    {
        for (;;) {
            try {
                return m_lines.next(line);
            } catch (const NeedMore&) {
                if (m_text.size() > kLongestTag)
                    return false; // longer than "<Analysis>": not an archive
                fill({}, false);
            }
        }
    }

    // Keeps the text from `from` on and adds the next piece (or starts with
    // the first); with `skipLine`, the line at `from` is dropped up to its LF
    // instead, and counts as one line.
    void fill(LineReader::Position from = {}, bool skipLine = false)
    {
        Q_ASSERT(!m_final); // LineReader asks for no more once the text has ended
        QByteArray kept = m_text.isEmpty() ? QByteArray() : m_text.sliced(from.offset);
        qint64 number = from.number;
        if (skipLine) {
            kept.clear();
            for (;;) {
                const QByteArray piece = m_source.next(kPiece);
                if (piece.isEmpty())
                    break;
                const qsizetype lf = piece.indexOf('\n');
                if (lf >= 0) {
                    kept = piece.sliced(lf + 1);
                    ++number;
                    break;
                }
            }
            if (kept.isEmpty() && number == from.number) {
                // The file ended inside the line, its last.
                m_text.clear();
                m_final = true;
                m_lines.reset(m_text, true, { 0, number + 1 });
                return;
            }
        } else {
            // A stretch at least as long as what is kept: a record longer
            // than a piece is read in a number of steps that grows with the
            // log of its size, not with the size.
            QByteArray piece = m_source.next(std::max(kPiece, kept.size()));
            if (piece.isEmpty())
                m_final = true;
            else if (kept.isEmpty())
                kept = std::move(piece);
            else
                kept += piece;
        }
        m_text = std::move(kept);
        m_lines.reset(m_text, m_final, { 0, number });
    }

    void readBlock(const Block& block)
    {
        const qint64 begun = m_lines.number();
        Progress::step("Reading the archive", begun, 0);
        const Block* owner = ArchiveFormat::owner(block);
        if (owner && std::find(m_seen.begin(), m_seen.end(), owner) == m_seen.end())
            throw QuarrixError(QStringLiteral("%1, line %2: the %3 block follows no %4 block to belong to.")
                                   .arg(where(m_fileName), QString::number(begun), block.openTag, owner->openTag));
        QByteArrayView line;
        auto nextLine = [&] {
            if (!m_lines.next(&line))
                throw QuarrixError(
                    QStringLiteral("%1 ends early: it stops after line %2, inside the %3 block that begins at line "
                                   "%4. Nothing of it was loaded.")
                        .arg(where(m_fileName), QString::number(m_lines.number()), block.openTag,
                            QString::number(begun)));
        };
        ParsedBlock parsed;
        parsed.block = &block;
        parsed.text = m_text; // shared, not copied: the values are views of it
        for (size_t i = 0; i < block.fields.size(); ++i) {
            const ArchiveFormat::Field& field = block.fields[i];
            nextLine();
            if (field.kind == ValueKind::Lines) {
                parsed.values.push_back(
                    multiLineValue(line, ArchiveFormat::terminator(block, i), parsed, [&] { nextLine(); }));
                continue;
            }
            if (field.kind == ValueKind::Number && plainWord(line) < 0) {
                const QString number = QString::fromUtf8(line);
                if (!isPriority(number))
                    throw QuarrixError(
                        QStringLiteral("%1, line %2: the priority '%3' is not a whole number from 0 to 65535.")
                            .arg(where(m_fileName), QString::number(m_lines.number()),
                                number.size() > 40 ? number.left(40) + QStringLiteral("...") : number));
            }
            parsed.values.push_back(line);
        }
        // After a last value of one line comes the closing tag, which is not checked.
        if (block.fields.back().kind != ValueKind::Lines)
            nextLine();
        if (block.record() && std::find(m_seen.begin(), m_seen.end(), &block) == m_seen.end())
            m_seen.push_back(&block);
        m_take(std::move(parsed));
    }

    ArchiveText& m_source;
    const QString& m_fileName;
    bool& m_isArchive;
    const BlockSink& m_take;
    QByteArray m_text; // the stretch of text being read
    bool m_final = false; // it runs to the end of the file
    LineReader m_lines;
    std::vector<const Block*> m_seen; // record blocks read so far
};

}

void parse(QIODevice& device, const QString& fileName, Result& result, const BlockSink& take)
{
    ArchiveText text(device, fileName);
    Parser(text, fileName, result.isArchive, take).run();
}

Result parse(const QByteArray& bytes, const QString& fileName)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Result result;
    parse(buffer, fileName, result, [&](ParsedBlock&& parsed) { result.blocks.push_back(std::move(parsed)); });
    return result;
}

void openFile(QFile& file)
{
    if (!file.open(QIODevice::ReadOnly))
        throw QuarrixError(QStringLiteral("Cannot read the file '%1': %2")
                               .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

Result read(const QString& path)
{
    QFile file(path);
    openFile(file);
    Result result;
    parse(file, path, result, [&](ParsedBlock&& parsed) { result.blocks.push_back(std::move(parsed)); });
    return result;
}

bool check(const QString& path)
{
    QFile file(path);
    openFile(file);
    Result result;
    parse(file, path, result, [](ParsedBlock&&) {});
    return result.isArchive;
}

QString notAnArchive(const QString& path)
{
    return QStringLiteral("%1: %2 does not begin with the line %3.")
        .arg(kNotAnArchive, QStringLiteral("'%1'").arg(QDir::toNativeSeparators(path)), ArchiveFormat::kFirstLine);
}

void apply(Assessment& a, const std::vector<ParsedBlock>& blocks)
{
    {
        Store::Transaction tx(a.store());
        a.clearDatabase();
        BlockWriter writer(a);
        qint64 done = 0;
        for (const ParsedBlock& parsed : blocks) {
            Progress::step("Loading the archive", ++done, qint64(blocks.size()));
            writer.write(parsed);
        }
        writer.finish();
        tx.commit();
    }
    BlockWriter::showLoaded(a);
}

}
