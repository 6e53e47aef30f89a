#pragma once
// The runtime's ports implemented over real capture components: a camera's TAdvancedCaptureComponent as
// its TCameraControl, and the main window's hidden player component as the siren player.
#include "runtime/cameraports.h"
#include "runtime/siren.h"

#include <QObject>

class TCaptureComponent;

// A camera's component as the monitoring and alarm logic drives it. It lives as a child object of the
// component, so it goes away together with it.
class TComponentCameraControl : public QObject, public TCameraControl
{
    Q_OBJECT
public:
    explicit TComponentCameraControl(TCaptureComponent &component);

    // The control of a component: the existing one, or a new one made on first use.
    static TComponentCameraControl &Of(TCaptureComponent &component);

    bool MotionDetector_Enabled() const override;
    void SetMotionDetector_Enabled(bool enabled) override;
    void SetMonitoringIcon(bool visible) override;
    void SetCountdownIcon(bool visible) override;
    void SetClockText(const QString &text) override;
    void StartRecording() override;
    void StopRecording() override;
    void StartPreview() override;
    bool CaptureFrameTo() override;
    bool CaptureFrameSyncTo() override;
    bool IsDown() const override;

private:
    TCaptureComponent &m_component;
};

// Installs the resolver that gives every camera with a component (Grabber) its control.
void InstallComponentCameraControl();

// The siren on a player component. It lives as a child object of the component, installs itself as the
// program's siren player and removes itself when the component goes away. The component's
// OnPlayerStateChanged is taken over: ps_Paused (the end of the file) goes to SirenPlayerPaused.
class TComponentSirenPlayer : public QObject, public TSirenPlayer
{
    Q_OBJECT
public:
    explicit TComponentSirenPlayer(TCaptureComponent &player);
    ~TComponentSirenPlayer() override;

    void SetPlayerFileName(const QString &fileName) override;
    void SetAudioVolume(int volume) override;
    void OpenPlayer() override;
    void RunPlayer() override;
    void Stop() override;
    void ClosePlayer() override;
    bool IsPlaying() const override;

private:
    TCaptureComponent &m_player;
};
