#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <vector>

// The record layer of an .xls workbook stream: records of a type and a body,
// where a body longer than one record goes on in the CONTINUE records after
// it. Every read is checked against the record, so damaged input raises
// QuarrixError instead of reading outside it.
namespace Biff {

enum RecordType : int {
    kFormula = 0x0006,
    kEof = 0x000A,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kWindow1 = 0x003D,
    kDateMode = 0x0022,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kXf = 0x00E0,
    kDimensions = 0x0200,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

struct Record {
    int type = 0;
    std::vector<QByteArrayView> parts; // the body, then each CONTINUE body
    QByteArrayView body() const { return parts.front(); }
};

// Walks the records of a stream from a position, each with its continuations.
class RecordWalker {
public:
    RecordWalker(QByteArrayView stream, qsizetype position);
    // False at the end of the stream; raises when a record runs past it.
    bool next(Record& record);

private:
    QByteArrayView m_stream;
    qsizetype m_position;
};

// How 8-bit text becomes characters: Latin-1 for the compressed strings of
// the current format, the workbook's code page for the older one.
using NarrowText = std::function<QString(QByteArrayView)>;

// Reads numbers and strings in order across the parts of one record.
class RecordReader {
public:
    // unicodeStrings: strings carry a flag byte for 8- or 16-bit characters,
    // repeated at the start of each continuation they run into.
    RecordReader(const Record& record, bool unicodeStrings, NarrowText narrow);

    bool atEnd() const;
    quint8 u8();
    quint16 u16();
    quint32 u32();
    void skip(qint64 bytes);

    // A string whose character count has been read: in the current format the
    // flag byte follows, with rich-text runs and phonetic data that are
    // skipped when richStrings is set (the shared-string form).
    QString string(int count, bool richStrings = false);

private:
    void nextPart();
    QString characters(qint64 count, bool wide);

    const Record& m_record;
    bool m_unicode;
    NarrowText m_narrow;
    size_t m_part = 0;
    qsizetype m_offset = 0;
};

}
