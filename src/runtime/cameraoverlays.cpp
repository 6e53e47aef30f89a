#include "runtime/cameraoverlays.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/log.h"
#include "core/main.h"
#include "core/services.h"
#include "core/translation.h"

#include <stdexcept>

namespace {

constexpr int OverlayIconSize = 64;
constexpr int OverlayIconAlpha = 170;

bool SetUpIconOverlay(TAdvancedCaptureComponent &grabber, int index, const QString &picture)
{
    if (!grabber.SetImageOverlayFromImageFile2(index, DataFilesFolder() + u'/' + picture))
        return false;
    grabber.SetImageOverlay_Enabled(index, false);
    grabber.SetImageOverlay_Transparent(index, true);
    grabber.SetImageOverlay_UseTransparentColor(index, true);
    grabber.SetImageOverlay_TransparentColorValue(index, Qt::black);
    grabber.SetImageOverlay_AlphaBlend(index, true);
    grabber.SetImageOverlay_AlphaBlendValue(index, OverlayIconAlpha);
    grabber.SetImageOverlay_Width(index, OverlayIconSize);
    grabber.SetImageOverlay_Height(index, OverlayIconSize);
    grabber.SetImageOverlay_VideoAlignment(index, oa_LeftBottom);
    grabber.SetImageOverlay_TargetDisplay(index, TargetDisplay_LiveOnly);
    return true;
}

void SetFont(TAdvancedCaptureComponent &grabber, const QString &name, int size, bool bold)
{
    TOverlayFont &font = grabber.TextOverlay_Font();
    font.Name = name;
    font.Size = size;
    font.Bold = bold;
    font.Color = Qt::white;
}

void SetShadow(TAdvancedCaptureComponent &grabber)
{
    grabber.SetTextOverlay_Shadow(true);
    grabber.SetTextOverlay_ShadowColor(Qt::black);
    grabber.SetTextOverlay_ShadowDirection(cd_East);
    grabber.SetTextOverlay_HighResFont(true);
}

void SetUpTextOverlays(TAdvancedCaptureComponent &grabber)
{
    // 0: the status text on the empty control while the camera is down.
    grabber.SetTextOverlay_Selector(0);
    grabber.SetTextOverlay_Enabled(true);
    grabber.SetTextOverlay_Align(tf_Left);
    grabber.SetTextOverlay_Left(5);
    grabber.SetTextOverlay_Top(5);
    SetFont(grabber, QStringLiteral("Arial"), 12, false);
    grabber.SetTextOverlay_TargetDisplay(TargetDisplay_WhenDown);
    // 1: the title, on the live picture only.
    grabber.SetTextOverlay_Selector(1);
    grabber.SetTextOverlay_Enabled(false);
    grabber.SetTextOverlay_Align(tf_Center);
    grabber.SetTextOverlay_Top(5);
    SetFont(grabber, QStringLiteral("Arial"), 14, true);
    SetShadow(grabber);
    grabber.SetTextOverlay_TargetDisplay(TargetDisplay_LiveOnly);
    // 2: the clock at the bottom left.
    grabber.SetTextOverlay_Selector(2);
    grabber.SetTextOverlay_Enabled(false);
    grabber.SetTextOverlay_Align(tf_Right);
    grabber.SetTextOverlay_VideoAlignment(2, oa_LeftBottom);
    SetFont(grabber, QStringLiteral("Courier New"), 12, true);
    SetShadow(grabber);
    grabber.SetTextOverlay_TargetDisplay(TargetDisplay_LiveOnly);
}

} // namespace

bool SetUpCameraOverlays(TAdvancedCaptureComponent &grabber)
{
    if (!SetUpIconOverlay(grabber, 0, QStringLiteral("radar.png")) || !SetUpIconOverlay(grabber, 1, QStringLiteral("timer.png")))
        return false;
    SetUpTextOverlays(grabber);
    return true;
}

void UpdateTextOverlaysOnCameras()
{
    try {
        const TGlobalSettings &settings = App().GlobalSettings;
        for (const auto &camera : App().Cameras) {
            TAdvancedCaptureComponent *grabber = camera->Grabber;
            if (!grabber)
                throw std::runtime_error("camera without component");
            grabber->SetTextOverlay_Selector(1);
            grabber->SetTextOverlay_Enabled(settings.CameraTitleOverlay);
            grabber->SetTextOverlay_Selector(2);
            grabber->SetTextOverlay_Enabled(settings.DateTimeOverlay);
        }
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not update text overlays on cameras.")), true);
    }
}

