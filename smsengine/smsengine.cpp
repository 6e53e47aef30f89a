// The exported functions: each runs one exchange with the gateway and reports into the caller's buffer.
#include "smsengine.h"

#include "gatewayanswers.h"
#include "gatewayclient.h"
#include "inbound.h"
#include "resultbuffer.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

using namespace smsengine;

namespace {

// The gateway lists at most this many inbound messages per page; more pages than this are not read in one
// call (the rest wait for the next).
constexpr int RepliesPerPage = 100;
constexpr int MaximumPages = 100;

unsigned char Finish(smsengine_char *buffer, int32_t size, bool ok, const QString &text)
{
    WriteResult(buffer, size, text);
    return ok ? 1 : 0;
}

// Nothing escapes into the caller: a failure of any kind is a failed call.
template <class Call>
unsigned char Guarded(smsengine_char *buffer, int32_t size, Call call) noexcept
{
    try {
        return call();
    } catch (const std::exception &error) {
        return Finish(buffer, size, false, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return Finish(buffer, size, false, QStringLiteral("Unexpected failure"));
    }
}

} // namespace

extern "C" {

SMSENGINE_EXPORT unsigned char SMSENGINE_CALL SendSMS(const smsengine_char *UserName, const smsengine_char *APIKey,
                                                      const smsengine_char *PhoneNumber, const smsengine_char *Text,
                                                      smsengine_char *ResultBuffer, int32_t ResultBufferSize)
{
    return Guarded(ResultBuffer, ResultBufferSize, [&]() -> unsigned char {
        TGatewayClient client(ArgumentText(UserName), ArgumentText(APIKey));
        const QJsonObject request{{QStringLiteral("text"), ArgumentText(Text)},
                                  {QStringLiteral("phones"), ArgumentText(PhoneNumber).trimmed()}};
        const THttpAnswer answer =
            client.PostJson(QStringLiteral("/api/v2/messages"), QJsonDocument(request).toJson(QJsonDocument::Compact));
        return Finish(ResultBuffer, ResultBufferSize, answer.Succeeded(),
                      answer.Succeeded() ? QString() : FailureText(answer));
    });
}

SMSENGINE_EXPORT unsigned char SMSENGINE_CALL GetSMS(const smsengine_char *UserName, const smsengine_char *APIKey,
                                                     smsengine_char *ResultBuffer, int32_t ResultBufferSize)
{
    return Guarded(ResultBuffer, ResultBufferSize, [&]() -> unsigned char {
        if (!ResultBuffer || ResultBufferSize < 1)
            return 0;
        TGatewayClient client(ArgumentText(UserName), ArgumentText(APIKey));
        QList<TInboundMessage> messages;
        for (int page = 1, pageCount = 1; page <= pageCount && page <= MaximumPages; ++page) {
            const THttpAnswer answer =
                client.Get(QStringLiteral("/api/v2/replies?page=%1&limit=%2").arg(page).arg(RepliesPerPage));
            if (!answer.Succeeded())
                return Finish(ResultBuffer, ResultBufferSize, false, FailureText(answer));
            const TRepliesPage replies = ParseRepliesPage(answer.Body);
            if (!replies.Valid)
                return Finish(ResultBuffer, ResultBufferSize, false,
                              QStringLiteral("The gateway's answer could not be read"));
            messages += replies.Messages;
            pageCount = replies.PageCount;
        }
        const TDelivery delivery = DeliverInbound(
            messages, qsizetype(ResultBufferSize) - 1,
            [&client](qint64 id, QString &error) {
                const THttpAnswer answer = client.Delete(QStringLiteral("/api/v2/replies/%1").arg(id));
                if (!answer.Succeeded())
                    error = FailureText(answer);
                return answer.Succeeded();
            },
            QDateTime::currentDateTime());
        return Finish(ResultBuffer, ResultBufferSize, delivery.Ok, delivery.Text);
    });
}

SMSENGINE_EXPORT unsigned char SMSENGINE_CALL CheckSMSAccount(const smsengine_char *UserName,
                                                              const smsengine_char *APIKey,
                                                              smsengine_char *ResultBuffer,
                                                              int32_t ResultBufferSize)
{
    return Guarded(ResultBuffer, ResultBufferSize, [&]() -> unsigned char {
        TGatewayClient client(ArgumentText(UserName), ArgumentText(APIKey));
        const THttpAnswer answer = client.Get(QStringLiteral("/api/v2/user"));
        return Finish(ResultBuffer, ResultBufferSize, answer.Succeeded(),
                      answer.Succeeded() ? QString() : FailureText(answer));
    });
}

} // extern "C"
