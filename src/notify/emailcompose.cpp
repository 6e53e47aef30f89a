#include "notify/emailcompose.h"

#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/translation.h"
#include "runtime/housekeeping.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The subject prefix and the body text of each kind.
struct TEmailTexts
{
    const char *subject;
    const char *body;
};

TEmailTexts TextsOf(TEmailType emailType, bool hasAttachments)
{
    if (emailType == etAlert)
        return {"ALERT from ", "A movement has been detected by camera "};
    if (hasAttachments)
        return {"Snapshot from ", "Here is snapshot made with camera "};
    return {"Snapshot from ", "Ostrivo was not able to make a snapshot with camera "};
}

} // namespace

QStringList NewSnapshots(const QStringList &listed, const QStringList &initial)
{
    QStringList files;
    for (qsizetype i = listed.size() - 1; i >= 0; --i)
        if (!initial.contains(listed[i]))
            files << listed[i];
    return files;
}

TCameraEmail ComposeCameraEmail(const TCamera &camera, TEmailType emailType)
{
    TCameraEmail email;
    TMailMessage &message = email.Message;
    if ((camera.notification_AttachSnapshotsToEmail && camera.recording_TakeSnapshots) || emailType == etSnapshot) {
        QStringList listed;
        UpdateListOfAvailableSnaphots(camera, listed);
        for (const QString &path : NewSnapshots(listed, camera.Email_InitialListOfSnapshots)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue; // vanished since it was listed
            message.Attachments.append({QFileInfo(path).fileName(), file.readAll()});
            email.HasAttachments = true;
        }
    }
    message.FromAddress = camera.notification_SMTPFrom;
    message.FromName = ApplicationTitle;
    message.Recipients = camera.notification_SMTPRecipient;
    const TEmailTexts texts = TextsOf(emailType, email.HasAttachments);
    message.Subject = Translate(QString::fromLatin1(texts.subject)) + ApplicationTitle;
    message.Body = LogLine(Now(), Translate(QString::fromLatin1(texts.body)) + camera.CustomTitle);
    message.BodyType = QStringLiteral("text/html");
    message.Multipart = true;
    return email;
}

TMailMessage ComposeTestEmail(const TCamera &values)
{
    TMailMessage message;
    message.FromAddress = values.notification_SMTPFrom;
    message.FromName = Translate(QStringLiteral("Ostrivo"));
    message.Recipients = values.notification_SMTPRecipient;
    message.Subject = Translate(QStringLiteral("Test Alert from Ostrivo"));
    message.Body = Translate(QStringLiteral("This is a test message sent from Ostrivo."));
    message.Multipart = false;
    return message;
}
