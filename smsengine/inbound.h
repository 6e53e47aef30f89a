#pragma once
// How inbound messages are written into GetSMS's result buffer, and which of them go in.
#include "gatewayanswers.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace smsengine {

// Follows each of the three fields of a delivered message.
inline const QString FieldSeparator = QStringLiteral("{#}");

// The gateway's ISO 8601 time ("2024-05-01T10:20:30+0000", "...Z", "...+02:00") as local "mm/dd/yy
// hh:nn:ss"; fallback's local time when the text cannot be read, so that every record carries a date the
// program can read.
QString LocalTimeText(const QString &gatewayTime, const QDateTime &fallback);

// "text{#}sender{#}time{#}", with any "{#}" (and NUL) inside a field made harmless.
QString InboundRecord(const TInboundMessage &message, const QString &timeText);

// The record shortened to at most capacity code units by cutting its text; empty when it cannot fit even
// without text.
QString CutRecord(const TInboundMessage &message, const QString &timeText, qsizetype capacity);

struct TDelivery
{
    bool Ok = false;
    QString Text;  // the records on success, the error text on failure
};

// Removes a message from the gateway; false with an error text when that failed.
using TAcknowledge = std::function<bool(qint64 id, QString &error)>;

// Chooses and acknowledges the messages for one GetSMS call with room for capacity code units: oldest
// (lowest identifier) first, each taken only after its removal succeeded. It stops at the first message
// that does not fit whole, so nothing overtakes an older message, except that a message that would not
// fit even alone goes in cut when it is the first. A failed removal stops the call there: that message is
// not delivered now; the call fails with the error only when nothing was delivered before it.
TDelivery DeliverInbound(QList<TInboundMessage> messages, qsizetype capacity, const TAcknowledge &acknowledge,
                         const QDateTime &now);

} // namespace smsengine
