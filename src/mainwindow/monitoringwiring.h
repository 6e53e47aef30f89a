#pragma once
// Connects the main window with the monitoring, alarm, siren and housekeeping logic of the runtime.
class TMainForm;
class TCaptureComponent;

// Creates the window's hidden siren player (AudioPlayer), installs the camera controls, the siren player
// and the window itself as the runtime's window, and sets the monitoring and housekeeping hooks. Call once,
// before Startup().
void WireMonitoring(TMainForm &form);

// The hidden siren player of a wired window; nullptr before WireMonitoring.
TCaptureComponent *AudioPlayer(const TMainForm &form);
