#pragma once
// What the main window asks of the subsystems plugged into it. Each subsystem implements its interface;
// app/main.cpp creates the implementations and hands them to TMainForm::Plug as one TMainFormSubsystems,
// whose members are references: leaving one out does not compile. Every method runs on the user-interface
// thread.
struct TCamera;
class QWidget;

// The camera grid, the camera list file and the cameras' lives (mainwindow/camerawiring).
class ICameraLifetime
{
public:
    virtual ~ICameraLifetime() = default;
    virtual QWidget *CreateCameraGrid(QWidget *parent) = 0; // start-up: the grid for the middle area
    virtual void LoadCameras() = 0;                         // start-up: read cam.dat, bring cameras up
    virtual void SaveCameras() = 0;                         // shutdown and list changes: write cam.dat
    virtual void UpdateTextOverlays() = 0;                  // title and clock overlays of every camera
    virtual void ReleaseCamera(TCamera &camera) = 0;        // shutdown: delete the capture component
    virtual void ReleaseCameraGrid() = 0;                   // shutdown: remove the views (grid freed after)
    virtual void ReconnectOnTimer() = 0;                    // ReconnectTimer tick, inside its busy guard
    virtual void FullScreen() = 0;                          // "Full Screen"
    virtual void NextLayout() = 0;                          // "Camera Layout" button itself
    virtual void ApplyLayout(int columns, int rows) = 0;    // a layout of the drop-down
};

// "Add Camera", "Remove", "Edit" and the camera dialog's resources.
class ICameraListCommands
{
public:
    virtual ~ICameraListCommands() = default;
    virtual void AddCamera() = 0;
    virtual void RemoveCamera() = 0;
    virtual void EditCamera() = 0;
    virtual void ReleaseCatalogue() = 0; // shutdown: the IP camera catalogue
};

// Monitoring commands, the siren and housekeeping (mainwindow/monitoringwiring).
class IMonitoringCommands
{
public:
    virtual ~IMonitoringCommands() = default;
    virtual void MonitoringButton() = 0; // "Start Monitoring" button itself
    virtual void StartSelectedCamera(int delaySeconds) = 0;
    virtual void StartAllCameras(int delaySeconds) = 0;
    virtual void StopAllDetectors() = 0; // "Stop All Detectors && Timers"
    virtual void DeleteOldRecordings() = 0;
    virtual void StopAudioPlayer() = 0; // shutdown: stop and close the siren
};

// "Settings", "General Settings".
class ISettingsCommands
{
public:
    virtual ~ISettingsCommands() = default;
    virtual void GeneralSettings() = 0;
};

// The SMS command processor.
class ISMSControl
{
public:
    virtual ~ISMSControl() = default;
    virtual void SMSCommanderOnTimer() = 0; // SMSCommanderTimer tick, inside its busy guard
};

// The mail components shared by all cameras.
class IMailService
{
public:
    virtual ~IMailService() = default;
    virtual void ReleaseMailComponents() = 0; // shutdown
};

struct TMainFormSubsystems
{
    ICameraLifetime &Cameras;
    ICameraListCommands &CameraList;
    IMonitoringCommands &Monitoring;
    ISettingsCommands &Settings;
    ISMSControl &SMSControl;
    IMailService &Mail;
};
