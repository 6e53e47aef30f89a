#include "core/clock.h"

#include "core/services.h"

TDateTime Now()
{
    const auto &clock = Services().Clock;
    return clock ? clock() : dt::FromQDateTime(QDateTime::currentDateTime());
}

void SetClock(std::function<TDateTime()> clock) { Services().Clock = std::move(clock); }

TManualClock::TManualClock(TDateTime start) : m_now(start)
{
    SetClock([this] { return m_now; });
}

TManualClock::~TManualClock() { SetClock({}); }
