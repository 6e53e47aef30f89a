#include "runtime/cameraports.h"

namespace {
TCameraControlResolver g_resolver;
TRuntimeWindow *g_window = nullptr;
}

void SetCameraControlResolver(TCameraControlResolver resolver) { g_resolver = std::move(resolver); }

TCameraControl *CameraControl(TCamera &camera) { return g_resolver ? g_resolver(camera) : nullptr; }

void SetRuntimeWindow(TRuntimeWindow *window) { g_window = window; }

TRuntimeWindow *RuntimeWindow() { return g_window; }
