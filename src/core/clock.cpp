#include "core/clock.h"

#include "core/services.h"

TDateTime Now()
{
    const auto &clock = Services().Clock;
    return clock ? clock() : dt::FromQDateTime(QDateTime::currentDateTime());
}

void SetClock(std::function<TDateTime()> clock) { Services().Clock = std::move(clock); }
