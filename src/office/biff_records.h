#pragma once

#include "office/byte_source.h"

#include <QByteArray>
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

class RecordWalker;

// A record as the walker found it: its type and body. A body longer than one
// record goes on in the CONTINUE records after it, which a RecordReader reads
// from the walker as it reaches them.
struct Record {
    int type = 0;
    qint64 position = 0; // of its header in the stream
    QByteArrayView body; // valid until the walker reads on
    RecordWalker* walker = nullptr;
};

// Walks the records of a stream from a position, reading the stream a
// stretch at a time: only the stretch being walked is held.
class RecordWalker {
public:
    RecordWalker(const ByteSource& stream, qint64 position);
    // Goes on from another position (of a record's header).
    void seek(qint64 position);
    // False at the end of the stream; raises when a record runs past it. The
    // continuations of the record before that were not read are passed over.
    bool next(Record& record);
    // The body of the next continuation of the record last read, if it goes
    // on; valid until the walker reads on.
    bool nextContinuation(QByteArrayView* body);

private:
    // The bytes at a position of the stream, read into the window unless
    // they are there already.
    QByteArrayView bytes(qint64 position, qint64 size);
    // The header at the walker's position, checked against the stream's end.
    bool header(int* type, qint64* length);

    const ByteSource& m_stream;
    qint64 m_position;
    QByteArray m_window;
    qint64 m_windowStart = 0;
    size_t m_continuations = 0; // of the record last read, so far
    bool m_inRecord = false; // CONTINUE records at the position belong to it
};

// How 8-bit text becomes characters: Latin-1 for the compressed strings of
// the current format, the workbook's code page for the older one.
using NarrowText = std::function<QString(QByteArrayView)>;

// Reads numbers and strings in order across the parts of one record.
class RecordReader {
public:
    // unicodeStrings: strings carry a flag byte for 8- or 16-bit characters,
    // repeated at the start of each continuation they run into. Reads the
    // record's continuations from its walker, so the walker reads nothing
    // else while this reader is in use.
    RecordReader(const Record& record, bool unicodeStrings, NarrowText narrow);

    bool atEnd();
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

    int m_type;
    RecordWalker* m_walker;
    bool m_unicode;
    NarrowText m_narrow;
    QByteArrayView m_part; // the body, then each continuation in turn
    qsizetype m_offset = 0;
};

}
