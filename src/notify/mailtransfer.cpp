#include "notify/mailtransfer.h"

#include "core/camera.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <vector>

#include <sys/socket.h>

namespace {

// The STARTTLS port: security on any other port means TLS from the first byte.
constexpr int SubmissionPort = 587;

struct TCurlCleanup
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
    void operator()(curl_mime *mime) const { curl_mime_free(mime); }
};
template <class T>
using TCurlPtr = std::unique_ptr<T, TCurlCleanup>;

// A host as it appears in a URL or proxy text: an IPv6 address in brackets.
QByteArray UrlHost(const QString &host)
{
    const QByteArray trimmed = host.trimmed().toUtf8();
    return trimmed.contains(':') && !trimmed.startsWith('[') ? '[' + trimmed + ']' : trimmed;
}

void Append(TCurlPtr<curl_slist> &list, const QByteArray &line)
{
    if (curl_slist *grown = curl_slist_append(list.get(), line.constData())) {
        (void)list.release(); // grown is the same list, or its new head
        list.reset(grown);
    }
}

// The first failing step wins; later steps are skipped.
class TSteps
{
public:
    explicit TSteps(CURL *curl) : m_curl(curl) {}
    template <class T>
    void Set(CURLoption option, T value)
    {
        if (m_code == CURLE_OK)
            m_code = curl_easy_setopt(m_curl, option, value);
    }
    void Set(CURLoption option, const QByteArray &text) { Set(option, text.constData()); }
    void Check(CURLcode code)
    {
        if (m_code == CURLE_OK)
            m_code = code;
    }
    CURLcode Code() const { return m_code; }

private:
    CURL *m_curl;
    CURLcode m_code = CURLE_OK;
};

struct TUpload
{
    QByteArray data;
    qsizetype position = 0;
};

size_t ReadUpload(char *buffer, size_t size, size_t count, void *userdata)
{
    auto *upload = static_cast<TUpload *>(userdata);
    const qsizetype n = std::min<qsizetype>(qsizetype(size * count), upload->data.size() - upload->position);
    memcpy(buffer, upload->data.constData() + upload->position, size_t(n));
    upload->position += n;
    return size_t(n);
}

// Watches the transfer for the program's cancel request and for libcurl's QUIT after a failure: libcurl
// would still wait for the answer to that QUIT, up to the read time-out once more, although the failure is
// final. In both cases the watch shuts the connection down, so that nothing more is waited for. (A failed
// connection that libcurl keeps until the handle is cleaned up is shut down after the transfer.)
struct TWatch
{
    const std::atomic<bool> *cancel;
    const char *error; // libcurl's error buffer: not empty once the transfer has failed
    std::vector<curl_socket_t> sockets;

    void ShutDown()
    {
        for (curl_socket_t socket : sockets)
            ::shutdown(socket, SHUT_RDWR); // libcurl still closes them itself
    }
};

int WatchSocket(void *data, curl_socket_t socket, curlsocktype)
{
    static_cast<TWatch *>(data)->sockets.push_back(socket);
    return CURL_SOCKOPT_OK;
}

int Progress(void *data, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *watch = static_cast<TWatch *>(data);
    if (!watch->cancel->load())
        return 0;
    watch->ShutDown();
    return 1;
}

int WatchCommands(CURL *, curl_infotype type, char *text, size_t size, void *data)
{
    auto *watch = static_cast<TWatch *>(data);
    if (type == CURLINFO_HEADER_OUT && watch->error[0] && size >= 4 && qstrnicmp(text, "QUIT", 4) == 0)
        watch->ShutDown();
    return 0;
}

