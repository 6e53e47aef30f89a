#pragma once
// The application record: the settings, the cameras and the few program-wide values that the operations
// share, reachable from every subsystem through App(). It lives in the current services (core/services.h);
// windows and widgets are reached only through the interfaces the higher folders install.
#include "core/camera.h"
#include "core/datetime.h"
#include "core/settings.h"

#include <QString>

#include <memory>
#include <vector>

inline const QString ApplicationTitle = QStringLiteral("Ostrivo");

struct TApplicationState
{
    QString DataFolder;
    QString DefaultOutputFolder;
    TGlobalSettings GlobalSettings;
    std::vector<std::unique_ptr<TCamera>> Cameras; // in order of addition; the index identifies a camera
    int SelCamIndex = -1;
    TDateTime MinTimeOfNextSoundAlarm = 0;
    TDateTime StopCurrentSoundAlarm_Time = 0;
    bool CheckingSMSCommands = false;
    bool QuitImmediately = false;
    bool HideSwitch = false;   // started with "hide"
    int DefaultLanguage = 0;   // start-up default language index (used when there is no set.dat)

    // The two texts drawn on camera pictures, translated once at start-up.
    QString MotionAlertText;
    QString PressEscText;

    // Web addresses built at start-up.
    QString HelpPage;
    QString SupportPage;
    QString CameraNotListedPage;
};

// The record of the current services (core/services.h).
TApplicationState &App();
