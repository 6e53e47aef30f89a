#pragma once
// One run of the SMS command processor on its worker thread: fetch the inbound SMS, carry out each
// command, then answer every sender. The worker does the network calls, the parsing and the replies; every
// camera, log or email action is done by the user-interface thread through a TUiThreadBridge while the
// worker waits.
#include "notify/smslibrary.h"
#include "smscontrol/smscommands.h"

#include <QThread>

#include <memory>

class TUiThreadBridge;

// The SMS gateway library as the processor calls it. Called on the worker; must be thread-safe.
class TSMSCommandGateway
{
public:
    virtual ~TSMSCommandGateway() = default;
    virtual TSMSLibraryResult GetSMS(const QString &userName, const QString &apiKey, int resultBufferSize) = 0;
    virtual TSMSLibraryResult SendSMS(const QString &userName, const QString &apiKey, const QString &phoneNumber,
                                      const QString &text, int resultBufferSize) = 0;
};
// The real library (notify/smslibrary.h).
TSMSCommandGateway &LibrarySMSGateway();

// The user-interface side of a run. Every method runs on the user-interface thread.
class TSMSCommandHost
{
public:
    virtual ~TSMSCommandHost() = default;
    virtual void Log(const QString &text) = 0;
    // Carries out a recognised command on the cameras its argument addresses and tells what it found on
    // each of them, in list order.
    virtual QList<TCameraOutcome> Execute(const TRecognisedCommand &command) = 0;
};

// What a run needs from the settings, taken on the user-interface thread when it starts.
struct TSMSRunSettings
{
    QString Username;
    QString APIKey;
    TSMSCommandWords Words;
    QStringList AllowedSenders; // empty: every sender is obeyed
    TSMSReplyTexts Texts;
};

constexpr int SMSFetchBufferSize = 500;
constexpr int SMSReplyBufferSize = 50;

// The body of one run; called on the worker.
void RunSMSCommands(const TSMSRunSettings &settings, TSMSCommandGateway &gateway, TSMSCommandHost &host,
                    TUiThreadBridge &bridge);

class TSMSCommanderThread : public QThread
{
    Q_OBJECT
public:
    TSMSCommanderThread(TSMSRunSettings settings, TSMSCommandGateway &gateway, TSMSCommandHost &host,
                        std::shared_ptr<TUiThreadBridge> bridge);

protected:
    void run() override;

private:
    TSMSRunSettings m_settings;
    TSMSCommandGateway &m_gateway;
    TSMSCommandHost &m_host;
    std::shared_ptr<TUiThreadBridge> m_bridge;
};
