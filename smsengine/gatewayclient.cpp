#include "gatewayclient.h"

#include "gatewayanswers.h"

#include <curl/curl.h>

#include <mutex>

namespace smsengine {

namespace {

constexpr long ConnectTimeoutSec = 10;
constexpr long RequestTimeoutSec = 30;
// No answer of the subset used comes near this; a larger one is refused rather than held in memory.
constexpr qsizetype MaximumAnswerSize = 16 * 1024 * 1024;

void InitialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A header value may not carry line breaks or other control characters (they would start new headers).
QByteArray HeaderValue(const QString &text)
{
    QByteArray value = text.trimmed().toUtf8();
    value.removeIf([](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
    return value;
}

struct TReceiver
{
    QByteArray body;
    bool tooLarge = false;
};

size_t Receive(char *data, size_t size, size_t count, void *userData)
{
    auto *receiver = static_cast<TReceiver *>(userData);
    const size_t bytes = size * count;
    if (receiver->body.size() + qsizetype(bytes) > MaximumAnswerSize) {
        receiver->tooLarge = true;
        return 0; // aborts the transfer
    }
    receiver->body.append(data, qsizetype(bytes));
    return bytes;
}

class THeaderList
{
public:
    ~THeaderList() { curl_slist_free_all(m_list); }
    void Add(const QByteArray &line) { m_list = curl_slist_append(m_list, line.constData()); }
    curl_slist *List() const { return m_list; }

private:
    curl_slist *m_list = nullptr;
};

} // namespace

QString BaseAddress()
{
    QString base = qEnvironmentVariable("SMSENGINE_URL").trimmed();
    if (base.isEmpty())
        base = QStringLiteral("https://rest.textmagic.com");
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

QString FailureText(const THttpAnswer &answer)
{
    if (!answer.Transferred)
        return answer.TransferError;
    const QString message = ErrorMessage(answer.Body);
    if (!message.isEmpty())
        return message;
    return QStringLiteral("HTTP status %1").arg(answer.Status);
}

TGatewayClient::TGatewayClient(const QString &userName, const QString &apiKey)
    : m_userName(HeaderValue(userName)), m_apiKey(HeaderValue(apiKey))
{
    InitialiseCurl();
    m_curl = curl_easy_init();
}

TGatewayClient::~TGatewayClient()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

THttpAnswer TGatewayClient::Perform(const char *method, const QString &path, const QByteArray *json)
{
    THttpAnswer answer;
    if (!m_curl) {
        answer.TransferError = QStringLiteral("Could not start a network transfer");
        return answer;
    }
    // The connection stays in the handle's cache; every option is set afresh for this request.
    curl_easy_reset(m_curl);

    const QByteArray url = (BaseAddress() + path).toUtf8();
    THeaderList headers;
    headers.Add("X-TM-Username: " + m_userName);
    headers.Add("X-TM-Key: " + m_apiKey);
    headers.Add("Accept: application/json");
    if (json) {
        headers.Add("Content-Type: application/json");
        headers.Add("Expect:");
    }
    TReceiver receiver;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    CURLcode setup = CURLE_OK;
    const auto set = [&](CURLoption option, auto value) {
        if (setup == CURLE_OK)
            setup = curl_easy_setopt(m_curl, option, value);
    };
    set(CURLOPT_URL, url.constData());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSec);
    set(CURLOPT_TIMEOUT, RequestTimeoutSec);
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    set(CURLOPT_FOLLOWLOCATION, 0L);
    set(CURLOPT_USERAGENT, "smsengine/1.0");
    set(CURLOPT_HTTPHEADER, headers.List());
    set(CURLOPT_WRITEFUNCTION, Receive);
    set(CURLOPT_WRITEDATA, &receiver);
    set(CURLOPT_ERRORBUFFER, errorBuffer);
    if (json) {
        set(CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(json->size()));
        set(CURLOPT_COPYPOSTFIELDS, json->constData());
    } else if (qstrcmp(method, "GET") != 0) {
        set(CURLOPT_CUSTOMREQUEST, method);
    }
    if (setup != CURLE_OK) {
        answer.TransferError = QString::fromUtf8(curl_easy_strerror(setup));
        return answer;
    }

    const CURLcode result = curl_easy_perform(m_curl);
    if (result != CURLE_OK) {
        if (receiver.tooLarge)
            answer.TransferError = QStringLiteral("The gateway's answer is too large");
        else if (errorBuffer[0] != '\0')
            answer.TransferError = QString::fromUtf8(errorBuffer).trimmed();
        else
            answer.TransferError = QString::fromUtf8(curl_easy_strerror(result));
        return answer;
    }
    answer.Transferred = true;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &answer.Status);
    answer.Body = std::move(receiver.body);
    return answer;
}

} // namespace smsengine
