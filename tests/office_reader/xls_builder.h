#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Hand-made .xls workbooks for the reader's tests: BIFF records put together
// byte by byte, wrapped in the smallest compound-file container.
namespace XlsBuilder {

QByteArray record(int type, const QByteArray& body);
QByteArray u16(int value);
QByteArray u32(quint32 value);
QByteArray f64(double value);
// A string's characters with their flag byte: 8-bit when every character fits.
QByteArray chars(const QString& text, bool wide);
// The first record of a substream: version 0x0600 (or 0x0500), workbook globals or worksheet.
QByteArray bof(bool globals, int version = 0x0600);
QByteArray eof();

struct Sheet {
    QString name;
    QByteArray records; // the cell records between its BOF and EOF
    int type = 0; // 0 worksheet, 2 chart
};

// A workbook stream: globals (the given records, WINDOW1 naming the active
// tab, one BOUNDSHEET per sheet with its true offset), then the sheets.
QByteArray workbookStream(
    const std::vector<Sheet>& sheets, int activeTab, const QByteArray& globals = {}, int version = 0x0600);

// The stream in a compound file, under the name "Workbook".
QByteArray compoundFile(QByteArray stream);

}
