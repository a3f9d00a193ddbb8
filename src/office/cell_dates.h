#pragma once

#include <QString>
#include <QStringView>

// Numbers that a workbook shows as dates or times. A spreadsheet keeps a date
// as the count of days since its epoch (the time of day as the fraction) and
// tells it apart from other numbers only by the cell's number format; both
// readers hand such cells on as ISO text, as the spreadsheet shows them.
namespace CellDates {

enum class Kind { Number, Date, Time, DateTime };

struct Format {
    Kind kind = Kind::Number;
    bool elapsedHours = false; // [h]: hours counted past 24
};

// The built-in number formats 14 to 22 and 45 to 47.
Format builtIn(int id);
// A format code: a date or time when it holds d, m, y, h or s outside quoted
// text, brackets and escaped characters (m next to h or s means minutes).
Format custom(QStringView code);

// The number as ISO text for the format: "2024-03-15", "13:30" (seconds only
// when there are any), "2024-03-15 13:30". Days count from 1899-12-31 in the
// 1900 date system (which holds the 29th of February 1900 that never was)
// and from 1904-01-01 in the 1904 system. Empty when the format is not a
// date or time or the number lies outside the years 1 to 9999.
QString text(double serial, Format format, bool date1904);

}
