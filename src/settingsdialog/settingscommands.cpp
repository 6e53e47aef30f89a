#include "settingsdialog/settingscommands.h"

#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/settingsfile.h"
#include "core/timer.h"
#include "core/translation.h"
#include "core/windowsink.h"
#include "platform/shell.h"
#include "platform/userconfig.h"
#include "runtime/housekeeping.h"
#include "settingsdialog/settings.h"
#include "smscontrol/allowedsenders.h"

#include <algorithm>
#include <climits>

TSettingsCommands::TSettingsCommands(QWidget &window, TTimer &reconnectTimer, ICameraLifetime &cameras)
    : m_window(window), m_reconnectTimer(reconnectTimer), m_cameras(cameras)
{
}

TSettingsCommands::~TSettingsCommands() = default; // the dialog is a child of the window

TGenSettingsForm &TSettingsCommands::Form()
{
    if (!m_form)
        m_form = new TGenSettingsForm(&m_window);
    return *m_form;
}

bool TSettingsCommands::StartNewInstance() { return platform::StartNewInstance(); }

void TSettingsCommands::ToolButton5Click()
{
    TGenSettingsForm &form = Form();
    form.LoadFrom(App().GlobalSettings, AllowedSMSSenders());
    form.exec();
    if (form.Confirmed())
        Apply(form);
}

void TSettingsCommands::Apply(TGenSettingsForm &form)
{
    TGlobalSettings &settings = App().GlobalSettings;
    const bool languageChanged = form.SelectedLanguage() != settings.Language;
    form.StoreInto(settings);

    DeleteOldRecordingsIfEnabled();
    m_reconnectTimer.SetEnabled(settings.ReconnectCameraIfDown);
    m_reconnectTimer.SetInterval(std::clamp(settings.ReconnectionInterval_sec, 1, INT_MAX / 1000) * 1000);
    SetAutostart(settings.AutostartWithWindows, settings.HideToTrayOnAutostart);
    SaveSettings();
    if (!SetAllowedSMSSenders(form.AllowedSenders()))
        ReportError(Translate(QStringLiteral("Could not save settings. Please check the possibility to write to file "))
                        + platform::UserConfigLocation(ApplicationTitle),
                    false);
    m_cameras.UpdateTextOverlays();

    if (languageChanged
        && Prompts().Ask(TPromptKind::Confirmation, ApplicationTitle,
                         Translate(QStringLiteral("In order to change the language the program should be restarted."))
                             + u'\n' + Translate(QStringLiteral("Restart it now?")))) {
        StartNewInstance();
        App().QuitImmediately = true;
        if (TMainWindowSink *sink = MainWindowSink())
            sink->CloseMainWindow();
    }
    AddLogLine(Translate(QStringLiteral("General settings are changed.")));
}
