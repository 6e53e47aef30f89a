#pragma once
// The SMS command processor as the main window uses it: every SMSCommanderTimer tick starts a run on a
// worker thread unless one is still going, and the user-interface side of the commands.
#include "core/subsystems.h"
#include "smscontrol/smscommander.h"

#include <QObject>
#include <QPointer>

// The commands carried out on the program's cameras. User-interface thread only (checked).
class TCameraCommandHost : public TSMSCommandHost
{
public:
    void Log(const QString &text) override;
    QList<TCameraOutcome> Execute(const TRecognisedCommand &command) override;
};

class TSMSControl : public QObject, public ISMSControl
{
    Q_OBJECT
public:
    // gateway and host: the library and the cameras unless a test gives others (not owned).
    explicit TSMSControl(TSMSCommandGateway *gateway = nullptr, TSMSCommandHost *host = nullptr, QObject *parent = nullptr);
    // A run still going is cancelled: it does nothing more on the user-interface side, and it is waited
    // for a short while (it may be inside a network call).
    ~TSMSControl() override;

    void SMSCommanderOnTimer() override { SMSCommanderTimerTimer(); }
    // The tick: nothing while SMS control is off, there is no camera, the program shuts down or a run is
    // still going; otherwise starts a run.
    void SMSCommanderTimerTimer();

    // What a run started now would use.
    static TSMSRunSettings CurrentRunSettings();

signals:
    // A run ended (CheckingSMSCommands is clear again).
    void RunFinished();

private:
    TSMSCommandGateway &m_gateway;
    TCameraCommandHost m_cameraHost;
    TSMSCommandHost &m_host;
    std::shared_ptr<TUiThreadBridge> m_bridge;
    QPointer<TSMSCommanderThread> m_thread;
};
