#pragma once
// The one source of "now" for the whole program. Tests replace it to step through schedules, hold-off
// times and timer counts without waiting.
#include "core/datetime.h"

#include <functional>

TDateTime Now();

// Replaces the clock of the current services; an empty function restores the system clock.
void SetClock(std::function<TDateTime()> clock);
