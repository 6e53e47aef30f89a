#pragma once
// Cameras with fake components, a fake main window and the captured message log, for driving the
// monitoring, alarm and siren logic with the manual clock.
#include "core/clock.h"
#include "core/main.h"
#include "core/timer.h"
#include "runtime/alarms.h"
#include "runtime/cameraports.h"
#include "runtime/monitoring.h"
#include "runtime/runtimeservices.h"
#include "manualclock.h"

#include <QFile>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

inline TDateTime At(int year, int month, int day, int hour, int minute = 0, int second = 0)
{
    return dt::EncodeDate(year, month, day) + dt::EncodeTime(hour, minute, second);
}

struct TFakeControl : TCameraControl
{
    TDateTime start = 0;
    bool detector = false, monitoringIcon = false, countdownIcon = false, captureWorks = true;
    int clockTexts = 0, previews = 0;
    QList<double> recordingStarts, recordingStops, snapshots; // seconds since start
    QString snapshotFile;                                      // written by the next capture when set

    double Seconds() const { return qRound64((Now() - start) * 864000.0) / 10.0; }
    bool MotionDetector_Enabled() const override { return detector; }
    void SetMotionDetector_Enabled(bool enabled) override { detector = enabled; }
    void SetMonitoringIcon(bool visible) override { monitoringIcon = visible; }
    void SetCountdownIcon(bool visible) override { countdownIcon = visible; }
    void SetClockText(const QString &) override { ++clockTexts; }
    bool recordingWorks = true;
    bool StartRecording() override
    {
        recordingStarts << Seconds();
        return recordingWorks;
    }
    bool RecordingFailed() override { return !recordingWorks; }
    void StopRecording() override { recordingStops << Seconds(); }
    void StartPreview() override { ++previews; }
    bool CaptureFrameTo() override
    {
        if (!captureWorks)
            return false;
        snapshots << Seconds();
        if (!snapshotFile.isEmpty())
            QFile(snapshotFile).open(QIODevice::WriteOnly);
        return true;
    }
};

struct TFakeWindow : TRuntimeWindow
{
    QString caption;
    int image = -1, shown = 0;
    bool showing = true, tray = false;
    void SetMonitoringButton(const QString &text, int imageIndex) override { caption = text, image = imageIndex; }
    bool IsShowing() const override { return showing; }
    bool TrayIconVisible() const override { return tray; }
    void ShowWindow() override { showing = true, ++shown; }
};

// The texts written to the message log (category ostrivo.log), without a leading date and time.
class TLogCapture
{
public:
    TLogCapture() { Active() = this, m_previous = qInstallMessageHandler(Handler); }
    ~TLogCapture() { qInstallMessageHandler(m_previous), Active() = nullptr; }
    QStringList Take() { return std::exchange(m_lines, {}); }

private:
    static TLogCapture *&Active() { static TLogCapture *active = nullptr; return active; }
    static void Handler(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        if (!Active() || qstrcmp(context.category, "ostrivo.log") != 0)
            return;
        const qsizetype cut = message.indexOf(QLatin1String(" - "));
        Active()->m_lines << (cut > 0 && message.at(0).isDigit() ? message.mid(cut + 3) : message);
    }
    QtMessageHandler m_previous;
    QStringList m_lines;
};

// Counts the alerts handed to the notifications.
struct TCountingAlertSenders : IAlertSenders
{
    TCountingAlertSenders() { SetAlertSenders(this); }
    ~TCountingAlertSenders() override { SetAlertSenders(nullptr); }
    void EmailOnTimer(TCamera &) override { ++emails; }
    void SMSOnTimer(TCamera &) override { ++sms; }
    int emails = 0;
    int sms = 0;
};

// Fresh services (application record, camera ports, siren player...) whose cameras have fake components
// and timers wired to the runtime's handlers; the fake main window installed; the manual clock at the given
// start.
struct TRuntimeFixture : TCameraControlResolver
{
    TRuntimeServices services;  // first: everything below installs itself into it
    TManualClock clock;
    TDateTime start;
    TFakeWindow window;
    TLogCapture log;
    std::map<TCamera *, std::unique_ptr<TFakeControl>> controls;
    std::vector<std::unique_ptr<TTimer>> timers;

    explicit TRuntimeFixture(TDateTime begin) : clock(begin), start(begin)
    {
        SetCameraControlResolver(this);
        SetRuntimeWindow(&window);
    }
    ~TRuntimeFixture() override { SetAlertSenders(nullptr); }

    TCameraControl *ControlOf(TCamera &camera) override
    {
        const auto found = controls.find(&camera);
        return found == controls.end() ? nullptr : found->second.get();
    }

    TCamera &AddCamera(const QString &title)
    {
        App().Cameras.push_back(std::make_unique<TCamera>());
        TCamera &c = *App().Cameras.back();
        c.CustomTitle = title;
        const std::pair<TTimer *TCamera::*, void (*)(TCamera &)> wiring[] = {
            {&TCamera::Snapshot_Timer, SnapshotOnTimer},     {&TCamera::Video_Timer, VideoOnTimer},
            {&TCamera::DetectionTriggerTimer, DetectionTriggerOnTimer}, {&TCamera::Email_Timer, nullptr},
            {&TCamera::SMS_Timer, nullptr},                  {&TCamera::MonitoringStarter, MonitoringOnTimer}};
        for (auto [slot, handler] : wiring) {
            timers.push_back(std::make_unique<TTimer>(1000, false));
            c.*slot = timers.back().get();
            if (handler)
                timers.back()->OnTimer = [&c, handler = handler](TTimer *) { handler(c); };
        }
        controls[&c] = std::make_unique<TFakeControl>();
        controls[&c]->start = start;
        return c;
    }
    TFakeControl &Control(TCamera &camera) { return *controls.at(&camera); }
};