void SetConnection(TSteps &steps, const TMailConnection &connection)
{
    const TMailTls tls = MailTlsMode(connection);
    const QByteArray scheme = tls == TMailTls::Implicit ? "smtps://" : "smtp://";
    steps.Set(CURLOPT_URL, scheme + UrlHost(connection.Host) + ':' + QByteArray::number(connection.Port));
    steps.Set(CURLOPT_USE_SSL, long(tls == TMailTls::StartTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    if (tls != TMailTls::None) {
        // Whatever the choice says, the best version both sides support; no certificate verification.
        steps.Set(CURLOPT_SSLVERSION, long(CURL_SSLVERSION_DEFAULT));
        steps.Set(CURLOPT_SSL_VERIFYPEER, 0L);
        steps.Set(CURLOPT_SSL_VERIFYHOST, 0L);
    }
    if (connection.Authentication) {
        steps.Set(CURLOPT_USERNAME, connection.UserName.toUtf8());
        steps.Set(CURLOPT_PASSWORD, connection.Password.toUtf8());
    }
    if (connection.ProxyType == 1 || connection.ProxyType == 2) {
        steps.Set(CURLOPT_PROXY, UrlHost(connection.ProxyHost));
        steps.Set(CURLOPT_PROXYPORT, long(connection.ProxyPort));
        steps.Set(CURLOPT_PROXYTYPE, long(connection.ProxyType == 1 ? CURLPROXY_SOCKS4 : CURLPROXY_SOCKS5));
        if (connection.ProxyAuthentication) {
            steps.Set(CURLOPT_PROXYUSERNAME, connection.ProxyUserName.toUtf8());
            steps.Set(CURLOPT_PROXYPASSWORD, connection.ProxyPassword.toUtf8());
        }
    } else {
        steps.Set(CURLOPT_PROXY, ""); // direct, whatever proxy the environment names
    }
    steps.Set(CURLOPT_CONNECTTIMEOUT, MailConnectTimeoutSec);
    steps.Set(CURLOPT_SERVER_RESPONSE_TIMEOUT, MailReadTimeoutSec);
    steps.Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    steps.Set(CURLOPT_LOW_SPEED_TIME, MailReadTimeoutSec);
}

// The attachments in order, then the text part.
void AddParts(TSteps &steps, curl_mime *mime, const TMailMessage &message)
{
    for (const TMailAttachment &attachment : message.Attachments) {
        curl_mimepart *part = curl_mime_addpart(mime);
        steps.Check(part ? CURLE_OK : CURLE_OUT_OF_MEMORY);
        if (!part)
            return;
        steps.Check(curl_mime_data(part, attachment.Data.constData(), size_t(attachment.Data.size())));
        steps.Check(curl_mime_filename(part, attachment.FileName.toUtf8().constData()));
        steps.Check(curl_mime_encoder(part, "base64"));
    }
    curl_mimepart *text = curl_mime_addpart(mime);
    steps.Check(text ? CURLE_OK : CURLE_OUT_OF_MEMORY);
    if (!text)
        return;
    const QByteArray body = message.Body.toUtf8();
    steps.Check(curl_mime_data(text, body.constData(), size_t(body.size())));
    steps.Check(curl_mime_type(text, (message.BodyType.toUtf8() + "; charset=UTF-8").constData()));
    steps.Check(curl_mime_encoder(text, "base64"));
}

TMailTransferResult Failed(bool setup, const QString &error)
{
    TMailTransferResult result;
    result.SetupFailed = setup;
    result.Error = error;
    return result;
}

} // namespace

TMailConnection MailConnectionOf(const TCamera &camera)
{
    TMailConnection c;
    c.Host = camera.notification_SMTPHost;
    c.Port = camera.notification_SMTPPort;
    c.Authentication = camera.notification_SMTPAuthentication;
    c.UserName = camera.notification_SMTPUsername;
    c.Password = camera.notification_SMTPPassword;
    c.Security = camera.notification_SMTPSecurity;
    c.ProxyType = camera.notification_PROXYType;
    c.ProxyHost = camera.notification_PROXYHost;
    c.ProxyPort = camera.notification_PROXYPort;
    c.ProxyAuthentication = camera.notification_PROXYAuthentication;
    c.ProxyUserName = camera.notification_PROXYUsername;
    c.ProxyPassword = camera.notification_PROXYPassword;
    return c;
}

TMailTls MailTlsMode(const TMailConnection &connection)
{
    if (connection.Security <= 0)
        return TMailTls::None;
    return connection.Port == SubmissionPort ? TMailTls::StartTls : TMailTls::Implicit;
}

TMailTransferResult TransferMail(const TMailConnection &connection, const TMailMessage &message,
                                 const std::atomic<bool> &cancel)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const QStringList addresses = MailAddresses(message.Recipients);
    if (addresses.isEmpty())
        return Failed(false, QStringLiteral("no recipient address"));
    TCurlPtr<CURL> curl(curl_easy_init());
    if (!curl)
        return Failed(true, QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));

    char error[CURL_ERROR_SIZE] = {};
    TSteps steps(curl.get());
    steps.Set(CURLOPT_ERRORBUFFER, error);
    steps.Set(CURLOPT_NOSIGNAL, 1L);
    SetConnection(steps, connection);
    steps.Set(CURLOPT_MAIL_FROM, '<' + MailAddress(message.FromAddress).toUtf8() + '>');
    TCurlPtr<curl_slist> recipients;
    for (const QString &address : addresses)
        Append(recipients, '<' + address.toUtf8() + '>');
    steps.Set(CURLOPT_MAIL_RCPT, recipients.get());
    steps.Set(CURLOPT_NOPROGRESS, 0L);
    steps.Set(CURLOPT_XFERINFOFUNCTION, &Progress);
    TWatch watch{&cancel, error, {}};
    steps.Set(CURLOPT_XFERINFODATA, &watch);
    steps.Set(CURLOPT_SOCKOPTFUNCTION, &WatchSocket);
    steps.Set(CURLOPT_SOCKOPTDATA, &watch);
    steps.Set(CURLOPT_DEBUGFUNCTION, &WatchCommands); // sees the commands; prints nothing
    steps.Set(CURLOPT_DEBUGDATA, &watch);
    steps.Set(CURLOPT_VERBOSE, 1L);

    const QDateTime now = QDateTime::currentDateTime();
    TUpload upload;
    TCurlPtr<curl_slist> headers;
    TCurlPtr<curl_mime> mime;
    if (message.Multipart) {
        for (const QByteArray &line : MailHeaderLines(message, now))
            Append(headers, line);
        steps.Set(CURLOPT_HTTPHEADER, headers.get());
        mime.reset(curl_mime_init(curl.get()));
        steps.Check(mime ? CURLE_OK : CURLE_OUT_OF_MEMORY);
        if (mime)
            AddParts(steps, mime.get(), message);
        steps.Set(CURLOPT_MIMEPOST, mime.get());
    } else {
        upload.data = PlainMailText(message, now);
        steps.Set(CURLOPT_READFUNCTION, &ReadUpload);
        steps.Set(CURLOPT_READDATA, &upload);
        steps.Set(CURLOPT_UPLOAD, 1L);
        steps.Set(CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.data.size()));
    }
    if (steps.Code() != CURLE_OK)
        return Failed(true, QString::fromUtf8(curl_easy_strerror(steps.Code())));

    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK)
        watch.ShutDown();
    TMailTransferResult result = Failed(false, QString::fromUtf8(error[0] ? error : curl_easy_strerror(code)));
    result.Sent = code == CURLE_OK;
    result.Cancelled = code == CURLE_ABORTED_BY_CALLBACK;
    if (result.Sent)
        result.Error.clear();
    return result;
}
