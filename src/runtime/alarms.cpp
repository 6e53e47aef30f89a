#include "runtime/alarms.h"

#include "core/camera.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/timer.h"
#include "core/translation.h"
#include "runtime/cameraports.h"
#include "runtime/housekeeping.h"
#include "runtime/runtimesupport.h"
#include "runtime/siren.h"

#include <algorithm>
#include <climits>

namespace {

IAlertSenders *g_alertSenders = nullptr;

void Increment(int &count)
{
    if (count < INT_MAX)
        ++count;
}

void StartAlarmRecording(TCamera &camera)
{
    camera.Video_SecondsSinceLastDetection = 0;
    if (!camera.recording_RecordVideo || !camera.Video_Timer || camera.Video_Timer->Enabled())
        return;
    camera.Video_Timer->SetEnabled(true);
    WriteAlarmLine(camera, Translate(QStringLiteral("Recording video")));
    if (TCameraControl *control = CameraControl(camera))
        control->StartRecording();
}

void AlertByEmail(TCamera &camera, TDateTime now, int delayMinutes)
{
    if (!camera.notification_SendToEmail || !rt::IsLater(now, camera.Email_NextMinTimeToSend))
        return;
    camera.Email_NextMinTimeToSend = now + delayMinutes * dt::OneMinute;
    WriteAlarmLine(camera, Translate(QStringLiteral("Sending email to ")) + camera.notification_SMTPRecipient);
    if (camera.notification_AttachSnapshotsToEmail && camera.recording_TakeSnapshots && camera.Email_Timer) {
        // The email waits until the series has taken its first snapshots.
        UpdateListOfAvailableSnaphots(camera, camera.Email_InitialListOfSnapshots);
        camera.Email_Timer->SetInterval(EmailTimerInterval(camera.recording_TakeSnapshotsInterval_sec));
        camera.Email_Timer->SetEnabled(true);
    } else {
        SendEmailAlert(camera);
    }
}

void StartSnapshotSeries(TCamera &camera)
{
    camera.Snapshot_SecondsSinceLastDetection = 0;
    if (!camera.recording_TakeSnapshots || !camera.Snapshot_Timer || camera.Snapshot_Timer->Enabled())
        return;
    camera.Snapshot_Timer->SetEnabled(true);
    camera.Snapshot_Counter = INT_MAX; // the first tick captures
    WriteAlarmLine(camera, Translate(QStringLiteral("Capturing snapshots")));
    SnapshotOnTimer(camera);
}

void AlertBySMS(TCamera &camera, TDateTime now, int delayMinutes)
{
    if (!camera.notification_SendSMS || !rt::IsLater(now, camera.SMS_NextMinTimeToSend))
        return;
    camera.SMS_NextMinTimeToSend = now + delayMinutes * dt::OneMinute;
    WriteAlarmLine(camera, Translate(QStringLiteral("Sending sms to ")) + camera.notification_SMSMobilePhoneNumber);
    SendSMSAlert(camera);
}

void BringWindowBack()
{
    TRuntimeWindow *window = RuntimeWindow();
    if (App().GlobalSettings.MaximizeAppOnDetection && window && !window->IsShowing() && window->TrayIconVisible())
        window->ShowWindow();
}

} // namespace

void CameraMotionDetected(TCamera &camera, double globalMotionRatio)
{
    if (!(globalMotionRatio >= MinimumGlobalMotionRatio)) // also refuses a ratio that is not a number
        return;
    camera.detector_MotionWasDetected = true;
    StartSirenIfDue(camera);
    StartAlarmRecording(camera);
    const TDateTime now = Now();
    const int delayMinutes = App().GlobalSettings.DelayBetweenEmailsAndSMS_min;
    AlertByEmail(camera, now, delayMinutes);
    StartSnapshotSeries(camera);
    AlertBySMS(camera, now, delayMinutes);
    BringWindowBack();
}

void CameraMotionNotDetected(TCamera &camera) { camera.detector_MotionWasDetected = false; }

void CameraRecordingStarted(TCamera &camera)
{
    AddLogLine(Translate(QStringLiteral("Video recording is started on camera ")) + camera.CustomTitle);
}

void VideoOnTimer(TCamera &camera)
{
    if (!camera.Video_Timer)
        return;
    TBusyGuard busy(camera.Video_Timer->Tag);
    if (!busy)
        return;
    if (camera.Video_SecondsSinceLastDetection >= camera.recording_ContinueVideoRecordingAfterLastMotion_sec) {
        if (TCameraControl *control = CameraControl(camera)) {
            control->StopRecording();
            control->StartPreview();
        }
        camera.Video_Timer->SetEnabled(false);
        return;
    }
    Increment(camera.Video_SecondsSinceLastDetection);
}

void SnapshotOnTimer(TCamera &camera)
{
    if (!camera.Snapshot_Timer)
        return;
    TBusyGuard busy(camera.Snapshot_Timer->Tag);
    if (!busy)
        return;
    if (!camera.recording_TakeSnapshots) {
        camera.Snapshot_Timer->SetEnabled(false);
        return;
    }
    if (camera.Snapshot_Counter >= camera.recording_TakeSnapshotsInterval_sec) {
        camera.Snapshot_Counter = 0;
        TCameraControl *control = CameraControl(camera);
        if (!control || !control->CaptureFrameTo())
            AddLogLine(Translate(QStringLiteral("ERROR: could not capture snapshot from camera ")) + camera.CustomTitle);
    }
    if (camera.Snapshot_SecondsSinceLastDetection >= camera.recording_DurationOfSnapshots_sec)
        camera.Snapshot_Timer->SetEnabled(false);
    Increment(camera.Snapshot_SecondsSinceLastDetection);
    Increment(camera.Snapshot_Counter);
}

int EmailTimerInterval(int snapshotIntervalSec)
{
    const qint64 interval = std::max(snapshotIntervalSec, 0);
    qint64 ms = interval * 2000 + 300;
    if (ms > 5000)
        ms = interval * 1000 + 300;
    return int(std::min<qint64>(ms, INT_MAX));
}

void WriteAlarmLine(const TCamera &camera, const QString &action)
{
    const QString text = Translate(QStringLiteral("ALARM on camera ")) + camera.CustomTitle + QStringLiteral(": ") + action;
    AddLogLine(text);
    ShowAlartOnBaloonIfNeeded(LogLine(Now(), text));
}

void SetAlertSenders(IAlertSenders *senders) { g_alertSenders = senders; }

void SendEmailAlert(TCamera &camera)
{
    if (g_alertSenders)
        g_alertSenders->EmailOnTimer(camera);
}

void SendSMSAlert(TCamera &camera)
{
    if (g_alertSenders)
        g_alertSenders->SMSOnTimer(camera);
}
