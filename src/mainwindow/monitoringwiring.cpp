#include "mainwindow/monitoringwiring.h"

#include "capture/capturecomponent.h"
#include "mainwindow/mainform.h"
#include "runtime/cameracontrol.h"
#include "runtime/housekeeping.h"
#include "runtime/monitoring.h"
#include "runtime/siren.h"

#include <QToolButton>

namespace {

const char *const AudioPlayerName = "AudioPlayer";

QString MonitoringIconName(int imageIndex)
{
    return QLatin1String(imageIndex == StopMonitoringImage ? "monitoring-stop" : "monitoring-start");
}

// The main window as the runtime sees it; a child object of the window, uninstalled with it.
class TMainFormRuntimeWindow : public QObject, public TRuntimeWindow
{
public:
    explicit TMainFormRuntimeWindow(TMainForm &form) : QObject(&form), m_form(form) { SetRuntimeWindow(this); }
    ~TMainFormRuntimeWindow() override
    {
        if (RuntimeWindow() == this)
            SetRuntimeWindow(nullptr);
    }

    void SetMonitoringButton(const QString &caption, int imageIndex) override
    {
        m_form.ToolButton3->setText(caption);
        m_form.ToolButton3->setIcon(m_form.LoadIcon(MonitoringIconName(imageIndex)));
    }
    bool IsShowing() const override { return m_form.IsMainWindowShowing(); }
    bool TrayIconVisible() const override { return m_form.IsTrayIconVisible(); }
    void ShowWindow() override { m_form.OpenFromTray(); }

private:
    TMainForm &m_form;
};

} // namespace

TCaptureComponent *AudioPlayer(const TMainForm &form)
{
    return form.findChild<TCaptureComponent *>(QLatin1String(AudioPlayerName), Qt::FindDirectChildrenOnly);
}

TMonitoringWiring::TMonitoringWiring(TMainForm &form)
{
    auto *player = new TCaptureComponent(&form);
    player->setObjectName(QLatin1String(AudioPlayerName));
    player->hide();
    new TComponentSirenPlayer(*player);
    InstallComponentCameraControl();
    new TMainFormRuntimeWindow(form);
    form.ToolButton3->setIcon(form.LoadIcon(MonitoringIconName(StartMonitoringImage)));
}

void TMonitoringWiring::MonitoringButton() { ToggleMonitoringOfSelectedCamera(); }
void TMonitoringWiring::StartSelectedCamera(int delaySeconds) { StartMonitoringOfSelectedCamera(delaySeconds); }
void TMonitoringWiring::StartAllCameras(int delaySeconds) { StartMonitoringOfAllCameras(delaySeconds); }
void TMonitoringWiring::StopAllDetectors() { StopAllDetectorsAndTimers(); }
void TMonitoringWiring::DeleteOldRecordings() { DeleteOldRecordingsIfEnabled(); }
void TMonitoringWiring::StopAudioPlayer() { CloseSirenPlayer(); }
