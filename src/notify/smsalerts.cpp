#include "notify/smsalerts.h"

#include "core/background.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/translation.h"
#include "notify/smslibrary.h"
#include "runtime/runtimesupport.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>

namespace {

// Every caller hands the library a result buffer of this many UTF-16 units.
constexpr int ResultBufferSize = 50;

struct TSMSRequest
{
    QString UserName;
    QString APIKey;
    QString PhoneNumber;
    QString Text;
};

// Sends on a worker thread; answered(result) runs on context's thread.
void SendInBackground(QObject *context, const TSMSRequest &request, std::function<void(TSMSLibraryResult)> answered)
{
    RunInBackground<TSMSLibraryResult>(
        context,
        [request] {
            return CallSendSMS(request.UserName, request.APIKey, request.PhoneNumber, request.Text, ResultBufferSize);
        },
        std::move(answered));
}

} // namespace

void SMSOnTimer(TCamera &camera)
{
    TTimer *timer = camera.SMS_Timer;
    if (!timer)
        return;
    timer->SetEnabled(false);
    if (!camera.notification_SendSMS || timer->Tag == 1 || IsShuttingDown())
        return;
    timer->Tag = 1;
    try {
        const TSMSRequest request{camera.notification_SMSUsername, camera.notification_SMSAPIKey,
                                  camera.notification_SMSMobilePhoneNumber,
                                  Translate(QStringLiteral("A movement has been detected by camera ")) + camera.CustomTitle};
        // The timer is the answer's context: a camera released meanwhile takes its pending answer with it.
        SendInBackground(timer, request, [timer, phone = request.PhoneNumber](TSMSLibraryResult result) {
            try {
                if (result.Value == 0)
                    AddLogLine(Translate(QStringLiteral("ERROR: Could not send sms to ")) + phone + QStringLiteral(". ")
                               + result.Text);
            } catch (...) {
            }
            timer->Tag = 0;
        });
    } catch (...) {
        timer->Tag = 0;
    }
}

void SendTestSMS(const TCamera &values, QObject *context, std::function<void()> finished)
{
    const TSMSRequest request{values.notification_SMSUsername, values.notification_SMSAPIKey,
                              values.notification_SMSMobilePhoneNumber,
                              Translate(QStringLiteral("This is a test message sent from Ostrivo."))};
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    // The cursor comes back whatever happens to the asking dialog meanwhile.
    const QPointer<QObject> asker(context);
    const bool hasAsker = context != nullptr;
    SendInBackground(QCoreApplication::instance(), request,
                     [asker, hasAsker, phone = request.PhoneNumber, finished](TSMSLibraryResult result) {
                         QGuiApplication::restoreOverrideCursor();
                         if (hasAsker && !asker)
                             return;
                         if (result.Value == 1)
                             Prompts().Message(TPromptKind::Information, ApplicationTitle,
                                               Translate(QStringLiteral("SMS has been sent successfully!")));
                         else
                             Prompts().Message(
                                 TPromptKind::Error, ApplicationTitle,
                                 rt::FormatText(Translate(QStringLiteral("Ostrivo failed to send sms to %s.")), {phone})
                                     + QStringLiteral(" ") + result.Text);
                         if (finished)
                             finished();
                     });
}
