#include "core/settingsfile.h"

#include "core/binarystream.h"
#include "core/log.h"
#include "core/main.h"
#include "core/safefile.h"
#include "core/translation.h"
#include "platform/autostart.h"
#include "platform/folders.h"

#include <QFile>

namespace {
constexpr qint32 FormatNumber = 10;
}

QString SettingsFilePath() { return App().DataFolder + QStringLiteral("/set.dat"); }

QByteArray EncodeSettings(const TGlobalSettings &s)
{
    TBinaryWriter w;
    w.WriteInt32(FormatNumber);
    w.WriteInt32(s.Language);
    w.WriteBool(s.AutostartWithWindows);
    w.WriteBool(s.HideToTrayOnAutostart);
    w.WriteBool(s.MaximizeAppOnDetection);
    w.WriteBool(s.ReconnectCameraIfDown);
    w.WriteBool(s.AutoDeleteOldRecordings);
    w.WriteInt32(s.ReconnectionInterval_sec);
    w.WriteInt32(s.AutoDeleteOlderThen_Days);
    w.WriteText(s.OutputFolderForVideosAndSnapshots);
    w.WriteBool(s.DateTimeOverlay);
    w.WriteBool(s.CameraTitleOverlay);
    w.WriteInt32(s.DelayBetweenEmailsAndSMS_min);
    w.WriteBool(s.SMS_ControlEnabled);
    w.WriteText(s.SMS_Username);
    w.WriteText(s.SMS_APIKey);
    w.WriteText(s.SMS_Command_DisableDetection);
    w.WriteText(s.SMS_Command_EnableDetection);
    w.WriteText(s.SMS_Command_CheckStatus);
    w.WriteText(s.SMS_Command_MakeSnapshot);
    return w.Data();
}

bool DecodeSettings(const QByteArray &data, TGlobalSettings &s)
{
    TBinaryReader r(data);
    qint32 format = 0;
    return r.ReadInt32(format) && r.ReadInt32(s.Language) && r.ReadBool(s.AutostartWithWindows)
           && r.ReadBool(s.HideToTrayOnAutostart) && r.ReadBool(s.MaximizeAppOnDetection)
           && r.ReadBool(s.ReconnectCameraIfDown) && r.ReadBool(s.AutoDeleteOldRecordings)
           && r.ReadInt32(s.ReconnectionInterval_sec) && r.ReadInt32(s.AutoDeleteOlderThen_Days)
           && r.ReadText(s.OutputFolderForVideosAndSnapshots) && r.ReadBool(s.DateTimeOverlay)
           && r.ReadBool(s.CameraTitleOverlay) && r.ReadInt32(s.DelayBetweenEmailsAndSMS_min)
           && r.ReadBool(s.SMS_ControlEnabled) && r.ReadText(s.SMS_Username) && r.ReadText(s.SMS_APIKey)
           && r.ReadText(s.SMS_Command_DisableDetection) && r.ReadText(s.SMS_Command_EnableDetection)
           && r.ReadText(s.SMS_Command_CheckStatus) && r.ReadText(s.SMS_Command_MakeSnapshot);
}

void SetDefaultSettings()
{
    TGlobalSettings defaults;
    defaults.Language = App().DefaultLanguage;
    defaults.OutputFolderForVideosAndSnapshots = App().DefaultOutputFolder;
    App().GlobalSettings = defaults;
}

bool LoadSettings()
{
    const QString path = SettingsFilePath();
    if (!QFile::exists(path))
        return false;
    // A later save would replace the unreadable file: LoadFailureText keeps it for the user.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportError(LoadFailureText(path), true);
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        file.close();
        ReportError(LoadFailureText(path), true);
        return false;
    }
    file.close();
    if (!DecodeSettings(content, App().GlobalSettings))
        ReportError(LoadFailureText(path), true);
    return true;
}

bool SaveSettings()
{
    const QString path = SettingsFilePath();
    if (ReplaceFileContent(path, EncodeSettings(App().GlobalSettings)))
        return true;
    ReportError(Translate(QStringLiteral("Could not save settings. Please check the possibility to write to file "))
                    + path,
                false);
    return false;
}

QString AutostartCommand(bool hideToTray)
{
    const QString program = platform::ProgramFilePath();
    return hideToTray ? u'"' + program + QStringLiteral("\" /hide") : program;
}

void SetAutostart(bool enable, bool hideToTray)
{
    const bool written = enable ? platform::SetRunAtLogon(ApplicationTitle, AutostartCommand(hideToTray))
                                : platform::RemoveRunAtLogon(ApplicationTitle);
    if (!written)
        ReportError(Translate(QStringLiteral("Make sure you have the rights to write to Registry"))
                        + QStringLiteral(" (HKEY_CURRENT_USER)."),
                    true);
}
