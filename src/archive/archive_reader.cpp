#include "archive/archive_reader.h"

#include "archive/code_page_1252.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

using ArchiveFormat::ValueKind;

// Lines as the archive reader sees them: a line is the text up to the first
// CR or LF, and reading moves past the next LF.
class LineReader {
public:
    explicit LineReader(const QString& text)
        : m_text(text)
    {
    }

    bool next(QString* line)
    {
        if (m_pos >= m_text.size())
            return false;
        const qsizetype lf = m_text.indexOf(QLatin1Char('\n'), m_pos);
        const qsizetype end = lf < 0 ? m_text.size() : lf;
        QStringView view = QStringView(m_text).mid(m_pos, end - m_pos);
        const qsizetype cr = view.indexOf(QLatin1Char('\r'));
        if (cr >= 0)
            view = view.left(cr);
        *line = view.toString();
        m_pos = lf < 0 ? m_text.size() : lf + 1;
        ++m_number;
        return true;
    }
    int number() const { return m_number; } // of the line read last

private:
    const QString& m_text;
    qsizetype m_pos = 0;
    int m_number = 0;
};

// An empty line leaves the priority unset; anything else must be a whole
// number from 0 to 65535 (blanks around it are allowed).
bool isPriority(const QString& line)
{
    if (line.isEmpty())
        return true;
    QStringView s = QStringView(line).trimmed();
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

Result parse(const QString& text, const QString& fileName)
{
    Result result;
    LineReader lines(text);
    QString line;
    if (!lines.next(&line) || line != ArchiveFormat::kFirstLine)
        return result;
    result.isArchive = true;

    auto endedEarly = [&](const ArchiveFormat::Block* inside) {
        const int last = lines.number();
        // One arg() call for all values, so a '%' in a file name stays as it is.
        result.endedEarly = inside
            ? QStringLiteral(
                "%1 ended early: it stops after line %2, inside a %3 block. What was read up to there was loaded.")
                  .arg(where(fileName), QString::number(last), inside->openTag)
            : QStringLiteral(
                "%1 ended early: it stops after line %2 without the line %3. What was read up to there was loaded.")
                  .arg(where(fileName), QString::number(last), ArchiveFormat::kLastLine);
    };

    bool have = lines.next(&line);
    while (have && line != ArchiveFormat::kLastLine && line != ArchiveFormat::kLastLineMisspelt) {
        const ArchiveFormat::Block* block = ArchiveFormat::blockOpenedBy(line);
        if (!block) {
            have = lines.next(&line); // not a tag: ignored
            continue;
        }
        ParsedBlock parsed { block, {} };
        bool complete = true;
        for (size_t i = 0; i < block->fields.size() && complete; ++i) {
            const ArchiveFormat::Field& field = block->fields[i];
            if (field.kind == ValueKind::Lines) {
                const QString end = ArchiveFormat::terminator(*block, i);
                QStringList collected;
                complete = false;
                while (lines.next(&line)) {
                    if (line == end) {
                        complete = true;
                        break;
                    }
                    collected << line;
                }
                parsed.values.push_back(collected.join(QLatin1String("\r\n")));
            } else {
                if (!lines.next(&line)) {
                    complete = false;
                    break;
                }
                if (field.kind == ValueKind::Number && !isPriority(line))
                    throw QuarrixError(
                        QStringLiteral("%1, line %2: the priority '%3' is not a whole number from 0 to 65535.")
                            .arg(where(fileName), QString::number(lines.number()),
                                line.size() > 40 ? line.left(40) + QStringLiteral("...") : line));
                parsed.values.push_back(line);
            }
        }
        // After a last value of one line comes the closing tag, which is not checked.
        if (complete && block->fields.back().kind != ValueKind::Lines)
            complete = lines.next(&line);
        result.blocks.push_back(std::move(parsed));
        if (!complete) {
            endedEarly(block);
            return result;
        }
        have = lines.next(&line);
    }
    if (!have)
        endedEarly(nullptr);
    return result;
}

Result read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuarrixError(
            QStringLiteral("Cannot read the file '%1': %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw QuarrixError(
            QStringLiteral("Cannot read the file '%1': %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(decode(bytes), path);
}

void apply(Assessment& a, const std::vector<ParsedBlock>& blocks)
{
    Table* written[] = { &a.system(), &a.requirements(), &a.drivers(), &a.attribute(), &a.businessToTechnical(),
        &a.technicalToSecurity(), &a.driverProfiles(), &a.controls() };
    Store::Transaction tx(a.store());
    {
        // Grids hear once, at the end, instead of once per record.
        struct Suspend {
            Table* const* tables;
            size_t n;
            Suspend(Table* const* t, size_t count)
                : tables(t)
                , n(count)
            {
                for (size_t i = 0; i < n; ++i)
                    tables[i]->suspendNotifications();
            }
            ~Suspend()
            {
                for (size_t i = 0; i < n; ++i)
                    tables[i]->resumeNotifications();
            }
        } suspend(written, std::size(written));

        a.clearDatabase();
        for (const ParsedBlock& parsed : blocks) {
            Table& t = *a.byName(parsed.block->table);
            if (parsed.block->record())
                t.append();
            else
                t.edit();
            for (size_t i = 0; i < parsed.values.size(); ++i)
                t.setText(QString::fromLatin1(parsed.block->fields[i].name), parsed.values[i]);
            t.post();
        }
    }
    tx.commit();
    // Appended records sit at the end of each cursor, filter or not; re-read
    // the tables whose order or filter differs from the order of appending.
    for (Table* t : written)
        if (t != &a.system() && (t->filtered() || !t->sort().isEmpty() || !t->def().keyOrder.isEmpty()))
            t->refresh();
}

}
