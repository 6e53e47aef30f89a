#pragma once
// The periodic start and reconnection of down cameras, and the one-time offer to add a first camera.
#include <functional>

class ILocalNetworkSearch;
struct TCamera;
class TTimer;

// The periodic start and reconnection of cameras (the main window's ReconnectTimer). The caller holds
// the timer's busy flag.
class TCameraReconnector
{
public:
    // What the tick needs of the main window; each may stay empty.
    std::function<bool()> IsWindowShowing;
    std::function<bool()> IsCameraDialogShowing;
    std::function<void()> AddCamera;                       // the Add Camera command
    ILocalNetworkSearch *LocalNetworkSearch = nullptr;     // refreshes down cameras' addresses (not owned)

    // One tick: restarts every down camera, then sets the timer from the settings; the first tick with no
    // camera opens Add Camera once (after the tick has returned).
    void ReconnectTimerTimer(TTimer &reconnectTimer);
    bool AddCameraOffered() const { return m_addCameraOffered; }

private:
    bool m_addCameraOffered = false;
};

