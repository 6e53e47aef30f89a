#pragma once
// Dates and times in one fixed form ("mm/dd/yy", "hh:mm:ss") whatever the user's regional settings, and the
// regional form used by log lines.
#include "core/datetime.h"

#include <QString>

#include <stdexcept>

// A text that does not hold the date it should (raised by StrFmtToDate).
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// "mm/dd/yy" of the whole-day part: 31 December 2024 gives "12/31/24". A value that is no date is reported
// through ReportError (with the restart question) and gives an empty text.
QString DateToStrFmt(TDateTime date);
// "hh:mm:ss" (24-hour) of the fraction-of-day part: half past two in the afternoon gives "14:30:00".
QString TimeToStrFmt(TDateTime time);
// "mm/dd/yy" (characters 3 and 6 are not looked at; the year is 2000 + yy), at midnight. Throws
// EConvertError for a text shorter than 8 characters, a pair that is not two digits or an impossible date.
TDateTime StrFmtToDate(const QString &text);
// "mm/dd/yy hh:nn:ss"; any failure gives Now() instead.
TDateTime StrFmtToDateTime(const QString &text);

// The value in the user's regional short date format and long time format, separated by one space; the
// time is left out when it is exactly midnight.
QString RegionalDateTimeText(TDateTime value);
