#pragma once
// The gateway service's REST API over libcurl: one client per library call, one connection reused for
// the requests of that call.
#include <QByteArray>
#include <QString>

typedef void CURL;

namespace smsengine {

// The service's address without a trailing "/": SMSENGINE_URL when set, else the public service.
QString BaseAddress();

struct THttpAnswer
{
    bool Transferred = false; // an HTTP answer arrived
    long Status = 0;
    QByteArray Body;
    QString TransferError; // libcurl's description when nothing arrived

    bool Succeeded() const { return Transferred && Status >= 200 && Status < 300; }
};

// The error text of a failed request: the service's "message", else the HTTP status, else libcurl's text.
QString FailureText(const THttpAnswer &answer);

class TGatewayClient
{
public:
    TGatewayClient(const QString &userName, const QString &apiKey);
    ~TGatewayClient();
    TGatewayClient(const TGatewayClient &) = delete;
    TGatewayClient &operator=(const TGatewayClient &) = delete;

    // path begins with "/api/v2/".
    THttpAnswer Get(const QString &path) { return Perform("GET", path, nullptr); }
    THttpAnswer PostJson(const QString &path, const QByteArray &json) { return Perform("POST", path, &json); }
    THttpAnswer Delete(const QString &path) { return Perform("DELETE", path, nullptr); }

private:
    THttpAnswer Perform(const char *method, const QString &path, const QByteArray *json);

    CURL *m_curl = nullptr;
    QByteArray m_userName;
    QByteArray m_apiKey;
};

} // namespace smsengine
