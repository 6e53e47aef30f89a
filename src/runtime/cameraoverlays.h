#pragma once
// The overlays of a camera's component: image overlay 0 (the monitoring icon, radar.png) and 1 (the
// countdown icon, timer.png), text overlay 0 (the status while down), 1 (the title) and 2 (the clock).
class TAdvancedCaptureComponent;

// Sets every overlay up (all off except the status text); false when an icon file could not be read (the
// overlays after it are then left as they were).
bool SetUpCameraOverlays(TAdvancedCaptureComponent &grabber);

// Switches the title and clock overlays of every camera from the global settings.
void UpdateTextOverlaysOnCameras();
