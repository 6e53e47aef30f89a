#include "core/dateformat.h"

#include "core/clock.h"
#include "core/log.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace {

// Far enough from the edges that the millisecond arithmetic of the conversions cannot overflow.
bool IsConvertible(TDateTime value) { return std::isfinite(value) && std::fabs(value) < 1e9; }

// The regional long time format without the time-zone name that Qt's long format carries.
QString LongTimeFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result.append(c);
    }
    return result.simplified();
}

// Two decimal digits at a position; nothing when they are not.
std::optional<int> TwoDigits(const QString &text, int at)
{
    const QChar a = text.at(at), b = text.at(at + 1);
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return std::nullopt;
    return (a.unicode() - u'0') * 10 + (b.unicode() - u'0');
}

std::optional<QDate> ParseDate(const QString &text)
{
    if (text.size() < 8)
        return std::nullopt;
    const auto month = TwoDigits(text, 0), day = TwoDigits(text, 3), year = TwoDigits(text, 6);
    if (!month || !day || !year)
        return std::nullopt;
    const QDate date(2000 + *year, *month, *day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

QString RegionalDateTimeText(TDateTime value)
{
    if (!IsConvertible(value))
        return QString::number(value);
    const QLocale locale;
    QString text = locale.toString(dt::ToQDate(value), QLocale::ShortFormat);
    const QTime time = dt::ToQTime(value);
    if (time != QTime(0, 0))
        text += u' ' + locale.toString(time, LongTimeFormat(locale));
    return text;
}

QString DateToStrFmt(TDateTime date)
{
    // Qt's format letters take no regional separators, so the "/" stays as written.
    if (IsConvertible(date)) {
        const QDate day = dt::ToQDate(dt::DateOf(date));
        if (day.isValid())
            return day.toString(QStringLiteral("MM/dd/yy"));
    }
    ReportError(QStringLiteral("Could not convert Date to String: ") + RegionalDateTimeText(date), true);
    return QString();
}

QString TimeToStrFmt(TDateTime time)
{
    if (IsConvertible(time))
        return dt::ToQTime(dt::TimeOf(time)).toString(QStringLiteral("HH:mm:ss"));
    ReportError(QStringLiteral("Could not convert time to string: ") + RegionalDateTimeText(time), true);
    return QString();
}

TDateTime StrFmtToDate(const QString &text)
{
    const auto date = ParseDate(text);
    if (!date)
        throw EConvertError("'" + text.toStdString() + "' is not a valid date");
    return dt::FromQDate(*date);
}

TDateTime StrFmtToDateTime(const QString &text)
{
    const auto date = ParseDate(text);
    if (!date || text.size() < 17)
        return Now();
    const auto hour = TwoDigits(text, 9), minute = TwoDigits(text, 12), second = TwoDigits(text, 15);
    if (!hour || !minute || !second || !QTime::isValid(*hour, *minute, *second))
        return Now();
    return dt::FromQDate(*date) + dt::EncodeTime(*hour, *minute, *second);
}
