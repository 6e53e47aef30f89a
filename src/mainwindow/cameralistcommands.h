#pragma once
// "Add Camera", "Remove" and "Edit": the camera list commands. Adding and editing go through the one camera
// dialog; all three keep cam.dat up to date and write a line to the message log. The first reconnection
// tick offers Add Camera through them when no camera exists.
#include "core/subsystems.h"
#include "runtime/reconnection.h"

#include <QPointer>

class TCameraWiring;
class TDevForm;
class TMainForm;

class TCameraListCommands : public ICameraListCommands, public IFirstCameraOffer
{
public:
    // settings serves the camera dialog's output-folder link. The commands must not outlive the form and
    // the wiring.
    TCameraListCommands(TMainForm &form, TCameraWiring &cameras, ISettingsCommands &settings);
    ~TCameraListCommands();
    TCameraListCommands(const TCameraListCommands &) = delete;
    TCameraListCommands &operator=(const TCameraListCommands &) = delete;

    // The one camera dialog, owned by the form. Made at its first use, once start-up has loaded the
    // translation table that its captions come from.
    TDevForm &Dialog();
    bool IsDialogShowing() const;

    bool IsWindowShowing() const override;
    bool IsCameraDialogShowing() const override;
    void AddCamera() override;
    void RemoveCamera() override;
    void EditCamera() override;
    void ReleaseCatalogue() override;

private:
    // The selected camera's index; -1 (after the warning) when none is selected.
    int SelectedCameraOrWarn() const;

    TMainForm &m_form;
    TCameraWiring &m_cameras;
    ISettingsCommands &m_settings;
    QPointer<TDevForm> m_dialog;
    bool m_removing = false;
};
