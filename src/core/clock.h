#pragma once
// The one source of "now" for the whole program. Tests replace it to step through schedules, hold-off
// times and timer counts without waiting.
#include "core/datetime.h"

#include <functional>

TDateTime Now();

// Replaces the clock of the current services; an empty function restores the system clock.
void SetClock(std::function<TDateTime()> clock);

// A settable clock for tests: starts at the given moment and moves only when told.
class TManualClock
{
public:
    explicit TManualClock(TDateTime start);
    ~TManualClock(); // restores the system clock
    TManualClock(const TManualClock &) = delete;
    TManualClock &operator=(const TManualClock &) = delete;

    void Set(TDateTime value) { m_now = value; }
    void AddSeconds(double seconds) { m_now += seconds * dt::OneSecond; }
    TDateTime Value() const { return m_now; }

private:
    TDateTime m_now;
};
