#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

// The blocks of an archive file, shared by the writer and the reader.
//
// Every block is an opening tag, the values of its fields, and a closing tag.
// A single-line value is one line. A multi-line value runs until the line
// "[end]" or, for the last field of a block, until the closing tag. After a
// last field of one line the closing tag follows; the reader skips that line
// without looking at it.
namespace ArchiveFormat {

enum class ValueKind {
    Line, // one line
    Lines, // one or more lines, ended by "[end]" or by the closing tag
    Number, // one line of decimal digits, or empty when the value was never set
};

struct Field {
    const char* name;
    ValueKind kind;
};

struct Block {
    QString table; // "System" for the project blocks
    QString openTag;
    QString closeTag;
    std::vector<Field> fields;
    // A block whose records belong to a record of the block before it (a
    // risk entry to its application, since application names may repeat) is
    // written after each record for that record's entries, and read as
    // belonging to the last such record before it. Its table keeps the
    // owner's row id and first value in these fields.
    const char* ownerIdField = nullptr;
    const char* ownerNameField = nullptr;
    // The tags as the bytes a file holds them in (ASCII in both encodings).
    QByteArray openBytes;
    QByteArray closeBytes;
    bool isRecord = false; // of a record table, not of the System row
    // The report details (one row of a table of their own), written only when
    // the analyst gave any.
    bool isReportDetails = false;
    bool belongsToPrevious() const { return ownerIdField != nullptr; }
    bool record() const { return isRecord; }
};

inline const QString kFirstLine = QStringLiteral("<Analysis>");
inline const QString kLastLine = QStringLiteral("</Analysis>");
inline const QString kLastLineMisspelt = QStringLiteral("</Analyis>"); // accepted when reading
inline const QString kEndOfValue = QStringLiteral("[end]");

// The project blocks, then the record blocks, in the order they are written
// (the risk entries follow their application), then the report details.
const std::vector<Block>& blocks();
// The block a line of an archive (as bytes in its encoding) opens, or nullptr.
const Block* blockOpenedBy(QByteArrayView line);
// The block whose records own the records of this one, or nullptr.
const Block* owner(const Block& block);
// Whether the records of another block belong to the records of this one.
bool owns(const Block& block);
// The terminator of a multi-line field as bytes: "[end]", or the closing tag
// for the last field.
QByteArrayView terminator(const Block& block, size_t fieldIndex);

}
