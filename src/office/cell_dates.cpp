#include "office/cell_dates.h"

#include <QDate>
#include <algorithm>
#include <cmath>

namespace CellDates {

Format builtIn(int id)
{
    if ((id >= 14 && id <= 17))
        return { Kind::Date, false };
    if (id == 22)
        return { Kind::DateTime, false };
    if ((id >= 18 && id <= 21) || id == 45 || id == 47)
        return { Kind::Time, false };
    if (id == 46)
        return { Kind::Time, true };
    return {};
}

Format custom(QStringView code)
{
    // Only the first section (positive numbers) decides.
    bool date = false, time = false, elapsed = false;
    bool pendingMonth = false; // an m not yet known to be month or minutes
    bool afterHour = false; // the last date or time letter was h
    auto settleMonth = [&](bool minutes) {
        if (pendingMonth) {
            (minutes ? time : date) = true;
            pendingMonth = false;
        }
    };
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (c == u';')
            break;
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            if (close < 0)
                break;
            i = close;
            continue;
        }
        // AM/PM and A/P are markers of a time, not months.
        if (code.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            i += 4;
            continue;
        }
        if (code.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
            i += 2;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character stands for itself (or a width or fill)
            continue;
        }
        if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            if (close < 0)
                break;
            const QStringView inside = code.mid(i + 1, close - i - 1);
            // [h], [mm], [ss]: elapsed time.
            if (!inside.isEmpty()
                && std::all_of(
                    inside.begin(), inside.end(), [&](QChar k) { return k.toLower() == inside[0].toLower(); })
                && QStringView(u"hms").contains(inside[0].toLower())) {
                time = true;
                elapsed = elapsed || inside[0].toLower() == u'h';
                afterHour = inside[0].toLower() == u'h';
                settleMonth(true);
            }
            i = close;
            continue;
        }
        if (c == u'y' || c == u'd') {
            settleMonth(false);
            date = true;
            afterHour = false;
        } else if (c == u'h') {
            settleMonth(false);
            time = true;
            afterHour = true;
        } else if (c == u's') {
            settleMonth(true); // mm:ss
            time = true;
            afterHour = false;
        } else if (c == u'm') {
            while (i + 1 < code.size() && code[i + 1].toLower() == u'm')
                ++i;
            if (afterHour) {
                time = true;
                afterHour = false;
            } else {
                settleMonth(false);
                pendingMonth = true;
            }
        }
    }
    settleMonth(false);
    if (date && time)
        return { Kind::DateTime, elapsed };
    if (date)
        return { Kind::Date, false };
    if (time)
        return { Kind::Time, elapsed };
    return {};
}

QString text(double serial, Format format, bool date1904)
{
    if (format.kind == Kind::Number || !std::isfinite(serial))
        return {};
    // Whole seconds: a time typed as 13:30 is stored a hair off.
    const double seconds = std::round(serial * 86400.0);
    if (std::abs(seconds) > 86400.0 * 3'000'000)
        return {};
    const qint64 total = qint64(seconds);
    qint64 days = total / 86400;
    qint64 rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const int hours = int(rest / 3600), minutes = int(rest / 60 % 60), secs = int(rest % 60);

    QString time;
    if (format.kind != Kind::Date) {
        const qint64 shownHours = format.kind == Kind::Time && format.elapsedHours ? days * 24 + hours : hours;
        time = QStringLiteral("%1:%2").arg(shownHours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0'));
        if (secs)
            time += QStringLiteral(":%1").arg(secs, 2, 10, QLatin1Char('0'));
        if (format.kind == Kind::Time)
            return time;
    }

    QString date;
    if (!date1904 && days == 60) {
        date = QStringLiteral("1900-02-29"); // the day the 1900 system counts but no calendar has
    } else {
        QDate day;
        if (date1904)
            day = QDate(1904, 1, 1).addDays(days);
        else
            day = QDate(1899, 12, 31).addDays(days < 60 ? days : days - 1);
        if (!day.isValid() || day.year() < 1 || day.year() > 9999)
            return {};
        date = day.toString(Qt::ISODate);
    }
    return format.kind == Kind::Date ? date : date + QLatin1Char(' ') + time;
}

}
