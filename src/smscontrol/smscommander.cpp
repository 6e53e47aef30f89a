#include "smscontrol/smscommander.h"

#include "core/clock.h"
#include "smscontrol/uithreadbridge.h"

namespace {

class TLibraryCommandGateway : public TSMSCommandGateway
{
public:
    TSMSLibraryResult GetSMS(const QString &userName, const QString &apiKey, int resultBufferSize) override
    {
        return CallGetSMS(userName, apiKey, resultBufferSize);
    }
    TSMSLibraryResult SendSMS(const QString &userName, const QString &apiKey, const QString &phoneNumber,
                              const QString &text, int resultBufferSize) override
    {
        return CallSendSMS(userName, apiKey, phoneNumber, text, resultBufferSize);
    }
};

bool LogOnUiThread(TUiThreadBridge &bridge, TSMSCommandHost &host, const QString &text)
{
    return bridge.Run([&host, text] { host.Log(text); });
}

// Carries out the messages in order and queues their replies; false when an action failed, which ends
// the run before anything is sent.
bool ExecuteMessages(const QList<TSMS> &messages, const TSMSRunSettings &settings, TSMSCommandHost &host,
                     TUiThreadBridge &bridge, QList<TSMS> &replies)
{
    const TSMSReplyTexts &texts = settings.Texts;
    for (const TSMS &message : messages) {
        if (!IsSenderAllowed(message.SenderPhoneNumber, settings.AllowedSenders)) {
            if (!LogOnUiThread(bridge, host, texts.SenderIgnored + message.SenderPhoneNumber))
                return false;
            continue;
        }
        if (!LogOnUiThread(bridge, host, texts.Received + QStringLiteral(": ") + message.SMSText))
            return false;
        const TRecognisedCommand command = RecogniseCommand(message.SMSText, settings.Words);
        QList<TCameraOutcome> outcomes;
        if (command.Command != TSMSCommand::None
            && !bridge.Run([&host, &command, &outcomes] { outcomes = host.Execute(command); }))
            return false;
        const TSMSReply reply = ComposeReply(message.SMSText, command, outcomes, texts);
        if (reply.Log && !LogOnUiThread(bridge, host, reply.Text))
            return false;
        if (reply.Send)
            replies.append({Now(), message.SenderPhoneNumber, reply.Text});
    }
    return true;
}

} // namespace

TSMSCommandGateway &LibrarySMSGateway()
{
    static TLibraryCommandGateway gateway;
    return gateway;
}

void RunSMSCommands(const TSMSRunSettings &settings, TSMSCommandGateway &gateway, TSMSCommandHost &host,
                    TUiThreadBridge &bridge)
{
    const TSMSLibraryResult fetched = gateway.GetSMS(settings.Username, settings.APIKey, SMSFetchBufferSize);
    if (fetched.Value != 1)
        return;
    const QList<TSMS> messages = ParseSMSResponse(fetched.Text.trimmed());

    QList<TSMS> replies;
    if (!ExecuteMessages(messages, settings, host, bridge, replies))
        return;

    for (const TSMS &reply : replies) {
        try {
            const TSMSLibraryResult sent = gateway.SendSMS(settings.Username, settings.APIKey,
                                                           reply.SenderPhoneNumber, reply.SMSText,
                                                           SMSReplyBufferSize);
            if (sent.Value == 0)
                LogOnUiThread(bridge, host,
                              settings.Texts.SendError + reply.SenderPhoneNumber + QStringLiteral(". ") + sent.Text);
        } catch (...) {
            // One reply that could not be sent does not keep the others back.
        }
    }
}

TSMSCommanderThread::TSMSCommanderThread(TSMSRunSettings settings, TSMSCommandGateway &gateway, TSMSCommandHost &host,
                                         std::shared_ptr<TUiThreadBridge> bridge)
    : m_settings(std::move(settings)), m_gateway(gateway), m_host(host), m_bridge(std::move(bridge))
{
}

void TSMSCommanderThread::run()
{
    try {
        RunSMSCommands(m_settings, m_gateway, m_host, *m_bridge);
    } catch (...) {
        // The run ends; whoever started it clears its flag when the thread finishes.
    }
}
