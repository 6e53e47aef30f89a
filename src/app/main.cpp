// Process entry: the application object, the main window (whose start-up sequence runs here), the
// system's termination requests, and the event loop.
#include "core/main.h"
#include "core/startup.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/mainform.h"
#include "mainwindow/monitoringwiring.h"
#include "notify/alertsenders.h"
#include "notify/mailservice.h"
#include "pendingsubsystems.h"
#include "platform/termination.h"
#include "runtime/framestats.h"
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

    // The notifications outlive the main window, whose shutdown releases the mail components.
    TMailService mail;
    TAlertSenders alertSenders;

    const bool hide = HasHideSwitch(QApplication::arguments());
    TMainForm form(TMainFormOptions{hide, QString(), QString()});
    TCameraWiring cameras(form);
    TMonitoringWiring monitoring(form);
    TPendingSubsystems pending;
    TSMSControl smsControl;
    TSettingsCommands settings(form, *form.ReconnectTimer, cameras);
    form.Plug({cameras, pending, monitoring, settings, smsControl, mail});
    QObject::connect(&form, &TMainForm::Ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Installed before start-up so that a request arriving meanwhile is served once the loop runs.
    platform::InstallTerminationHandler([&form] { form.SystemCloseRequest(); });

    StartFrameStatsIfEnabled();
    if (!form.Startup())
        return 0;
    if (!hide)
        form.showMaximized();
    return app.exec();
}
