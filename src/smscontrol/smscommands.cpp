#include "smscontrol/smscommands.h"

#include "core/dateformat.h"
#include "core/translation.h"
#include "runtime/runtimesupport.h"

#include <QRegularExpression>

namespace {

const QString Separator = QStringLiteral("{#}");

QString CameraList(const QList<TCameraOutcome> &outcomes)
{
    QString list;
    for (const TCameraOutcome &outcome : outcomes)
        list += outcome.Title + QStringLiteral(", ");
    return list;
}

QString StatusList(const QList<TCameraOutcome> &outcomes, const TSMSReplyTexts &texts)
{
    QString list;
    for (const TCameraOutcome &outcome : outcomes) {
        list += outcome.Title + u':' + (outcome.Working ? texts.WorkingOK : texts.NotWorking) + QStringLiteral(", ");
        if (outcome.Working)
            list += outcome.Monitoring ? texts.MonitoringOK : texts.MonitoringOff;
        list += QStringLiteral("; ");
    }
    return list;
}

} // namespace

QList<TSMS> ParseSMSResponse(const QString &response)
{
    QList<TSMS> messages;
    qsizetype position = 0;
    while (position < response.size()) {
        const qsizetype first = response.indexOf(Separator, position);
        if (first < 0)
            break;
        const qsizetype second = response.indexOf(Separator, first + Separator.size());
        if (second < 0)
            break;
        const qsizetype third = response.indexOf(Separator, second + Separator.size());
        if (third < 0)
            break;
        TSMS message;
        message.SMSText = response.mid(position, first - position);
        message.SenderPhoneNumber = response.mid(first + Separator.size(), second - first - Separator.size());
        message.DateTime = StrFmtToDateTime(response.mid(second + Separator.size(), third - second - Separator.size()));
        messages.append(message);
        position = third + Separator.size();
    }
    return messages;
}

TRecognisedCommand RecogniseCommand(const QString &text, const TSMSCommandWords &words, const QLocale &locale)
{
    const QString lower = locale.toLower(text);
    const std::pair<TSMSCommand, const QString *> order[] = {{TSMSCommand::Disable, &words.Disable},
                                                             {TSMSCommand::Enable, &words.Enable},
                                                             {TSMSCommand::Status, &words.Status},
                                                             {TSMSCommand::Snapshot, &words.Snapshot}};
    for (const auto &[command, word] : order) {
        if (word->isEmpty())
            continue;
        const QString lowerWord = locale.toLower(*word);
        if (lower.startsWith(lowerWord))
            return {command, lower.mid(lowerWord.size()).trimmed()};
    }
    return {};
}

QList<int> AddressedCameras(const QStringList &titles, const QString &argument, const QLocale &locale)
{
    QList<int> addressed;
    for (int i = 0; i < titles.size(); ++i)
        if (argument.isEmpty() || argument.contains(locale.toLower(titles[i])))
            addressed.append(i);
    return addressed;
}

TSMSReplyTexts TSMSReplyTexts::Translated()
{
    TSMSReplyTexts t;
    t.Received = Translate(QStringLiteral("SMS Command is received"));
    t.StoppedOnCameras = Translate(QStringLiteral("Monitoring is stopped on cameras:"));
    t.StoppedOnAll = Translate(QStringLiteral("Monitoring is stopped on all cameras"));
    t.StartedOnCameras = Translate(QStringLiteral("Monitoring is started on cameras:"));
    t.StartedOnAll = Translate(QStringLiteral("Monitoring is started on all cameras"));
    t.StatusOfCameras = Translate(QStringLiteral("Status of cameras:"));
    t.NotWorking = Translate(QStringLiteral("NOT working"));
    t.WorkingOK = Translate(QStringLiteral("working OK"));
    t.MonitoringOK = Translate(QStringLiteral("monitoring OK"));
    t.MonitoringOff = Translate(QStringLiteral("monitoring is OFF"));
    t.EmailDisabled =
        Translate(QStringLiteral("Email delivery is disabled in cameras settings. Cannot send snapshot to your email."));
    t.CamerasDoNotExist =
        Translate(QStringLiteral("Specified cameras do not exist. Therefore cannot run the command \"%s\""));
    t.NotRecognized = Translate(QStringLiteral("SMS Command is not recognized"));
    t.SendError = Translate(QStringLiteral("ERROR: Could not send sms to "));
    t.SenderIgnored = Translate(QStringLiteral("SMS Command from a number that is not allowed is ignored: "));
    return t;
}

TSMSReply ComposeReply(const QString &messageText, const TRecognisedCommand &command,
                       const QList<TCameraOutcome> &outcomes, const TSMSReplyTexts &texts)
{
    if (command.Command == TSMSCommand::None)
        return {texts.NotRecognized + QStringLiteral(": ") + messageText, true, true};
    if (outcomes.isEmpty())
        return {rt::FormatText(texts.CamerasDoNotExist, {messageText}), true, true};
    const bool all = command.Argument.isEmpty();
    switch (command.Command) {
    case TSMSCommand::Disable:
        return {all ? texts.StoppedOnAll : texts.StoppedOnCameras + CameraList(outcomes), true, false};
    case TSMSCommand::Enable:
        return {all ? texts.StartedOnAll : texts.StartedOnCameras + CameraList(outcomes), true, false};
    case TSMSCommand::Status:
        return {texts.StatusOfCameras + StatusList(outcomes, texts), true, false};
    case TSMSCommand::Snapshot:
        for (const TCameraOutcome &outcome : outcomes)
            if (outcome.EmailDelivery)
                return {}; // the email is the answer
        return {texts.EmailDisabled, true, true};
    case TSMSCommand::None: break;
    }
    return {};
}

QString NormalisePhoneNumber(const QString &number)
{
    QString digits;
    for (const QChar c : number)
        if (!c.isSpace() && c != u'-' && c != u'(' && c != u')')
            digits += c;
    if (digits.startsWith(u'+'))
        digits.remove(0, 1);
    else if (digits.startsWith(QStringLiteral("00")))
        digits.remove(0, 2);
    return digits;
}

QStringList SplitPhoneNumberList(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\r\\n]"));
    QStringList numbers;
    for (const QString &entry : text.split(separators))
        if (!entry.trimmed().isEmpty())
            numbers.append(entry.trimmed());
    return numbers;
}

bool IsSenderAllowed(const QString &sender, const QStringList &allowedNumbers)
{
    bool anyNumber = false;
    const QString normalised = NormalisePhoneNumber(sender);
    for (const QString &entry : allowedNumbers) {
        const QString allowed = NormalisePhoneNumber(entry);
        if (allowed.isEmpty())
            continue;
        anyNumber = true;
        if (allowed == normalised)
            return true;
    }
    return !anyNumber;
}
