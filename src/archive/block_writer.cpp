#include "archive/block_writer.h"

#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/report_details.h"

namespace ArchiveReader {

using ArchiveFormat::Block;

// One prepared insert per archived table: the block's fields, then for a
// block that belongs to the block before it the owner's row id and name.
class BlockInsert {
public:
    BlockInsert(Store& store, const Block& block)
        : m_fieldCount(int(block.fields.size()))
        , m_ownsRecords(ArchiveFormat::owns(block))
        , m_insert(store, block.table, columns(block))
    {
    }

    // Whether records of the next block belong to this block's records.
    bool ownsRecords() const { return m_ownsRecords; }

    // Inserts one record at once, after those queued. Returns its row id.
    qint64 insert(const ParsedBlock& parsed)
    {
        setValues(parsed, nullptr, {});
        return m_insert.insert();
    }
    // Queues one record for the next group; a block that belongs to the
    // block before it passes the owner's row id and name.
    void add(const ParsedBlock& parsed, const QByteArray* ownerId = nullptr, QByteArrayView ownerName = {})
    {
        setValues(parsed, ownerId, ownerName);
        m_insert.add();
    }
    void flush() { m_insert.flush(); }

private:
    void setValues(const ParsedBlock& parsed, const QByteArray* ownerId, QByteArrayView ownerName)
    {
        for (int i = 0; i < m_fieldCount; ++i)
            m_insert.setUtf8(i, parsed.values[i]);
        if (ownerId) {
            m_insert.setUtf8(m_fieldCount, *ownerId);
            m_insert.setUtf8(m_fieldCount + 1, ownerName);
        }
    }

    static QStringList columns(const Block& block)
    {
        QStringList names;
        for (const ArchiveFormat::Field& f : block.fields)
            names << QString::fromLatin1(f.name);
        if (block.belongsToPrevious())
            names << QString::fromLatin1(block.ownerIdField) << QString::fromLatin1(block.ownerNameField);
        return names;
    }

    int m_fieldCount;
    bool m_ownsRecords;
    BulkInsert m_insert;
};

BlockWriter::BlockWriter(Assessment& assessment)
    : m_assessment(assessment)
{
}

BlockWriter::~BlockWriter() = default;

void BlockWriter::write(const ParsedBlock& parsed)
{
    const Block& block = *parsed.block;
    if (block.isReportDetails) {
        const auto value = [&](int i) { return QString::fromUtf8(parsed.values[i]); };
        ReportDetailsStore::write(m_assessment.store(), { value(0), value(1), value(2), value(3), value(4) });
        return;
    }
    if (!block.record()) {
        Table& sys = m_assessment.system();
        sys.edit();
        for (qsizetype i = 0; i < parsed.values.size(); ++i)
            sys.setText(QString::fromLatin1(block.fields[size_t(i)].name), QString::fromUtf8(parsed.values[i]));
        sys.post();
        return;
    }
    auto& slot = m_inserts[&block];
    if (!slot)
        slot = std::make_unique<BlockInsert>(m_assessment.store(), block);
    BlockInsert& insert = *slot;
    // A record whose row id the records after it need (an application, for
    // its risk entries) goes in at once; the others are queued and go in by
    // groups.
    if (const Block* owner = ArchiveFormat::owner(block)) {
        const auto& [ownerId, ownerName] = m_last[owner];
        const QByteArray idText = QByteArray::number(ownerId);
        insert.add(parsed, &idText, ownerName);
    } else if (insert.ownsRecords()) {
        m_last[&block] = { insert.insert(parsed), parsed.values.front() };
    } else {
        insert.add(parsed);
    }
}

void BlockWriter::finish()
{
    for (auto& [block, insert] : m_inserts)
        insert->flush();
}

void BlockWriter::showLoaded(Assessment& a)
{
    for (const Block& block : ArchiveFormat::blocks())
        if (block.record())
            if (Table* t = a.byName(block.table); t->isOpen())
                t->refresh();
    for (Table* t : { &a.requirements(), &a.drivers(), &a.attribute(), &a.controls() })
        if (t->isOpen())
            t->first();
}

}
