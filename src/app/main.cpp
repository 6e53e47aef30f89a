// Process entry: the application object, the process-wide services, the main window (whose start-up
// sequence runs here), the system's termination requests, and the event loop.
#include "cameradialog/addressrefresh.h"
#include "core/main.h"
#include "core/startup.h"
#include "mainwindow/cameralistcommands.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/mainform.h"
#include "mainwindow/monitoringwiring.h"
#include "mainwindow/qtprompts.h"
#include "notify/alertsenders.h"
#include "notify/mailservice.h"
#include "platform/termination.h"
#include "runtime/framestats.h"
#include "runtime/runtimeservices.h"
#include "settingsdialog/settingscommands.h"
#include "smscontrol/smscontrol.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setApplicationDisplayName(ApplicationTitle);
    QApplication::setApplicationVersion(QStringLiteral(OSTRIVO_VERSION));
    // The window may hide in the notification area; the program ends only when the main window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    // Everything process-wide lives here, from before the window until after it (declared first, destroyed
    // last); the prompts a user answers are the message boxes.
    TRuntimeServices services;
    TQtPrompts prompts;
    services.Core().Prompts = &prompts;
    // The notifications outlive the main window, whose shutdown releases the mail components.
    TMailService mail;
    TAlertSenders alertSenders;

    const bool hide = HasHideSwitch(QApplication::arguments());
    // Refreshes the addresses of down cameras from the reconnection tick; outlives the form.
    TCameraAddressRefresh addressRefresh;
    TMainForm form(TMainFormOptions{hide, QString()});
    TCameraWiring cameras(form);
    cameras.Reconnector().LocalNetworkSearch = &addressRefresh;
    TMonitoringWiring monitoring(form);
    TSMSControl smsControl;
    TSettingsCommands settings(form, *form.ReconnectTimer, cameras);
    TCameraListCommands cameraList(form, cameras, settings);
    form.Plug({cameras, cameraList, monitoring, settings, smsControl, mail});
    QObject::connect(&form, &TMainForm::Ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Installed before start-up so that a request arriving meanwhile is served once the loop runs.
    platform::InstallTerminationHandler([&form] { form.SystemCloseRequest(); });

    const auto frameStats = StartFrameStatsIfEnabled();
    if (!form.Startup())
        return 0;
    if (!hide)
        form.showMaximized();
    return app.exec();
}
