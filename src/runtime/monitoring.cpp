#include "runtime/monitoring.h"

#include "core/camera.h"
#include "core/clock.h"
#include "core/dateformat.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/translation.h"
#include "runtime/cameraports.h"
#include "runtime/runtimesupport.h"
#include "runtime/schedule.h"
#include "runtime/siren.h"

namespace {

// The selected camera, or nullptr after the warning that none is selected.
TCamera *SelectedCameraOrWarn()
{
    TApplicationState &app = App();
    if (app.SelCamIndex >= 0 && size_t(app.SelCamIndex) < app.Cameras.size() && app.Cameras[app.SelCamIndex])
        return app.Cameras[app.SelCamIndex].get();
    Prompts().Message(TPromptKind::Warning, ApplicationTitle, Translate(QStringLiteral("Camera is not choosed")));
    return nullptr;
}

bool IsSelected(const TCamera &camera)
{
    const TApplicationState &app = App();
    return app.SelCamIndex >= 0 && size_t(app.SelCamIndex) < app.Cameras.size() &&
           app.Cameras[app.SelCamIndex].get() == &camera;
}

void SetDetector(TCamera &camera, bool on)
{
    if (TCameraControl *control = CameraControl(camera))
        control->SetMotionDetector_Enabled(on);
}

void ShowCountdown(TCamera &camera)
{
    if (TCameraControl *control = CameraControl(camera))
        control->SetCountdownIcon(true);
}

// Steps shared by both start-with-delay commands: silence the siren, stop a running detector, (re)arm
// the delayed start; the countdown icon for delays that are announced.
void ArmDelayedStart(TCamera &camera, int delaySec)
{
    SilenceSiren();
    if (IsMonitoring(camera)) {
        SetDetector(camera, false);
        UpdateDetectionButtonAndPostMessage(camera, true);
    }
    if (TTimer *starter = camera.MonitoringStarter) {
        starter->SetEnabled(false);
        starter->SetInterval(delaySec * 1000);
        starter->SetEnabled(true);
    }
    if (delaySec > 2)
        ShowCountdown(camera);
}

} // namespace

bool IsMonitoring(TCamera &camera)
{
    const TCameraControl *control = CameraControl(camera);
    return control && control->MotionDetector_Enabled();
}

void UpdateDetectionButtonAndPostMessage(TCamera &camera, bool postMessage)
{
    TCameraControl *control = CameraControl(camera);
    TRuntimeWindow *window = IsSelected(camera) ? RuntimeWindow() : nullptr;
    const bool on = IsMonitoring(camera);
    if (on) {
        if (window)
            window->SetMonitoringButton(Translate(QStringLiteral("Stop Monitoring")), StopMonitoringImage);
        if (postMessage)
            AddLogLine(Translate(QStringLiteral("Monitoring is started on camera ")) + camera.CustomTitle);
    } else {
        if (window)
            window->SetMonitoringButton(Translate(QStringLiteral("Start Monitoring")), StartMonitoringImage);
        if (postMessage)
            AddLogLine(Translate(QStringLiteral("Monitoring is stopped on camera ")) + camera.CustomTitle);
        camera.detector_MotionWasDetected = false;
    }
    if (control) {
        control->SetMonitoringIcon(on);
        control->SetCountdownIcon(rt::TimerEnabled(camera.MonitoringStarter));
    }
}

void SetMonitoring(TCamera &camera, bool on)
{
    SetDetector(camera, on);
    rt::SetTimerEnabled(camera.MonitoringStarter, false);
    UpdateDetectionButtonAndPostMessage(camera, true);
}

void DetectionTriggerOnTimer(TCamera &camera)
{
    if (!camera.DetectionTriggerTimer)
        return;
    TBusyGuard busy(camera.DetectionTriggerTimer->Tag);
    if (!busy)
        return;
    if (App().GlobalSettings.DateTimeOverlay)
        if (TCameraControl *control = CameraControl(camera))
            control->SetClockText(RegionalDateTimeText(Now()));
    const bool scheduled = ScheduledNow(camera);
    if (scheduled == camera.IsScheduledNow)
        return;
    camera.IsScheduledNow = scheduled;
    SetMonitoring(camera, scheduled);
}

void MonitoringOnTimer(TCamera &camera)
{
    if (!camera.MonitoringStarter)
        return;
    camera.MonitoringStarter->SetEnabled(false);
    TBusyGuard busy(camera.MonitoringStarter->Tag);
    if (!busy)
        return;
    SetDetector(camera, true);
    AllowNextSirenNow();
    UpdateDetectionButtonAndPostMessage(camera, true);
}

void ToggleMonitoringOfSelectedCamera()
{
    TCamera *camera = SelectedCameraOrWarn();
    if (!camera)
        return;
    rt::SetTimerEnabled(camera->MonitoringStarter, false);
    const bool on = !IsMonitoring(*camera);
    SetDetector(*camera, on);
    if (on)
        AllowNextSirenNow();
    else
        SilenceSiren();
    UpdateDetectionButtonAndPostMessage(*camera, true);
}

void StartMonitoringOfSelectedCamera(int delaySec)
{
    TCamera *camera = SelectedCameraOrWarn();
    if (!camera)
        return;
    ArmDelayedStart(*camera, delaySec);
    if (delaySec > 2)
        AddLogLine(rt::FormatText(Translate(QStringLiteral("Monitoring on camera %s will begin in %s seconds.")),
                                  {camera->CustomTitle, QString::number(delaySec)}));
}

void StartMonitoringOfAllCameras(int delaySec)
{
    for (const auto &camera : App().Cameras)
        if (camera)
            ArmDelayedStart(*camera, delaySec);
    if (delaySec > 2)
        AddLogLine(rt::FormatText(Translate(QStringLiteral("Monitoring on all cameras will begin in %s seconds.")),
                                  {QString::number(delaySec)}));
}

void StopAllDetectorsAndTimers()
{
    SilenceSiren();
    for (const auto &camera : App().Cameras) {
        if (!camera)
            continue;
        if (IsMonitoring(*camera))
            SetDetector(*camera, false);
        rt::SetTimerEnabled(camera->MonitoringStarter, false);
        UpdateDetectionButtonAndPostMessage(*camera, false);
    }
    AddLogLine(Translate(QStringLiteral("Monitoring is stopped on all cameras.")));
}
