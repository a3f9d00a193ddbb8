#include "archive/archive_reader.h"

#include "archive/block_writer.h"
#include "archive/code_page_1252.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace {

using ArchiveFormat::Block;
using ArchiveFormat::ValueKind;

// Lines as the archive reader sees them: a line is the text up to the first
// CR or LF, and reading moves past the next LF. The reader works on the
// file's text turned into UTF-8 as a whole (CR, LF and the tags are single
// ASCII bytes in both encodings), and values are views into it.
class LineReader {
public:
    explicit LineReader(QByteArrayView text)
        : m_text(text)
    {
    }

    bool next(QByteArrayView* line)
    {
        if (m_pos >= m_text.size())
            return false;
        const char* begin = m_text.data() + m_pos;
        const char* end = m_text.data() + m_text.size();
        // Lines are short: one pass to the first CR or LF beats two memchr calls.
        const char* stop = begin;
        while (stop != end && *stop != '\n' && *stop != '\r')
            ++stop;
        *line = QByteArrayView(begin, stop - begin);
        if (stop != end && *stop == '\r')
            stop = static_cast<const char*>(std::memchr(stop, '\n', size_t(end - stop)));
        m_pos = stop && stop != end ? stop - m_text.data() + 1 : m_text.size();
        ++m_number;
        return true;
    }
    int number() const { return m_number; } // of the line read last

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
    int m_number = 0;
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
    return fileName.isEmpty() ? QStringLiteral("The archive")
                              : QStringLiteral("The archive '%1'").arg(QDir::toNativeSeparators(fileName));
}

// The lines of a multi-line value up to its terminator, joined by CR LF.
// Lines that stand in the text joined by exactly CR LF are a view of it;
// other separators (a bare LF, text after a CR) make a joined copy.
// Moving to the next line is nextLine's, which raises when the text ends.
template <typename NextLine>
QByteArrayView multiLineValue(
    const QByteArrayView& line, QByteArrayView terminator, ArchiveReader::Result& result, NextLine nextLine)
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
            copy = &result.joined.emplace_back(begin, end - begin);
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
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        // Only the one mark is taken off: what follows it is text.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return utf8.decode(QByteArrayView(bytes).sliced(3));
    }
    return CodePage1252::decode(bytes);
}

void parse(const QByteArray& bytes, const QString& fileName, Result& result, const BlockSink& take)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        result.text = bytes.sliced(3);
        // Bytes that are not UTF-8 behind the mark are read as their
        // decoding shows them, with replacement characters.
        if (!QByteArrayView(result.text).isValidUtf8())
            result.text = decode(bytes).toUtf8();
    } else if (CodePage1252::isAscii(bytes)) {
        result.text = bytes; // the same text in UTF-8, shared rather than copied
    } else {
        result.text = CodePage1252::toUtf8(bytes);
    }
    LineReader lines(result.text);
    QByteArrayView line;
    if (!lines.next(&line) || !isAscii(line, ArchiveFormat::kFirstLine))
        return;
    result.isArchive = true;

    // One arg() call for all values, so a '%' in a file name stays as it is.
    auto endedEarly = [&](const Block& block, int begun) {
        return QuarrixError(
            QStringLiteral("%1 ends early: it stops after line %2, inside the %3 block that begins at line %4. "
                           "Nothing of it was loaded.")
                .arg(where(fileName), QString::number(lines.number()), block.openTag, QString::number(begun)));
    };
    auto nextLine = [&](const Block& block, int begun) {
        if (!lines.next(&line))
            throw endedEarly(block, begun);
    };

    std::vector<const Block*> seen; // record blocks read so far
    bool have = lines.next(&line);
    while (have && !isLastLine(line)) {
        const Block* block = ArchiveFormat::blockOpenedBy(line);
        if (!block) {
            have = lines.next(&line); // not a tag: ignored
            continue;
        }
        const int begun = lines.number();
        Progress::step("Reading the archive", begun, 0);
        const Block* owner = ArchiveFormat::owner(*block);
        if (owner && std::find(seen.begin(), seen.end(), owner) == seen.end())
            throw QuarrixError(QStringLiteral("%1, line %2: the %3 block follows no %4 block to belong to.")
                                   .arg(where(fileName), QString::number(begun), block->openTag, owner->openTag));
        ParsedBlock parsed { block, {} };
        for (size_t i = 0; i < block->fields.size(); ++i) {
            const ArchiveFormat::Field& field = block->fields[i];
            nextLine(*block, begun);
            if (field.kind == ValueKind::Lines) {
                parsed.values.push_back(multiLineValue(
                    line, ArchiveFormat::terminator(*block, i), result, [&] { nextLine(*block, begun); }));
                continue;
            }
            if (field.kind == ValueKind::Number && plainWord(line) < 0) {
                const QString number = QString::fromUtf8(line);
                if (!isPriority(number))
                    throw QuarrixError(
                        QStringLiteral("%1, line %2: the priority '%3' is not a whole number from 0 to 65535.")
                            .arg(where(fileName), QString::number(lines.number()),
                                number.size() > 40 ? number.left(40) + QStringLiteral("...") : number));
            }
            parsed.values.push_back(line);
        }
        // After a last value of one line comes the closing tag, which is not checked.
        if (block->fields.back().kind != ValueKind::Lines)
            nextLine(*block, begun);
        if (block->record())
            seen.push_back(block);
        take(std::move(parsed));
        have = lines.next(&line);
    }
    if (!have)
        throw QuarrixError(
            QStringLiteral("%1 ends early: it stops after line %2 without the line %3. Nothing of it was loaded.")
                .arg(where(fileName), QString::number(lines.number()), ArchiveFormat::kLastLine));
}

Result parse(const QByteArray& bytes, const QString& fileName)
{
    Result result;
    // Every block opens and closes with a tag, so half the '<' bear an upper
    // bound of the blocks, and the list of them is laid out once.
    result.blocks.reserve(size_t(std::count(bytes.cbegin(), bytes.cend(), '<') / 2 + 1));
    parse(bytes, fileName, result, [&](ParsedBlock&& parsed) { result.blocks.push_back(std::move(parsed)); });
    return result;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuarrixError(
            QStringLiteral("Cannot read the file '%1': %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw QuarrixError(
            QStringLiteral("Cannot read the file '%1': %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

Result read(const QString& path)
{
    return parse(readFile(path), path);
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
