#pragma once
// A settable clock for tests: starts at the given moment and moves only when told. Installs itself as the
// clock of the current services for its lifetime.
#include "core/clock.h"

class TManualClock
{
public:
    explicit TManualClock(TDateTime start) : m_now(start)
    {
        SetClock([this] { return m_now; });
    }
    ~TManualClock() { SetClock({}); } // back to the system clock
    TManualClock(const TManualClock &) = delete;
    TManualClock &operator=(const TManualClock &) = delete;

    void Set(TDateTime value) { m_now = value; }
    void AddSeconds(double seconds) { m_now += seconds * dt::OneSecond; }
    TDateTime Value() const { return m_now; }

private:
    TDateTime m_now;
};
