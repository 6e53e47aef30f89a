#include "democamdat.h"

#include "core/camerafile.h"
#include "core/main.h"
#include "core/services.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// A camera as a new one of the camera dialog, pointed at the simulator.
std::unique_ptr<TCamera> DemoCamera(quint16 port, int number)
{
    auto camera = std::make_unique<TCamera>();
    camera->CustomTitle = QStringLiteral("Demo Camera");
    if (number > 1)
        camera->CustomTitle += QStringLiteral(" %1").arg(number);
    camera->Kind = 0;
    camera->ActualName = QStringLiteral("Ostrivo*Camera Simulator");
    camera->ipcam_IP = QStringLiteral("127.0.0.1");
    camera->ipcam_Port = QString::number(port);
    camera->ipcam_URL = QStringLiteral("video.mjpg");
    camera->detector_Sensitivity = 5;
    camera->recording_ContinueVideoRecordingAfterLastMotion_sec = 10;
    camera->recording_SnapshotQuality = 10;
    camera->recording_TakeSnapshotsInterval_sec = 2;
    camera->recording_DurationOfSnapshots_sec = 30;
    camera->alarm_PlayAudioAlarm = true;
    camera->alarm_DurationOfAlarm_sec = 20;
    camera->alarm_DelayBetweenSoundAlarms_min = 1;
    camera->alarm_Volume = 10;
    camera->notification_SMTPAuthentication = true;
    camera->notification_SMTPPort = 25;
    return camera;
}

} // namespace

bool WriteDemoCameraList(const QString &folder, quint16 port, int count, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    // A record of its own for the program's file code; nobody answers prompts here (a failure is reported
    // below, the unattended prompts only log it).
    TServices services;
    TApplicationState &app = App();
    app.DataFolder = QDir(folder).absolutePath();
    if (QFileInfo::exists(CameraFilePath()))
        return true;
    app.Cameras.clear();
    for (int number = 1; number <= std::clamp(count, 1, MaxDemoCameras); ++number)
        app.Cameras.push_back(DemoCamera(port, number));
    const bool saved = SaveCameras(TRowByRowCells(2, 2));  // a 2 x 2 grid
    app.Cameras.clear();
    if (!saved)
        *error = QStringLiteral("cannot write %1").arg(CameraFilePath());
    return saved;
}
