#include "mainwindow/cameralistcommands.h"

#include "cameradialog/newcapturedevice.h"
#include "core/cameratimers.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/translation.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/mainform.h"
#include "runtime/lifecycle.h"
#include "runtime/runtimesupport.h"

#include <algorithm>

TCameraListCommands::TCameraListCommands(TMainForm &form, TCameraWiring &cameras, ISettingsCommands &settings)
    : m_form(form), m_cameras(cameras), m_settings(settings)
{
    m_cameras.Reconnector().FirstCameraOffer = this;
}

TCameraListCommands::~TCameraListCommands()
{
    if (m_cameras.Reconnector().FirstCameraOffer == this)
        m_cameras.Reconnector().FirstCameraOffer = nullptr;
}

bool TCameraListCommands::IsWindowShowing() const { return m_form.IsMainWindowShowing(); }

bool TCameraListCommands::IsCameraDialogShowing() const { return IsDialogShowing(); }

TDevForm &TCameraListCommands::Dialog()
{
    if (!m_dialog)
        m_dialog = new TDevForm(&m_settings, &m_form);
    return *m_dialog;
}

bool TCameraListCommands::IsDialogShowing() const { return m_dialog && m_dialog->isVisible(); }

int TCameraListCommands::SelectedCameraOrWarn() const
{
    const TApplicationState &app = App();
    if (app.SelCamIndex >= 0 && app.SelCamIndex < int(app.Cameras.size()))
        return app.SelCamIndex;
    Prompts().Message(TPromptKind::Warning, ApplicationTitle, Translate(QStringLiteral("Camera is not choosed")));
    return -1;
}

void TCameraListCommands::AddCamera()
{
    if (IsDialogShowing())
        return;
    TDevForm &dialog = Dialog();
    dialog.ClearCameraControls();
    dialog.setWindowTitle(Translate(QStringLiteral("New Capture Device")));
    if (dialog.ShowModal() == 0 || IsShuttingDown())
        return;

    TApplicationState &app = App();
    app.Cameras.push_back(std::make_unique<TCamera>());
    TCamera &camera = *app.Cameras.back();
    dialog.ControlsToRecord(camera);
    m_cameras.RealignGrid(0, 0);
    GrabberCreate(camera, -1, -1);
    if (GrabberConnect(camera))
        GrabberPlay(camera);
    AddLogLine(Translate(QStringLiteral("Added new camera ")) + camera.CustomTitle);
    m_cameras.SaveCameras();
    m_cameras.UpdateTextOverlays();
}

void TCameraListCommands::RemoveCamera()
{
    if (m_removing)
        return;
    const int index = SelectedCameraOrWarn();
    if (index < 0)
        return;
    TApplicationState &app = App();
    TCamera *camera = app.Cameras[size_t(index)].get();
    if (!Prompts().Ask(TPromptKind::Warning, ApplicationTitle,
                       Translate(QStringLiteral("Remove camera ")) + camera->CustomTitle + u'?'))
        return;

    m_removing = true;
    try {
        DisableAndDrainCameraTimers(*camera);
        AddLogLine(Translate(QStringLiteral("Camera is removed: ")) + camera->CustomTitle);
        GrabberDelete(*camera);
        FreeCameraTimers(*camera);
        camera->Email_InitialListOfSnapshots.clear();
        camera->scheduler_AdditionalDates.clear();
        // Events ran while the timers drained: find the camera again rather than trust its old position.
        const auto it = std::find_if(app.Cameras.begin(), app.Cameras.end(),
                                     [camera](const auto &entry) { return entry.get() == camera; });
        if (it != app.Cameras.end())
            app.Cameras.erase(it);
    } catch (...) {
        ReportError(Translate(QStringLiteral("Could not remove selected camera")), true);
    }
    m_removing = false;
    app.SelCamIndex = -1;
    m_cameras.SaveCameras();
}

void TCameraListCommands::EditCamera()
{
    if (IsDialogShowing())
        return;
    const int index = SelectedCameraOrWarn();
    if (index < 0)
        return;
    TApplicationState &app = App();
    TCamera *camera = app.Cameras[size_t(index)].get();
    TDevForm &dialog = Dialog();
    dialog.ClearCameraControls();
    dialog.CameraToControls(index);
    dialog.setWindowTitle(Translate(QStringLiteral("Edit Capture Device")));
    const bool accepted = dialog.ShowModal() > 0;
    if (IsShuttingDown())
        return;
    const bool stillListed = std::any_of(app.Cameras.begin(), app.Cameras.end(),
                                         [camera](const auto &entry) { return entry.get() == camera; });
    if (accepted && stillListed) {
        dialog.ControlsToRecord(*camera);
        GrabberUpdateSettings(*camera);
        rt::SetTimerEnabled(camera->Snapshot_Timer, false);
        rt::SetTimerEnabled(camera->Video_Timer, false);
        AddLogLine(Translate(QStringLiteral("Configured camera ")) + camera->CustomTitle);
        if (GrabberConnect(*camera))
            GrabberPlay(*camera);
    }
    m_cameras.SaveCameras();
}

void TCameraListCommands::ReleaseCatalogue()
{
    if (m_dialog)
        m_dialog->ReleaseCatalogue();
}
