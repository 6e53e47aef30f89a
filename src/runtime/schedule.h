#pragma once
// The monitoring schedule of a camera: one period per weekday and special dates that replace the
// weekday's period for their whole day.
#include "core/camera.h"

// Whether a period from start to end holds at the time of day t; only the times of day of the three
// values count. Both ends are excluded; a start later than the end is a period across midnight, taken
// from the same day's entry (before the end or after the start); equal ends never hold.
bool PeriodHolds(TDateTime start, TDateTime end, TDateTime t);

// Whether the camera's schedule wants monitoring at the given moment.
bool ScheduledAt(const TCamera &camera, TDateTime moment);
// The same for Now().
bool ScheduledNow(const TCamera &camera);
