#include "core/datetime.h"

#include <cmath>

namespace dt {

namespace {
// 1899-12-30, as a constant so that values computed during static initialisation see it too.
constexpr QDate Epoch = QDate::fromJulianDay(2415019);
constexpr qint64 MsPerDay = 86400000;
}

TDateTime DateOf(TDateTime value) { return std::floor(value); }

TDateTime TimeOf(TDateTime value) { return value - std::floor(value); }

TDateTime FromQDate(const QDate &date) { return double(Epoch.daysTo(date)); }

TDateTime EncodeDate(int year, int month, int day) { return FromQDate(QDate(year, month, day)); }

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / double(MsPerDay);
}

TDateTime FromQTime(const QTime &time) { return double(time.msecsSinceStartOfDay()) / double(MsPerDay); }

TDateTime FromQDateTime(const QDateTime &value)
{
    const QDateTime local = value.toLocalTime();
    return FromQDate(local.date()) + FromQTime(local.time());
}

QDate ToQDate(TDateTime value)
{
    // Round to the millisecond first so that 23:59:59.9999999 does not fall on the previous day.
    const qint64 ms = qint64(std::llround(value * double(MsPerDay)));
    qint64 days = ms / MsPerDay;
    if (ms % MsPerDay < 0)
        --days;
    return Epoch.addDays(days);
}

QTime ToQTime(TDateTime value)
{
    qint64 ms = qint64(std::llround(value * double(MsPerDay))) % MsPerDay;
    if (ms < 0)
        ms += MsPerDay;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

QDateTime ToQDateTime(TDateTime value) { return QDateTime(ToQDate(value), ToQTime(value)); }

int DayOfTheWeek(TDateTime value) { return ToQDate(value).dayOfWeek(); }

} // namespace dt
