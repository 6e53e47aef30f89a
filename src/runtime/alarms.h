#pragma once
// A monitoring camera's reaction to motion: the alert frame, the siren, the alarm recording that goes on
// for a while after the last motion, the snapshot series, the alert email and SMS with their hold-off
// times, the alarm lines and bringing the hidden main window back.
#include <QString>

struct TCamera;

// Motion events with a smaller global motion ratio are ignored entirely.
constexpr double MinimumGlobalMotionRatio = 0.001;

// The camera's handlers of its component's OnMotionDetected, OnMotionNotDetected and OnRecordingStarted.
void CameraMotionDetected(TCamera &camera, double globalMotionRatio);
void CameraMotionNotDetected(TCamera &camera);
void CameraRecordingStarted(TCamera &camera);

// Handlers of Video_Timer (recording continuation) and Snapshot_Timer (snapshot series).
void VideoOnTimer(TCamera &camera);
void SnapshotOnTimer(TCamera &camera);

// Milliseconds from an alert to its email when snapshots are attached: two snapshot intervals and 300 ms,
// or one interval and 300 ms when two would exceed 5 seconds.
int EmailTimerInterval(int snapshotIntervalSec);

// Writes "ALARM on camera <title>: <action>" (action already translated) to the log and offers the full
// line to the balloon alert.
void WriteAlarmLine(const TCamera &camera, const QString &action);

// The notifications' alert senders (the camera's EmailOnTimer and SMSOnTimer), implemented in a higher
// folder and installed there; until one is installed an alert that is due goes nowhere.
class IAlertSenders
{
public:
    virtual ~IAlertSenders() = default;
    virtual void EmailOnTimer(TCamera &camera) = 0;
    virtual void SMSOnTimer(TCamera &camera) = 0;
};
// Installs the senders (not owned); nullptr removes them.
void SetAlertSenders(IAlertSenders *senders);
// Runs the installed sender (the camera's Email_Timer and SMS_Timer ticks); nothing when none is installed.
void SendEmailAlert(TCamera &camera);
void SendSMSAlert(TCamera &camera);
