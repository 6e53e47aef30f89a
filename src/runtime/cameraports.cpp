#include "runtime/cameraports.h"

#include "runtime/runtimeservices.h"

void SetCameraControlResolver(TCameraControlResolver *resolver) { RuntimeServices().ControlResolver = resolver; }

TCameraControl *CameraControl(TCamera &camera)
{
    TCameraControlResolver *resolver = RuntimeServices().ControlResolver;
    return resolver ? resolver->ControlOf(camera) : nullptr;
}

void SetRuntimeWindow(TRuntimeWindow *window) { RuntimeServices().Window = window; }

TRuntimeWindow *RuntimeWindow() { return RuntimeServices().Window; }
