#include "inbound.h"

#include <QRegularExpression>

#include <algorithm>

namespace smsengine {

namespace {

QString Field(QString text)
{
    text.replace(FieldSeparator, QStringLiteral("(#)"));
    text.replace(QChar(0), QChar(u' '));
    return text;
}

// The record without its message text: what follows the text.
QString RecordTail(const TInboundMessage &message, const QString &timeText)
{
    return FieldSeparator + Field(message.Sender) + FieldSeparator + Field(timeText) + FieldSeparator;
}

} // namespace

QString LocalTimeText(const QString &gatewayTime, const QDateTime &fallback)
{
    QString text = gatewayTime.trimmed();
    // "+0000" is common in gateway answers; Qt reads the offset with a colon.
    static const QRegularExpression compactOffset(QStringLiteral("([+-]\\d\\d)(\\d\\d)$"));
    if (text.contains(u'T'))
        text.replace(compactOffset, QStringLiteral("\\1:\\2"));
    QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
    if (!moment.isValid())
        moment = fallback;
    return moment.toLocalTime().toString(QStringLiteral("MM/dd/yy hh:mm:ss"));
}

QString InboundRecord(const TInboundMessage &message, const QString &timeText)
{
    return Field(message.Text) + RecordTail(message, timeText);
}

QString CutRecord(const TInboundMessage &message, const QString &timeText, qsizetype capacity)
{
    const QString tail = RecordTail(message, timeText);
    if (tail.size() > capacity)
        return QString();
    QString text = Field(message.Text).left(capacity - tail.size());
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text + tail;
}

TDelivery DeliverInbound(QList<TInboundMessage> messages, qsizetype capacity, const TAcknowledge &acknowledge,
                         const QDateTime &now)
{
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TInboundMessage &a, const TInboundMessage &b) { return a.Id < b.Id; });
    TDelivery delivery;
    qint64 previousId = 0;
    for (const TInboundMessage &message : messages) {
        if (message.Id == previousId) // listed twice (pages shifted while they were read)
            continue;
        previousId = message.Id;
        const QString timeText = LocalTimeText(message.MessageTime, now);
        QString record = InboundRecord(message, timeText);
        if (delivery.Text.size() + record.size() > capacity) {
            if (!delivery.Text.isEmpty())
                break;
            record = CutRecord(message, timeText, capacity);
            if (record.isEmpty())
                return {false, QStringLiteral("The result buffer is too small for a message")};
        }
        QString error;
        if (!acknowledge(message.Id, error)) {
            if (delivery.Text.isEmpty())
                return {false, error};
            break;
        }
        delivery.Text += record;
    }
    delivery.Ok = true;
    return delivery;
}

} // namespace smsengine
