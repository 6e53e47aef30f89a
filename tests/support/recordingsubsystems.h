#pragma once
// Stand-ins for every subsystem the main window plugs in: each call appends its name (with its arguments)
// to a list of steps and then calls OnStep, where a test can check the state at that moment.
#include "core/camera.h"
#include "core/subsystems.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class TRecordingSubsystems : public ICameraLifetime,
                             public ICameraListCommands,
                             public IMonitoringCommands,
                             public ISettingsCommands,
                             public ISMSControl,
                             public IMailService
{
public:
    explicit TRecordingSubsystems(QStringList &steps) : m_steps(steps) {}

    std::function<void(const QString &step)> OnStep;
    // When set, SaveCameras also writes the real camera list through it.
    ICameraLifetime *SaveThrough = nullptr;

    TMainFormSubsystems All() { return {*this, *this, *this, *this, *this, *this}; }
    // The real camera wiring with everything else recorded.
    TMainFormSubsystems With(ICameraLifetime &cameras) { return {cameras, *this, *this, *this, *this, *this}; }

    QWidget *CreateCameraGrid(QWidget *parent) override
    {
        Step("CreateCameraGrid");
        return new QWidget(parent);
    }
    void LoadCameras() override { Step("LoadCameras"); }
    void SaveCameras() override
    {
        Step("SaveCameras");
        if (SaveThrough)
            SaveThrough->SaveCameras();
    }
    void UpdateTextOverlays() override { Step("UpdateTextOverlays"); }
    void ReleaseCamera(TCamera &camera) override { Step("ReleaseCamera " + camera.CustomTitle); }
    void ReleaseCameraGrid() override { Step("ReleaseCameraGrid"); }
    void ReconnectOnTimer() override { Step("ReconnectOnTimer"); }
    void FullScreen() override { Step("FullScreen"); }
    void NextLayout() override { Step("NextLayout"); }
    void ApplyLayout(int columns, int rows) override { Step(QString("ApplyLayout %1 %2").arg(columns).arg(rows)); }

    void AddCamera() override { Step("AddCamera"); }
    void RemoveCamera() override { Step("RemoveCamera"); }
    void EditCamera() override { Step("EditCamera"); }
    void ReleaseCatalogue() override { Step("ReleaseCatalogue"); }

    void MonitoringButton() override { Step("MonitoringButton"); }
    void StartSelectedCamera(int delaySeconds) override { Step(QString("StartSelectedCamera %1").arg(delaySeconds)); }
    void StartAllCameras(int delaySeconds) override { Step(QString("StartAllCameras %1").arg(delaySeconds)); }
    void StopAllDetectors() override { Step("StopAllDetectors"); }
    void DeleteOldRecordings() override { Step("DeleteOldRecordings"); }
    void StopAudioPlayer() override { Step("StopAudioPlayer"); }

    void GeneralSettings() override { Step("GeneralSettings"); }
    void SMSCommanderOnTimer() override { Step("SMSCommanderOnTimer"); }
    void ReleaseMailComponents() override { Step("ReleaseMailComponents"); }

private:
    void Step(const QString &step)
    {
        m_steps << step;
        if (OnStep)
            OnStep(step);
    }

    QStringList &m_steps;
};
