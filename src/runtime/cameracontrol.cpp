#include "runtime/cameracontrol.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"

namespace {
// Overlay slots of the monitoring state and the clock.
constexpr int MonitoringIconOverlay = 0;
constexpr int CountdownIconOverlay = 1;
constexpr int ClockTextOverlay = 2;
} // namespace

TComponentCameraControl::TComponentCameraControl(TCaptureComponent &component)
    : QObject(&component), m_component(component)
{
}

TComponentCameraControl &TComponentCameraControl::Of(TCaptureComponent &component)
{
    if (auto *existing = component.findChild<TComponentCameraControl *>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new TComponentCameraControl(component);
}

bool TComponentCameraControl::MotionDetector_Enabled() const { return m_component.MotionDetector_Enabled(); }

void TComponentCameraControl::SetMotionDetector_Enabled(bool enabled) { m_component.SetMotionDetector_Enabled(enabled); }

void TComponentCameraControl::SetMonitoringIcon(bool visible)
{
    m_component.SetImageOverlay_Enabled(MonitoringIconOverlay, visible);
}

void TComponentCameraControl::SetCountdownIcon(bool visible)
{
    m_component.SetImageOverlay_Enabled(CountdownIconOverlay, visible);
}

void TComponentCameraControl::SetClockText(const QString &text)
{
    // Other code sets up the text slots through the same selector: leave it where it was.
    const int selected = m_component.TextOverlay_Selector();
    m_component.SetTextOverlay_Selector(ClockTextOverlay);
    m_component.SetTextOverlay_String(text);
    m_component.SetTextOverlay_Selector(selected);
}

bool TComponentCameraControl::StartRecording() { return m_component.StartRecording(); }

bool TComponentCameraControl::RecordingFailed() { return m_component.RecordingFailed(); }

void TComponentCameraControl::StopRecording() { m_component.StopRecording(); }

void TComponentCameraControl::StartPreview() { m_component.StartPreview(); }

bool TComponentCameraControl::CaptureFrameTo() { return m_component.CaptureFrameTo(fc_JpegFile, QString()); }

bool TComponentCameraControl::CaptureFrameSyncTo() { return m_component.CaptureFrameSyncTo(fc_JpegFile, QString()); }

bool TComponentCameraControl::IsDown() const { return m_component.CurrentState() == cs_Down; }

namespace {

class TComponentControlResolver : public TCameraControlResolver
{
public:
    TCameraControl *ControlOf(TCamera &camera) override
    {
        return camera.Grabber ? &TComponentCameraControl::Of(*camera.Grabber) : nullptr;
    }
};

} // namespace

void InstallComponentCameraControl()
{
    static TComponentControlResolver resolver;  // holds nothing: one serves every runtime services object
    SetCameraControlResolver(&resolver);
}

TComponentSirenPlayer::TComponentSirenPlayer(TCaptureComponent &player) : QObject(&player), m_player(player)
{
    m_player.OnPlayerStateChanged = [](TCaptureComponent *, TPlayerState, TPlayerState newState) {
        if (newState == ps_Paused)
            SirenPlayerPaused();
    };
    SetSirenPlayer(this);
}

TComponentSirenPlayer::~TComponentSirenPlayer()
{
    // Runs while the component is being destroyed: only the installation is undone here.
    SetSirenPlayer(nullptr);
}

void TComponentSirenPlayer::SetPlayerFileName(const QString &fileName) { m_player.SetPlayerFileName(fileName); }

void TComponentSirenPlayer::SetAudioVolume(int volume) { m_player.SetAudioVolume(volume); }

void TComponentSirenPlayer::OpenPlayer() { m_player.OpenPlayer(); }

void TComponentSirenPlayer::RunPlayer() { m_player.RunPlayer(); }

void TComponentSirenPlayer::Stop() { m_player.Stop(); }

void TComponentSirenPlayer::ClosePlayer() { m_player.ClosePlayer(); }

bool TComponentSirenPlayer::IsPlaying() const { return m_player.PlayerState() == ps_Playing; }
