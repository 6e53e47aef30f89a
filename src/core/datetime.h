#pragma once
// Date-time values as the program stores and compares them: days since 1899-12-30 (local time) as a
// double, the fraction being the time of day.
#include <QDate>
#include <QDateTime>
#include <QTime>

using TDateTime = double;

namespace dt {

constexpr double OneHour = 1.0 / 24.0;
constexpr double OneMinute = 1.0 / 1440.0;
constexpr double OneSecond = 1.0 / 86400.0;
constexpr double OneMillisecond = 1.0 / 86400000.0;

// The whole-day part (the date at midnight) and the fraction (time of day). Dates before 1899-12-30 are
// negative with a positive fraction, as the classic encoding has it: -1.25 is 1899-12-29 06:00.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

TDateTime EncodeDate(int year, int month, int day);                  // no validation: use QDate::isValid first
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
TDateTime FromQDate(const QDate &date);
TDateTime FromQTime(const QTime &time);
TDateTime FromQDateTime(const QDateTime &value);                     // local time
QDate ToQDate(TDateTime value);
QTime ToQTime(TDateTime value);                                      // rounded to the millisecond
QDateTime ToQDateTime(TDateTime value);                              // local time

// ISO weekday: 1 Monday ... 7 Sunday.
int DayOfTheWeek(TDateTime value);

} // namespace dt
