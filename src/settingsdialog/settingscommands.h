#pragma once
// "Settings" and "General Settings": fill the general settings dialog from the settings, show it, and apply
// its values when it was closed with OK.
#include "core/subsystems.h"

class QWidget;
class TGenSettingsForm;
class TTimer;

class TSettingsCommands : public ISettingsCommands
{
public:
    // window: the dialog's parent; reconnectTimer: the main window's ReconnectTimer; cameras: for the
    // overlays. All must outlive this object.
    TSettingsCommands(QWidget &window, TTimer &reconnectTimer, ICameraLifetime &cameras);
    virtual ~TSettingsCommands();
    TSettingsCommands(const TSettingsCommands &) = delete;
    TSettingsCommands &operator=(const TSettingsCommands &) = delete;

    void GeneralSettings() override { ToolButton5Click(); }
    void ToolButton5Click();

    // The dialog, made on first use (its captions come from the translation table loaded at start-up).
    TGenSettingsForm &Form();

protected:
    // Starts a new instance of the program (the restart after a language change); false when it failed.
    virtual bool StartNewInstance();

private:
    void Apply(TGenSettingsForm &form);

    QWidget &m_window;
    TTimer &m_reconnectTimer;
    ICameraLifetime &m_cameras;
    TGenSettingsForm *m_form = nullptr;
};
