#pragma once
// TCamera: one camera's configuration (stored in cam.dat) and its run-time state. A new camera starts with
// every field zero, false, empty or null; its capture component and timers are created by GrabberCreate
// and released by removal or shutdown before the object is freed.
#include "core/datetime.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class TAdvancedCaptureComponent;
class TTimer;

enum TDeviceStatus { dsPlaying, dsStopped };
enum TEmailType { etAlert, etSnapshot };

struct TAdditionalDate
{
    TDateTime Date = 0;   // whole days
    TDateTime Start = 0;  // time of day
    TDateTime Finish = 0; // time of day

    bool operator==(const TAdditionalDate &) const = default;
};

struct TCamera
{
    QString CustomTitle;
    QString ActualName;   // IP camera: brand + "*" + model; webcam: device name
    int Kind = 0;         // 0 IP camera, 1 webcam

    TAdvancedCaptureComponent *Grabber = nullptr;
    TDeviceStatus Status = dsPlaying; // ordinal 0, as a zeroed record; GrabberCreate sets dsStopped

    TTimer *Snapshot_Timer = nullptr;
    int Snapshot_SecondsSinceLastDetection = 0;
    int Snapshot_Counter = 0;
    bool Snapshot_FailureReported = false; // a failed snapshot is reported once per series
    TTimer *Video_Timer = nullptr;
    int Video_SecondsSinceLastDetection = 0;
    TTimer *DetectionTriggerTimer = nullptr;
    TTimer *Email_Timer = nullptr;
    TDateTime Email_NextMinTimeToSend = 0;
    QStringList Email_InitialListOfSnapshots;
    TTimer *SMS_Timer = nullptr;
    TDateTime SMS_NextMinTimeToSend = 0;
    TTimer *MonitoringStarter = nullptr;
    // The six timer fields, for code that treats them alike (stopping, draining, freeing).
    std::array<TTimer **, 6> TimerSlots()
    {
        return {&Snapshot_Timer, &Video_Timer, &DetectionTriggerTimer, &Email_Timer, &SMS_Timer, &MonitoringStarter};
    }

    int webcam_resolutionindex = 0;
    QString ipcam_Username;
    QString ipcam_Password;
    QString ipcam_Port;
    QString ipcam_IP;
    QString ipcam_URL;
    bool ipcam_Authentication = false;
    QString ipcam_UniqueDeviceName;

    int detector_Sensitivity = 0;
    bool detector_MotionWasDetected = false;

    bool scheduler_daily = false;
    bool scheduler_dates = false;
    // One period per weekday, 1 Monday ... 7 Sunday; only the time of day counts.
    TDateTime scheduler_1_start = 0, scheduler_1_end = 0;
    TDateTime scheduler_2_start = 0, scheduler_2_end = 0;
    TDateTime scheduler_3_start = 0, scheduler_3_end = 0;
    TDateTime scheduler_4_start = 0, scheduler_4_end = 0;
    TDateTime scheduler_5_start = 0, scheduler_5_end = 0;
    TDateTime scheduler_6_start = 0, scheduler_6_end = 0;
    TDateTime scheduler_7_start = 0, scheduler_7_end = 0;
    // The period of a weekday by number (1 Monday ... 7 Sunday).
    TDateTime &SchedulerStart(int weekday) { return this->*SchedulerFields[2 * (weekday - 1)]; }
    TDateTime &SchedulerEnd(int weekday) { return this->*SchedulerFields[2 * (weekday - 1) + 1]; }
    // The fourteen period fields in stored order: 1_start, 1_end, ..., 7_start, 7_end.
    static constexpr TDateTime TCamera::*SchedulerFields[14] = {
        &TCamera::scheduler_1_start, &TCamera::scheduler_1_end, &TCamera::scheduler_2_start,
        &TCamera::scheduler_2_end,   &TCamera::scheduler_3_start, &TCamera::scheduler_3_end,
        &TCamera::scheduler_4_start, &TCamera::scheduler_4_end, &TCamera::scheduler_5_start,
        &TCamera::scheduler_5_end,   &TCamera::scheduler_6_start, &TCamera::scheduler_6_end,
        &TCamera::scheduler_7_start, &TCamera::scheduler_7_end};
    QList<TAdditionalDate> scheduler_AdditionalDates;
    bool IsScheduledNow = false;

    bool recording_RecordVideo = false;
    int recording_ContinueVideoRecordingAfterLastMotion_sec = 0;
    bool recording_TakeSnapshots = false;
    int recording_SnapshotQuality = 0;
    int recording_TakeSnapshotsInterval_sec = 0;
    int recording_DurationOfSnapshots_sec = 0;

    bool alarm_PlayAudioAlarm = false;
    int alarm_SoundIndex = 0;
    int alarm_DurationOfAlarm_sec = 0;
    int alarm_DelayBetweenSoundAlarms_min = 0;
    int alarm_Volume = 0;

    bool notification_SendToEmail = false;
    bool notification_AttachSnapshotsToEmail = false;
    QString notification_SMTPFrom;
    QString notification_SMTPRecipient;
    QString notification_SMTPHost;
    int notification_SMTPPort = 0;
    bool notification_SMTPAuthentication = false;
    QString notification_SMTPUsername;
    QString notification_SMTPPassword;
    int notification_SMTPSecurity = 0;   // 0 None, 1 SSL, 2 TLS
    QString notification_PROXYHost;
    int notification_PROXYPort = 0;
    int notification_PROXYType = 0;      // 0 direct, 1 SOCKS 4, 2 SOCKS 5
    bool notification_PROXYAuthentication = false;
    QString notification_PROXYUsername;
    QString notification_PROXYPassword;
    bool notification_SendSMS = false;
    QString notification_SMSUsername;
    QString notification_SMSAPIKey;
    QString notification_SMSMobilePhoneNumber;
};
