#pragma once
// Connects the main window with the monitoring, alarm, siren and housekeeping logic of the runtime.
class TMainForm;
class TCaptureComponent;

#include "core/subsystems.h"

// Creates the window's hidden siren player (AudioPlayer) and installs the camera controls, the siren player
// and the window itself as the runtime's window. Create one, before Startup(), living as long as the form.
class TMonitoringWiring : public IMonitoringCommands
{
public:
    explicit TMonitoringWiring(TMainForm &form);

    void MonitoringButton() override;
    void StartSelectedCamera(int delaySeconds) override;
    void StartAllCameras(int delaySeconds) override;
    void StopAllDetectors() override;
    void DeleteOldRecordings() override;
    void StopAudioPlayer() override;
};

// The hidden siren player of a wired window; nullptr before WireMonitoring.
TCaptureComponent *AudioPlayer(const TMainForm &form);
