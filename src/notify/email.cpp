#include "notify/email.h"

#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/translation.h"
#include "notify/emailcompose.h"
#include "notify/mailservice.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

Q_LOGGING_CATEGORY(ostrivoMail, "ostrivo.mail", QtInfoMsg)

namespace {

void LogEmailFailure(const QString &recipient) { AddLogLine(Translate(QStringLiteral("ERROR: Could not send email to ")) + recipient); }

// The answer of an alert or snapshot email.
void ReportEmail(const TMailTransferResult &result, TEmailType emailType, bool hasAttachments,
                 const QString &recipient, const QString &title)
{
    if (result.Cancelled)
        return;
    if (!result.Sent) {
        qCWarning(ostrivoMail).noquote() << "email to" << recipient << "failed:" << result.Error;
        LogEmailFailure(recipient);
    } else if (emailType == etSnapshot) {
        AddLogLine(hasAttachments ? Translate(QStringLiteral("Email with snapshot has been sent to ")) + recipient
                                  : Translate(QStringLiteral("Ostrivo was not able to make a snapshot with camera ")) + title);
    }
}

// The test email's failure dialog, and the hint for Google mail once per run.
void ReportTestFailure(TMailService &service, const QString &recipient, const QString &host)
{
    Prompts().Message(TPromptKind::Error, ApplicationTitle,
                      Translate(QStringLiteral("Ostrivo failed to send email to ")) + recipient + u'\n'
                          + Translate(QStringLiteral("Verify the SMTP settings.")));
    if (!host.toLower().contains(QStringLiteral(".gmail.")) || !service.TakeGmailHint())
        return;
    const QString hint =
        Translate(QStringLiteral("It looks like Google is your email provider. By default, Google blocks access to "
                                 "email account from desktop applications."))
        + QStringLiteral("\n\n")
        + Translate(QStringLiteral("You have to login to your account, and \"Turn on\" access for \"less secure apps\"."))
        + QStringLiteral("\n\n")
        + Translate(QStringLiteral("Don't worry! In fact, Google even blocks Microsoft Outlook and Mozilla Thunderbird. "
                                   "The corporation promotes its own services in this way."));
    Prompts().Message(TPromptKind::Warning, ApplicationTitle, hint);
    Prompts().OpenUrl(QString::fromLatin1(GmailAppPasswordsPage));
}

} // namespace

void SendEmail(TCamera &camera, TEmailType emailType)
{
    TMailService *service = MailService();
    if (!service || service->Released() || service->SMTPTag != 0)
        return;
    service->SMTPTag = 1;
    const QString recipient = camera.notification_SMTPRecipient;
    const QString title = camera.CustomTitle;
    TCameraEmail email;
    try {
        email = ComposeCameraEmail(camera, emailType);
    } catch (...) {
        LogEmailFailure(recipient);
        service->SMTPTag = 0;
        return;
    }
    // The camera may be gone when the answer comes: only the values taken now are used then.
    service->Transfer(MailConnectionOf(camera), email.Message,
                      [service, emailType, hasAttachments = email.HasAttachments, recipient,
                       title](const TMailTransferResult &result) {
                          ReportEmail(result, emailType, hasAttachments, recipient, title);
                          service->SMTPTag = 0;
                      });
}

void SendTestEmail(const TCamera &values, QObject *context, std::function<void()> finished)
{
    TMailService *service = MailService();
    if (!service || service->Released()) {
        if (finished)
            finished();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool hasContext = context != nullptr;
    QPointer<QObject> alive(context);
    QPointer<QWidget> button = qobject_cast<QWidget *>(context);
    if (button)
        button->setEnabled(false);
    const QString recipient = values.notification_SMTPRecipient;
    const QString host = values.notification_SMTPHost;
    service->Transfer(MailConnectionOf(values), ComposeTestEmail(values),
                      [service, hasContext, alive, button, recipient, host, finished = std::move(finished)](
                          const TMailTransferResult &result) {
                          QApplication::restoreOverrideCursor();
                          if (result.Cancelled)
                              return;
                          if (result.Sent)
                              Prompts().Message(TPromptKind::Information, ApplicationTitle,
                                                Translate(QStringLiteral("Email has been sent successfully!")));
                          else if (result.SetupFailed)
                              Prompts().Message(TPromptKind::Error, ApplicationTitle, result.Error);
                          else
                              ReportTestFailure(*service, recipient, host);
                          if (button)
                              button->setEnabled(true);
                          if ((alive || !hasContext) && finished)
                              finished();
                      });
}

void EmailOnTimer(TCamera &camera)
{
    if (camera.Email_Timer)
        camera.Email_Timer->SetEnabled(false);
    const TMailService *service = MailService();
    if (!camera.notification_SendToEmail || !service || service->SMTPTag != 0)
        return;
    int unguarded = 0; // a camera without timers (never created) still sends
    TBusyGuard busy(camera.Email_Timer ? camera.Email_Timer->Tag : unguarded);
    if (!busy)
        return;
    SendEmail(camera, etAlert);
}
