#pragma once
// Stopping and freeing a camera's six timers, as shutdown and camera removal do before anything of the
// camera is released.
#include "core/camera.h"

// Disables the six timers, then processes events until none of their busy flags is set.
void DisableAndDrainCameraTimers(TCamera &camera);
// Frees the six timers and clears the fields.
void FreeCameraTimers(TCamera &camera);
