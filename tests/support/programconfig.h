#pragma once
// The configuration files (set.dat, cam.dat) for a run of the real program in a test, written by the
// program's own file code:
//     BeginProgramConfiguration(data, output);
//     TCamera &camera = AddSimulatorCamera("Porch", camsim.Port());
//     camera.recording_RecordVideo = true; ...
//     QVERIFY(SaveProgramConfiguration());
#include "core/camera.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/settingsfile.h"

// Every camera in the first cell of a 2 x 2 grid.
struct TOneCellHost : TCameraListHost
{
    int GridColumns() const override { return 2; }
    int GridRows() const override { return 2; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &col, int &row) const override { return col = 0, row = 0, true; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &, int &col, int &row) const override { return col = 0, row = 0, true; }
};

// A fresh application state with the default settings, the given data folder and output folder.
inline void BeginProgramConfiguration(const QString &dataFolder, const QString &outputFolder)
{
    ResetApplicationState();
    TApplicationState &app = App();
    app.DataFolder = dataFolder;
    app.DefaultOutputFolder = outputFolder;
    SetDefaultSettings();
    app.GlobalSettings.OutputFolderForVideosAndSnapshots = outputFolder;
}

// A camera on the camera simulator's MJPEG stream at port, monitoring all day, added to the configuration.
inline TCamera &AddSimulatorCamera(const QString &title, quint16 port)
{
    auto camera = std::make_unique<TCamera>();
    TCamera &c = *camera;
    c.CustomTitle = title;
    c.ActualName = "Generic*MJPEG";
    c.ipcam_IP = "127.0.0.1";
    c.ipcam_Port = QString::number(port);
    c.ipcam_URL = "video.mjpg";
    c.detector_Sensitivity = 5;
    c.scheduler_daily = true;
    for (int day = 1; day <= 7; ++day) {
        c.SchedulerStart(day) = dt::EncodeTime(0, 0, 0);
        c.SchedulerEnd(day) = dt::EncodeTime(23, 59, 59);
    }
    App().Cameras.push_back(std::move(camera));
    return c;
}

// Writes both files and leaves a fresh application state; false when a file could not be written.
inline bool SaveProgramConfiguration()
{
    const bool saved = SaveSettings() && SaveCameras(TOneCellHost());
    ResetApplicationState();
    return saved;
}
