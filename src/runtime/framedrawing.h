#pragma once
// The drawing on every shown frame of a camera.
struct TCamera;
struct TFrameBitmapInfo;

// "[Press ESC]" while full screen and the alert frame while motion was detected. Draws nothing (and opens
// no painter) unless the camera is selected, alerting or the clock overlay is on.
void DrawCameraFrame(const TCamera &camera, const TFrameBitmapInfo &frame);
