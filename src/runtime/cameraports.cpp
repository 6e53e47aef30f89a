#include "runtime/cameraports.h"

#include "runtime/runtimeservices.h"

void SetCameraControlResolver(TCameraControlResolver resolver)
{
    RuntimeServices().CameraControlResolver = std::move(resolver);
}

TCameraControl *CameraControl(TCamera &camera)
{
    const TCameraControlResolver &resolver = RuntimeServices().CameraControlResolver;
    return resolver ? resolver(camera) : nullptr;
}

void SetRuntimeWindow(TRuntimeWindow *window) { RuntimeServices().Window = window; }

TRuntimeWindow *RuntimeWindow() { return RuntimeServices().Window; }
