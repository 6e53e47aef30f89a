#pragma once
// What the camera runtime needs from a camera's capture component and from the main window, as two small
// interfaces. The main window installs the implementations; the runtime's decisions stay testable with
// fakes and never reach up into higher folders.
#include <QString>

struct TCamera;

// A camera's capture component as the monitoring and alarm logic uses it.
class TCameraControl
{
public:
    virtual ~TCameraControl() = default;

    // The detector switch: the camera's "monitoring on" state.
    virtual bool MotionDetector_Enabled() const = 0;
    virtual void SetMotionDetector_Enabled(bool enabled) = 0;
    // Image overlay 0 (monitoring icon) and image overlay 1 (countdown icon) on or off.
    virtual void SetMonitoringIcon(bool visible) = 0;
    virtual void SetCountdownIcon(bool visible) = 0;
    // Text overlay 2, the clock.
    virtual void SetClockText(const QString &text) = 0;

    // Recording into a new automatically named AVI file (false when it could not start), closing it, back
    // to the live picture.
    virtual bool StartRecording() = 0;
    virtual void StopRecording() = 0;
    virtual void StartPreview() = 0;
    // The recording that was asked for does not run: it could not start or stopped writing (a full disk).
    virtual bool RecordingFailed() = 0;
    // Writes the current frame as a JPEG into an automatically named file (CaptureFrameTo with
    // fc_JpegFile and an empty name); false when the capture failed.
    virtual bool CaptureFrameTo() = 0;
    // The same, finished before it returns (the SMS snapshot command mails the file right after).
    virtual bool CaptureFrameSyncTo() { return CaptureFrameTo(); }
    // The component is down (CurrentState cs_Down): not connected, refused or lost.
    virtual bool IsDown() const { return false; }
};

// Finds the control of a camera's component.
class TCameraControlResolver
{
public:
    virtual ~TCameraControlResolver() = default;
    // The control of the camera's component, or nullptr when the camera has none (not created, or
    // released). The object returned must stay valid as long as the camera's component exists.
    virtual TCameraControl *ControlOf(TCamera &camera) = 0;
};
// Installs the resolver (not owned); nullptr removes it.
void SetCameraControlResolver(TCameraControlResolver *resolver);
// The control of the camera's component through the installed resolver; nullptr without one.
TCameraControl *CameraControl(TCamera &camera);

// The parts of the main window the runtime touches.
class TRuntimeWindow
{
public:
    virtual ~TRuntimeWindow() = default;
    // The monitoring toolbar button: its caption and its toolbar image index.
    virtual void SetMonitoringButton(const QString &caption, int imageIndex) = 0;
    virtual bool IsShowing() const = 0;
    virtual bool TrayIconVisible() const = 0;
    virtual void ShowWindow() = 0;
};

// Installs the main window (not owned); nullptr removes it.
void SetRuntimeWindow(TRuntimeWindow *window);
TRuntimeWindow *RuntimeWindow();
