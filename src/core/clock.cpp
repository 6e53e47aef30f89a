#include "core/clock.h"

namespace {
std::function<TDateTime()> &ClockFunction()
{
    static std::function<TDateTime()> clock;
    return clock;
}
}

TDateTime Now()
{
    const auto &clock = ClockFunction();
    return clock ? clock() : dt::FromQDateTime(QDateTime::currentDateTime());
}

void SetClock(std::function<TDateTime()> clock) { ClockFunction() = std::move(clock); }

TManualClock::TManualClock(TDateTime start) : m_now(start)
{
    SetClock([this] { return m_now; });
}

TManualClock::~TManualClock() { SetClock({}); }
