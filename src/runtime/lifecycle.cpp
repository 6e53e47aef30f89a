#include "runtime/lifecycle.h"

#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/timer.h"
#include "core/translation.h"
#include "platform/folders.h"
#include "runtime/alarms.h"
#include "runtime/cameraports.h"
#include "runtime/monitoring.h"
#include "runtime/streamaddress.h"

#include <QPainter>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <map>
#include <memory>

Q_LOGGING_CATEGORY(ostrivoCamera, "ostrivo.camera", QtWarningMsg)

namespace {

constexpr int CameraTimerInterval = 1000;
constexpr int ConnectionTimeoutMs = 15000;
constexpr int OverlayIconSize = 64;
constexpr int OverlayIconAlpha = 170;
constexpr int StateWatchIntervalMs = 200;

TCameraViewPlacer g_placer;

// Thrown by a step that failed, caught by the operation that reports it.
struct TStepFailed
{
};

void Require(bool ok)
{
    if (!ok)
        throw TStepFailed();
}

// --- state changes for the camera log category ------------------------------------------------------------

enum class TWatchedState { Unknown, Down, Starting, Live };

struct TWatched
{
    TWatchedState State = TWatchedState::Unknown;
    quint32 FrameNumber = 0;
    qint64 FrameTime = -1;
};

const char *StateName(TWatchedState state)
{
    switch (state) {
    case TWatchedState::Down: return "down";
    case TWatchedState::Starting: return "starting";
    case TWatchedState::Live: return "live";
    case TWatchedState::Unknown: break;
    }
    return "unknown";
}

std::map<const TCamera *, TWatched> &Watched()
{
    static std::map<const TCamera *, TWatched> watched;
    return watched;
}

void WatchStates()
{
    for (const auto &camera : App().Cameras) {
        if (!camera->Grabber)
            continue;
        TWatched &watched = Watched()[camera.get()];
        const TVideoFrame frame = camera->Grabber->LatestFrame();
        const bool newFrame = !frame.Image.isNull()
                              && (frame.Number != watched.FrameNumber || frame.Time != watched.FrameTime);
        watched.FrameNumber = frame.Number;
        watched.FrameTime = frame.Time;
        TWatchedState state = TWatchedState::Down;
        if (camera->Grabber->CurrentState() != cs_Down)
            state = newFrame ? TWatchedState::Live
                             : (watched.State == TWatchedState::Live ? TWatchedState::Live : TWatchedState::Starting);
        if (state != watched.State) {
            watched.State = state;
            qCInfo(ostrivoCamera).noquote() << "camera" << camera->CustomTitle << StateName(state);
        }
    }
}

// Polls the components' states while the camera category logs at info level.
void StartStateWatchIfEnabled()
{
    static QTimer *watch = nullptr;
    if (watch || !ostrivoCamera().isInfoEnabled())
        return;
    watch = new QTimer;
    watch->setInterval(StateWatchIntervalMs);
    QObject::connect(watch, &QTimer::timeout, [] { WatchStates(); });
    watch->start();
}

// --- creation --------------------------------------------------------------------------------------------

void SetUpIconOverlay(TAdvancedCaptureComponent &grabber, int index, const QString &picture)
{
    Require(grabber.SetImageOverlayFromImageFile2(index, platform::ProgramFolder() + u'/' + picture));
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

void WireEvents(TCamera &camera, TAdvancedCaptureComponent &grabber)
{
    TCamera *cam = &camera;
    grabber.OnMotionDetected = [cam](TCaptureComponent *, double ratio, int, int, const QImage *, quint32, qint64, int,
                                     bool &) {
        // Frames keep arriving while shutdown drains the timers; they start no new alarm then.
        if (!IsShuttingDown())
            CameraMotionDetected(*cam, ratio);
    };
    grabber.OnMotionNotDetected = [cam](TCaptureComponent *, const QImage *, quint32, qint64, int, bool &) {
        CameraMotionNotDetected(*cam);
    };
    grabber.OnRecordingStarted = [cam](TCaptureComponent *, const QString &) { CameraRecordingStarted(*cam); };
    grabber.OnAuthenticationNeeded = [cam](TCaptureComponent *, TAuthenticationType, const QString &, const QString &,
                                           QString &, QString &) { CameraAuthenticationNeeded(*cam); };
    grabber.OnDeviceLost = [cam](TCaptureComponent *) { CameraDeviceLost(*cam); };
    // Dragging is run by the grid, which watches the view's mouse events itself.
}

// A timer of the camera with its handler.
TTimer *NewTimer(TCamera &camera, bool enabled, void (*handler)(TCamera &))
{
    auto *timer = new TTimer(CameraTimerInterval, enabled);
    TCamera *cam = &camera;
    timer->OnTimer = [cam, handler](TTimer *) { handler(*cam); };
    return timer;
}

void EmailTimerTick(TCamera &camera) { SendEmailAlert(camera); }
void SMSTimerTick(TCamera &camera) { SendSMSAlert(camera); }

void CreateTimers(TCamera &camera)
{
    camera.Snapshot_Timer = NewTimer(camera, false, SnapshotOnTimer);
    camera.Video_Timer = NewTimer(camera, false, VideoOnTimer);
    camera.Grabber->SetMotionDetector_Enabled(false);
    camera.DetectionTriggerTimer = NewTimer(camera, true, DetectionTriggerOnTimer);
    camera.IsScheduledNow = false;
    camera.detector_MotionWasDetected = false;
    camera.Email_Timer = NewTimer(camera, false, EmailTimerTick);
    camera.SMS_Timer = NewTimer(camera, false, SMSTimerTick);
    camera.MonitoringStarter = NewTimer(camera, false, MonitoringOnTimer);
    camera.Email_InitialListOfSnapshots.clear();
}

QString ConnectingText(const TCamera &camera)
{
    return Translate(QStringLiteral("Connecting to ")) + camera.CustomTitle + QStringLiteral("...");
}

// Font size of the drawn texts: a 35th of the frame width, rounded.
QFont DrawnTextFont(int width)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(std::max(1, int(std::lround(width / 35.0))));
    return font;
}

} // namespace

