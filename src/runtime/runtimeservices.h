#pragma once
// The process-wide state of the program: the core services (core/services.h) and what the camera runtime
// keeps for the whole run. app/main.cpp makes one before anything else and destroys it last; tests make a
// fresh one per test function. While it lives it is the current one (and its Core() the current
// TServices); it hands back to the one before it when it goes.
#include "core/services.h"
#include "runtime/cameraports.h"
#include "runtime/lifecycle.h"
#include "runtime/statelog.h"

#include <optional>

class TSirenPlayer;

class TRuntimeServices
{
public:
    TRuntimeServices();
    ~TRuntimeServices();
    TRuntimeServices(const TRuntimeServices &) = delete;
    TRuntimeServices &operator=(const TRuntimeServices &) = delete;

    TServices &Core() { return m_core ? *m_core : Services(); }

    TCameraControlResolver *ControlResolver = nullptr; // CameraControl()
    TRuntimeWindow *Window = nullptr;                  // RuntimeWindow()
    TSirenPlayer *SirenPlayer = nullptr;               // the siren's player
    TCameraViewPlacer *ViewPlacer = nullptr;           // where GrabberCreate puts a camera's view
    TCameraStateLog StateLog;                          // the ostrivo.camera state changes

private:
    friend TRuntimeServices &RuntimeServices();
    struct TFallback {};
    explicit TRuntimeServices(TFallback);

    std::optional<TServices> m_core;  // empty only in the default one, which uses the current TServices
    TRuntimeServices *m_previous;
};

// The current runtime services; a default one when nobody made one.
TRuntimeServices &RuntimeServices();
