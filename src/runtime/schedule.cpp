#include "runtime/schedule.h"

#include "core/clock.h"
#include "runtime/runtimesupport.h"

bool PeriodHolds(TDateTime start, TDateTime end, TDateTime t)
{
    // Whole milliseconds of the day, so that a moment of exactly 08:00:00 equals a stored 08:00:00 start
    // whatever the date part did to the last bits of the fraction.
    const qint64 s = rt::MillisecondsOfDay(start);
    const qint64 e = rt::MillisecondsOfDay(end);
    const qint64 now = rt::MillisecondsOfDay(t);
    if (s < e)
        return s < now && now < e;
    if (s > e)
        return now > s || now < e;
    return false;
}

bool ScheduledAt(const TCamera &camera, TDateTime moment)
{
    if (!camera.scheduler_daily && !camera.scheduler_dates)
        return false;

    bool result = false;
    bool specialDay = false;
    if (camera.scheduler_dates) {
        const qint64 today = rt::DayNumber(moment);
        for (const TAdditionalDate &entry : camera.scheduler_AdditionalDates) {
            if (rt::DayNumber(entry.Date) != today)
                continue;
            specialDay = true;
            if (PeriodHolds(entry.Start, entry.Finish, moment))
                result = true;
        }
    }
    if (!camera.scheduler_daily || specialDay)
        return result;

    const int day = dt::DayOfTheWeek(double(rt::DayNumber(moment)));
    return PeriodHolds(camera.*TCamera::SchedulerFields[2 * (day - 1)],
                       camera.*TCamera::SchedulerFields[2 * (day - 1) + 1], moment);
}

bool ScheduledNow(const TCamera &camera) { return ScheduledAt(camera, Now()); }
