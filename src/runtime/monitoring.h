#pragma once
// Switching monitoring (a camera's motion detector) on and off: by the user for the selected camera or for
// all cameras, at once or after a delay; by the schedule at the edges of its periods; by the SMS commands.
// A camera is Off (detector off), Pending (detector off, MonitoringStarter on) or On (detector on).
#include <QString>

#include <array>

struct TCamera;

// The start-with-delay items of the monitoring menu, in menu order: caption (translated when shown) and
// delay. "Right Now" too goes through the delayed start, one second long.
struct TMonitoringDelay
{
    const char *Caption;
    int Seconds;
};
inline constexpr std::array<TMonitoringDelay, 6> MonitoringDelays{{
    {"Right Now", 1},
    {"After 30-second delay", 30},
    {"After 1-minute delay", 60},
    {"After 5-minute delay", 300},
    {"After 10-minute delay", 600},
    {"After 30-minute delay", 1800},
}};

// Toolbar images of the monitoring button.
constexpr int StartMonitoringImage = 3;
constexpr int StopMonitoringImage = 4;

// Whether the camera is monitoring (its detector is on).
bool IsMonitoring(TCamera &camera);

// Shows the camera's monitoring state: the toolbar button when it is the selected camera, the monitoring
// and countdown icons, and with postMessage the log line. Off also clears the alert flag.
void UpdateDetectionButtonAndPostMessage(TCamera &camera, bool postMessage);

// Switches the detector, cancels a delayed start and shows the change with its log line (the schedule
// edges and the SMS commands).
void SetMonitoring(TCamera &camera, bool on);

// Handler of DetectionTriggerTimer, every second: the clock overlay and the schedule edges.
void DetectionTriggerOnTimer(TCamera &camera);
// Handler of MonitoringStarter: the end of a delayed start.
void MonitoringOnTimer(TCamera &camera);

// The toolbar button: inverts monitoring of the selected camera.
void ToggleMonitoringOfSelectedCamera();
// "Start with Selected Camera" and "Start with All Cameras" with a delay in seconds.
void StartMonitoringOfSelectedCamera(int delaySec);
void StartMonitoringOfAllCameras(int delaySec);
// "Stop All Detectors && Timers".
void StopAllDetectorsAndTimers();
