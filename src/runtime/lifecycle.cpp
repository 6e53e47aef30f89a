#include "runtime/lifecycle.h"

#include "capture/avirecorder.h"
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/timer.h"
#include "core/translation.h"
#include "runtime/alarms.h"
#include "runtime/cameraoverlays.h"
#include "runtime/cameraports.h"
#include "runtime/framedrawing.h"
#include "runtime/monitoring.h"
#include "runtime/runtimeservices.h"
#include "runtime/streamaddress.h"


#include <algorithm>
#include <exception>
#include <memory>

namespace {

constexpr int CameraTimerInterval = 1000;
constexpr int ConnectionTimeoutMs = 15000;

// Thrown by a step that failed, caught by the operation that reports it.
struct TStepFailed
{
};

void Require(bool ok)
{
    if (!ok)
        throw TStepFailed();
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
    grabber.OnLog = [cam](TCaptureComponent *, const QString &text) { CameraComponentLog(*cam, text); };
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

} // namespace

void SetCameraViewPlacer(TCameraViewPlacer *placer) { RuntimeServices().ViewPlacer = placer; }

void GrabberCreate(TCamera &camera, int column, int row)
{
    try {
        auto *grabber = new TAdvancedCaptureComponent(nullptr);
        camera.Grabber = grabber;
        TCameraViewPlacer *placer = RuntimeServices().ViewPlacer;
        Require(placer && placer->PlaceCameraView(grabber, column, row));
        grabber->SetDragKind(dkDrag);
        grabber->SetDragMode(dmAutomatic);
        WireEvents(camera, *grabber);
        Require(SetUpCameraOverlays(*grabber));
        camera.Status = dsStopped;
        CreateTimers(camera);
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not create the Capture component of camera ")) + camera.CustomTitle,
                    true);
    }
    RuntimeServices().StateLog.StartIfEnabled();
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

        const int compressor = grabber->VideoCompressorIndex(XvidCompressorName);
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
    RuntimeServices().StateLog.Forget(camera);
    delete grabber;
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
