#pragma once
// Reading the gateway's JSON answers. Pure functions over untrusted bytes: any input, however malformed,
// gives a result (fuzzers call them directly).
#include <QByteArray>
#include <QList>
#include <QString>

namespace smsengine {

// One inbound message as the gateway lists it.
struct TInboundMessage
{
    qint64 Id = 0;       // positive; the gateway's identifier, used to remove the message
    QString Sender;      // the sender's phone number
    QString MessageTime; // as the gateway wrote it (ISO 8601)
    QString Text;
};

// One page of GET /api/v2/replies.
struct TRepliesPage
{
    bool Valid = false; // a JSON object was read
    int Page = 1;
    int PageCount = 1;
    // The usable messages of the page, in the order given. Entries without a usable identifier are left
    // out: they could not be removed, so they could not be delivered only once.
    QList<TInboundMessage> Messages;
};

TRepliesPage ParseRepliesPage(const QByteArray &body);

// The "message" field of an error answer; empty when there is none.
QString ErrorMessage(const QByteArray &body);

} // namespace smsengine
