#include "runtime/runtimesupport.h"

#include "core/clock.h"
#include "core/timer.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace rt {

namespace {
constexpr qint64 MsPerDay = 86400000;
}

qint64 ToMilliseconds(TDateTime value) { return qint64(std::llround(value * double(MsPerDay))); }

qint64 DayNumber(TDateTime value)
{
    const qint64 ms = ToMilliseconds(value);
    return ms / MsPerDay - (ms % MsPerDay < 0 ? 1 : 0);
}

qint64 MillisecondsOfDay(TDateTime value) { return ToMilliseconds(value) - DayNumber(value) * MsPerDay; }

bool IsLater(TDateTime now, TDateTime limit) { return ToMilliseconds(now) > ToMilliseconds(limit); }

bool IsEarlier(TDateTime now, TDateTime limit) { return ToMilliseconds(now) < ToMilliseconds(limit); }

QString FormatText(const QString &format, const QStringList &arguments)
{
    QString result;
    qsizetype next = 0;
    qsizetype from = 0;
    for (qsizetype at = format.indexOf(QLatin1String("%s")); at >= 0;
         at = format.indexOf(QLatin1String("%s"), from)) {
        result += format.mid(from, at - from);
        if (next < arguments.size())
            result += arguments[next++];
        from = at + 2;
    }
    return result + format.mid(from);
}

void SetTimerEnabled(TTimer *timer, bool enabled)
{
    if (timer)
        timer->SetEnabled(enabled);
}

bool TimerEnabled(const TTimer *timer) { return timer && timer->Enabled(); }

} // namespace rt
