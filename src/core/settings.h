#pragma once
// TGlobalSettings: the application-wide options, stored in set.dat.
#include <QString>

struct TGlobalSettings
{
    int Language = 0;
    bool AutostartWithWindows = false;
    bool HideToTrayOnAutostart = true;
    QString OutputFolderForVideosAndSnapshots;
    bool MaximizeAppOnDetection = false;
    bool ReconnectCameraIfDown = true;
    int ReconnectionInterval_sec = 30;
    bool AutoDeleteOldRecordings = true;
    int AutoDeleteOlderThen_Days = 3;
    bool DateTimeOverlay = true;
    bool CameraTitleOverlay = false;
    int DelayBetweenEmailsAndSMS_min = 5;
    bool SMS_ControlEnabled = false;
    QString SMS_Username;
    QString SMS_APIKey;
    QString SMS_Command_DisableDetection = QStringLiteral("OFF");
    QString SMS_Command_EnableDetection = QStringLiteral("ON");
    QString SMS_Command_CheckStatus = QStringLiteral("STATUS");
    QString SMS_Command_MakeSnapshot = QStringLiteral("SHOT");

    bool operator==(const TGlobalSettings &) const = default;
};
