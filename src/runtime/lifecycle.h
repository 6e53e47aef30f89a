#pragma once
// A camera's capture life: creating its capture component and its six timers and placing its view in the
// grid, configuring the component from the camera's settings, connecting it to its source, starting the
// live picture and tearing everything down; the component's connection events. The overlays
// (cameraoverlays.h), the per-frame drawing (framedrawing.h), the reconnection tick (reconnection.h) and
// the state log (statelog.h) have files of their own.
#include <QString>

struct TCamera;
class QWidget;
class TTimer;

// Where camera views go. Implemented by the main window's camera grid.
class TCameraViewPlacer
{
public:
    virtual ~TCameraViewPlacer() = default;
    // Makes the view a child of the camera grid in the given cell; a column < 0 leaves the cell to the
    // grid. False when no cell is free.
    virtual bool PlaceCameraView(QWidget *view, int column, int row) = 0;
};
// Installs the placer (not owned); nullptr removes it, and cameras created then get no view.
void SetCameraViewPlacer(TCameraViewPlacer *placer);

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

// A drag of the camera's view started (the grid has selected it): the monitoring button shows this camera.
void CameraDragStarted(TCamera &camera);

// The connection events of a camera's component.
void CameraAuthenticationNeeded(const TCamera &camera);
void CameraDeviceLost(const TCamera &camera);
