#pragma once
// A camera's capture life: creating its capture component and its six timers and placing its view in the
// grid, configuring the component from the camera's settings, connecting it to its source, starting the
// live picture, reconnecting lost cameras and tearing everything down. Also the overlays on every
// picture, the per-frame drawing of the alert frame and the component's connection events.
#include <QLoggingCategory>
#include <QString>

#include <functional>

class ILocalNetworkSearch;
struct TCamera;
struct TFrameBitmapInfo;
class QWidget;
class TTimer;

// State changes of the cameras' components ("down", "preview", first picture) at info level; off unless
// enabled (QT_LOGGING_RULES="ostrivo.camera.info=true").
Q_DECLARE_LOGGING_CATEGORY(ostrivoCamera)

// Where camera views go: makes the view a child of the camera grid in the given cell; a column < 0
// leaves the cell to the grid. False when no cell is free. Installed by the main window.
using TCameraViewPlacer = std::function<bool(QWidget *view, int column, int row)>;
void SetCameraViewPlacer(TCameraViewPlacer placer);

// Creates the component and the timers and places the view (column < 0: the grid's choice); a failure
// is reported with the restart question. GrabberUpdateSettings runs in every case.
void GrabberCreate(TCamera &camera, int column, int row);
// Applies the camera's settings to its component.
void GrabberUpdateSettings(TCamera &camera);
// Gives the component its source; true when it was set (the picture is not started).
bool GrabberConnect(TCamera &camera);
// Clears the alert flag and starts the live picture.
void GrabberPlay(TCamera &camera);
// Stops the picture, closes the player and frees the component. The timers stay for the caller.
void GrabberDelete(TCamera &camera);

// Switches the title and clock overlays of every camera from the global settings.
void UpdateTextOverlaysOnCameras();

// The drawing on every shown frame of the camera: "[Press ESC]" while full screen and the alert frame
// while motion was detected. Draws nothing (and opens no painter) unless the camera is selected, alerting
// or the clock overlay is on.
void DrawCameraFrame(const TCamera &camera, const TFrameBitmapInfo &frame);

// A drag of the camera's view started (the grid has selected it): the monitoring button shows this camera.
void CameraDragStarted(TCamera &camera);

// The connection events of a camera's component.
void CameraAuthenticationNeeded(const TCamera &camera);
void CameraDeviceLost(const TCamera &camera);

// The periodic start and reconnection of cameras (the main window's ReconnectTimer). The caller holds
// the timer's busy flag.
class TCameraReconnector
{
public:
    // What the tick needs of the main window; each may stay empty.
    std::function<bool()> IsWindowShowing;
    std::function<bool()> IsCameraDialogShowing;
    std::function<void()> AddCamera;                       // the Add Camera command
    ILocalNetworkSearch *LocalNetworkSearch = nullptr;     // refreshes down cameras' addresses (not owned)

    // One tick: restarts every down camera, then sets the timer from the settings; the first tick with no
    // camera opens Add Camera once (after the tick has returned).
    void ReconnectTimerTimer(TTimer &reconnectTimer);
    bool AddCameraOffered() const { return m_addCameraOffered; }

private:
    bool m_addCameraOffered = false;
};

