#include "core/cameratimers.h"

#include "core/timer.h"

void DisableAndDrainCameraTimers(TCamera &camera)
{
    for (TTimer **slot : camera.TimerSlots())
        if (*slot)
            (*slot)->SetEnabled(false);
    const auto tag = [](TTimer *timer) { return timer ? &timer->Tag : nullptr; };
    DrainBusyFlags({tag(camera.Snapshot_Timer), tag(camera.Video_Timer), tag(camera.DetectionTriggerTimer),
                    tag(camera.Email_Timer), tag(camera.SMS_Timer), tag(camera.MonitoringStarter)});
}

void FreeCameraTimers(TCamera &camera)
{
    for (TTimer **slot : camera.TimerSlots()) {
        delete *slot;
        *slot = nullptr;
    }
}