void SetCameraViewPlacer(TCameraViewPlacer placer) { g_placer = std::move(placer); }

void GrabberCreate(TCamera &camera, int column, int row)
{
    try {
        auto *grabber = new TAdvancedCaptureComponent(nullptr);
        camera.Grabber = grabber;
        Require(g_placer && g_placer(grabber, column, row));
        grabber->SetDragKind(dkDrag);
        grabber->SetDragMode(dmAutomatic);
        WireEvents(camera, *grabber);
        SetUpIconOverlay(*grabber, 0, QStringLiteral("radar.png"));
        SetUpIconOverlay(*grabber, 1, QStringLiteral("timer.png"));
        SetUpTextOverlays(*grabber);
        camera.Status = dsStopped;
        CreateTimers(camera);
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not create the Capture component of camera ")) + camera.CustomTitle,
                    true);
    }
    StartStateWatchIfEnabled();
    GrabberUpdateSettings(camera);
}

void GrabberUpdateSettings(TCamera &camera)
{
    try {
        TAdvancedCaptureComponent *grabber = camera.Grabber;
        Require(grabber);
        grabber->SetColor(QColor(0xFF, 0xFF, 0x00)); // yellow, $00FFFF in blue-green-red order
        grabber->SetFontColor(Qt::white);
        grabber->SetShowCaption(true);
        grabber->setCursor(Qt::PointingHandCursor);
        grabber->SetAlign(alClient);
        grabber->SetBevelOuter(bvRaised);
        grabber->SetBorderStyle(bsNone);
        grabber->SetBorderWidth(0);
        grabber->SetMargins(QMargins(10, 10, 10, 10));
        grabber->SetAlignWithMargins(true);

        grabber->SetTextOverlay_Selector(0);
        grabber->SetTextOverlay_String(ConnectingText(camera));
        grabber->SetTextOverlay_Selector(1);
        grabber->SetTextOverlay_String(camera.CustomTitle);

        grabber->SetDisplayEmbedded(0, true);
        const TCamera *cam = &camera;
        grabber->OnFrameBitmap = [cam](TCaptureComponent *, const TFrameInfo &, const TFrameBitmapInfo &frame) {
            DrawCameraFrame(*cam, frame);
        };
        grabber->MotionDetector_ResetGlobalSensitivity(camera.detector_Sensitivity);
        camera.Email_NextMinTimeToSend = Now();
        camera.SMS_NextMinTimeToSend = Now();

        const int compressor = grabber->VideoCompressorIndex(QStringLiteral("Xvid MPEG-4 Codec"));
        grabber->SetRecordingMethod(rm_AVI);
        if (compressor < 0) {
            grabber->SetCompressionMode(cm_NoCompression);
        } else {
            grabber->SetVideoCompressor(compressor);
            grabber->SetCompressionMode(cm_CompressOnTheFly);
        }
        grabber->SetStoragePath(App().GlobalSettings.OutputFolderForVideosAndSnapshots);
        grabber->SetAutoFilePrefix(camera.CustomTitle + u'_');
        grabber->SetAutoFileName(fn_Sequential);
        grabber->SetJPEGQuality(camera.recording_SnapshotQuality * 10);
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not update the settings of camera ")) + camera.CustomTitle, false);
    }
}

