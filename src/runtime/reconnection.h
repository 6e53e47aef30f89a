#pragma once
// The periodic start and reconnection of down cameras, and the one-time offer to add a first camera.
class ILocalNetworkSearch;
struct TCamera;
class TTimer;

// What the first tick needs of the main window to offer adding a first camera (mainwindow's camera list
// commands).
class IFirstCameraOffer
{
public:
    virtual bool IsWindowShowing() const = 0;
    virtual bool IsCameraDialogShowing() const = 0;
    virtual void AddCamera() = 0;  // the Add Camera command

protected:
    ~IFirstCameraOffer() = default;
};

// The periodic start and reconnection of cameras (the main window's ReconnectTimer). The caller holds
// the timer's busy flag.
class TCameraReconnector
{
public:
    IFirstCameraOffer *FirstCameraOffer = nullptr;          // none: no camera is offered (not owned)
    ILocalNetworkSearch *LocalNetworkSearch = nullptr;     // refreshes down cameras' addresses (not owned)

    // One tick: restarts every down camera, then sets the timer from the settings; the first tick with no
    // camera opens Add Camera once (after the tick has returned).
    void ReconnectTimerTimer(TTimer &reconnectTimer);
    bool AddCameraOffered() const { return m_addCameraOffered; }

private:
    bool m_addCameraOffered = false;
};

