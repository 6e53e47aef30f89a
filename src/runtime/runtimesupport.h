#pragma once
// Small helpers shared by the monitoring, alarm, siren and housekeeping logic: time comparisons that are
// exact at whole milliseconds, "%s" formatting and timer switching.
#include "core/datetime.h"

#include <QString>
#include <QStringList>

class TTimer;

namespace rt {

// A date-time value in whole milliseconds since 1899-12-30. Values built from a date plus a time of day
// and values built by adding minutes or seconds differ in their last bits; at millisecond resolution
// 12:00:00 + 5 minutes and 12:05:00 are the same moment.
qint64 ToMilliseconds(TDateTime value);
// The calendar day of a value (whole days since 1899-12-30) and its time of day in milliseconds since
// midnight (0 .. 86 399 999), both taken from the value rounded to the millisecond.
qint64 DayNumber(TDateTime value);
qint64 MillisecondsOfDay(TDateTime value);
// now is strictly later / strictly earlier than limit.
bool IsLater(TDateTime now, TDateTime limit);
bool IsEarlier(TDateTime now, TDateTime limit);

// Fills the "%s" placeholders of a (translated) format text in order; missing arguments leave the
// placeholder empty, surplus arguments are dropped.
QString FormatText(const QString &format, const QStringList &arguments);

// Switches a timer, tolerating a camera whose timers were never created.
void SetTimerEnabled(TTimer *timer, bool enabled);
bool TimerEnabled(const TTimer *timer);

} // namespace rt