bool GrabberConnect(TCamera &camera)
{
    try {
        TAdvancedCaptureComponent *grabber = camera.Grabber;
        Require(grabber);
        bool result = true;
        switch (camera.Kind) {
        case 0:
            grabber->SetVideoSource(vs_IPCamera);
            grabber->SetIPCameraURL(StreamAddress(camera));
            grabber->SetOpenURLAsync(true);
            grabber->SetIPCameraSetting(ips_ConnectionTimeout, ConnectionTimeoutMs);
            if (camera.ipcam_Authentication && !camera.ipcam_Username.isEmpty())
                grabber->SetAuthentication(at_IPCamera, camera.ipcam_Username, camera.ipcam_Password);
            break;
        case 1:
            grabber->RefreshDevicesAndCompressorsLists();
            grabber->SetVideoSource(vs_VideoCaptureDevice);
            grabber->SetVideoDevice(grabber->VideoDeviceIndex(camera.ActualName));
            grabber->SetVideoSize(camera.webcam_resolutionindex);
            result = grabber->VideoDevice() >= 0;
            break;
        default:
            break;
        }
        grabber->SetDisplayAspectRatio(0, ar_Stretch);
        camera.Status = dsPlaying;
        return result;
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not connect to camera ")) + camera.CustomTitle, false);
        return false;
    }
}

void GrabberPlay(TCamera &camera)
{
    camera.detector_MotionWasDetected = false;
    if (camera.Grabber)
        camera.Grabber->StartPreview();
}

void GrabberDelete(TCamera &camera)
{
    TAdvancedCaptureComponent *grabber = camera.Grabber;
    if (!grabber)
        return;
    grabber->StopPreview();
    grabber->ClosePlayer();
    camera.Grabber = nullptr;
    Watched().erase(&camera);
    delete grabber;
}

void UpdateTextOverlaysOnCameras()
{
    try {
        const TGlobalSettings &settings = App().GlobalSettings;
        for (const auto &camera : App().Cameras) {
            TAdvancedCaptureComponent *grabber = camera->Grabber;
            Require(grabber);
            grabber->SetTextOverlay_Selector(1);
            grabber->SetTextOverlay_Enabled(settings.CameraTitleOverlay);
            grabber->SetTextOverlay_Selector(2);
            grabber->SetTextOverlay_Enabled(settings.DateTimeOverlay);
        }
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not update text overlays on cameras.")), true);
    }
}

