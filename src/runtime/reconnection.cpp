#include "runtime/reconnection.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/main.h"
#include "core/timer.h"
#include "runtime/lifecycle.h"
#include "runtime/localnetworksearch.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <climits>

void TCameraReconnector::ReconnectTimerTimer(TTimer &reconnectTimer)
{
    for (const auto &camera : App().Cameras) {
        if (!camera->Grabber || camera->Grabber->CurrentState() != cs_Down)
            continue;
        camera->Grabber->StopPreview();
        if (GrabberConnect(*camera))
            GrabberPlay(*camera);
        if (!camera->ipcam_UniqueDeviceName.isEmpty() && LocalNetworkSearch)
            LocalNetworkSearch->FindAndUPdateIPsOfCamerasInLAN();
    }
    const TGlobalSettings &settings = App().GlobalSettings;
    // An interval below one second (a damaged settings file) would spin the timer.
    reconnectTimer.SetInterval(std::clamp(settings.ReconnectionInterval_sec, 1, INT_MAX / 1000) * 1000);
    reconnectTimer.SetEnabled(settings.ReconnectCameraIfDown);

    if (m_addCameraOffered)
        return;
    m_addCameraOffered = true;
    IFirstCameraOffer *offer = FirstCameraOffer;
    if (offer && App().Cameras.empty() && offer->IsWindowShowing() && !offer->IsCameraDialogShowing()) {
        // Run once the tick has returned and its busy flag is clear: the dialog may stay open a long time.
        QTimer::singleShot(0, qApp, [offer] {
            if (!IsShuttingDown())
                offer->AddCamera();
        });
    }
}