void DrawCameraFrame(const TCamera &camera, const TFrameBitmapInfo &frame)
{
    const TApplicationState &app = App();
    const int selected = app.SelCamIndex;
    const bool isSelected =
        selected >= 0 && selected < int(app.Cameras.size()) && app.Cameras[size_t(selected)].get() == &camera;
    if (!isSelected && !camera.detector_MotionWasDetected && !app.GlobalSettings.DateTimeOverlay)
        return;
    // Only the full-screen hint and the alert draw anything; without them the frame is not even copied.
    const bool fullScreen = camera.Grabber && camera.Grabber->GetDisplayFullScreen(0);
    if (!fullScreen && !camera.detector_MotionWasDetected)
        return;
    QPainter *dc = frame.BitmapDC();
    if (!dc)
        return;
    const int w = frame.BitmapWidth;
    const int h = frame.BitmapHeight;
    dc->setBrush(Qt::NoBrush);
    if (fullScreen) {
        dc->setFont(DrawnTextFont(w));
        dc->setPen(Qt::white);
        const QFontMetrics metrics(dc->font(), dc->device());
        dc->drawText(w - metrics.horizontalAdvance(app.PressEscText) - 10, 10 + metrics.ascent(), app.PressEscText);
    }
    if (camera.detector_MotionWasDetected) {
        dc->setFont(DrawnTextFont(w));
        dc->setPen(QPen(Qt::red, 4));
        const QFontMetrics metrics(dc->font(), dc->device());
        const int x = int(std::nearbyint(w / 2.0 - metrics.horizontalAdvance(app.MotionAlertText) / 2.0));
        const int y = h - metrics.height() - 10;
        dc->drawText(x, y + metrics.ascent(), app.MotionAlertText);
        dc->drawRect(QRect(QPoint(2, 2), QPoint(w - 2, h - 2)));
    }
}

void CameraDragStarted(TCamera &camera) { UpdateDetectionButtonAndPostMessage(camera, false); }

void CameraAuthenticationNeeded(const TCamera &camera)
{
    AddLogLine(Translate(QStringLiteral("CONNECTION ERROR: Authentication needed for camera ")) + camera.CustomTitle);
}

void CameraDeviceLost(const TCamera &camera)
{
    AddLogLine(Translate(QStringLiteral("CONNECTION ERROR: Device is lost: ")) + camera.CustomTitle);
}

void TCameraReconnector::ReconnectTimerTimer(TTimer &reconnectTimer)
{
    for (const auto &camera : App().Cameras) {
        if (!camera->Grabber || camera->Grabber->CurrentState() != cs_Down)
            continue;
        camera->Grabber->StopPreview();
        if (GrabberConnect(*camera))
            GrabberPlay(*camera);
        if (!camera->ipcam_UniqueDeviceName.isEmpty() && SearchLocalNetwork)
            SearchLocalNetwork(*camera);
    }
    const TGlobalSettings &settings = App().GlobalSettings;
    // An interval below one second (a damaged settings file) would spin the timer.
    reconnectTimer.SetInterval(std::clamp(settings.ReconnectionInterval_sec, 1, INT_MAX / 1000) * 1000);
    reconnectTimer.SetEnabled(settings.ReconnectCameraIfDown);

    if (m_addCameraOffered)
        return;
    m_addCameraOffered = true;
    if (App().Cameras.empty() && IsWindowShowing && IsWindowShowing()
        && !(IsCameraDialogShowing && IsCameraDialogShowing()) && AddCamera) {
        // Run once the tick has returned and its busy flag is clear: the dialog may stay open a long time.
        QTimer::singleShot(0, qApp, [add = AddCamera] {
            if (!IsShuttingDown())
                add();
        });
    }
}
