#pragma once
// Sending one email over SMTP with libcurl: plain, STARTTLS on port 587, TLS from the first byte on any other
// port; optionally through a SOCKS 4 or SOCKS 5 proxy with its own login. TransferMail blocks on the
// network: it runs on a worker thread, never on the user-interface thread.
#include "notify/mailmessage.h"

#include <QString>

#include <atomic>

struct TCamera;

// How to reach the mail server (the camera's notification_SMTP* and notification_PROXY* values).
struct TMailConnection
{
    QString Host;
    int Port = 25;
    bool Authentication = false;
    QString UserName;
    QString Password;
    int Security = 0;  // 0 none, 1 "SSL", 2 "TLS": both negotiate the best TLS version the two sides share
    int ProxyType = 0; // 0 direct, 1 SOCKS 4, 2 SOCKS 5
    QString ProxyHost;
    int ProxyPort = 1080;
    bool ProxyAuthentication = false;
    QString ProxyUserName;
    QString ProxyPassword;
};

TMailConnection MailConnectionOf(const TCamera &camera);

// Seconds to connect (proxy and TLS handshake included), and without any progress once connected.
constexpr long MailConnectTimeoutSec = 10;
constexpr long MailReadTimeoutSec = 10;

struct TMailTransferResult
{
    bool Sent = false;
    // The transfer could not even be set up (an option the library refused): Error says why.
    bool SetupFailed = false;
    QString Error; // the library's explanation when not sent
    bool Cancelled = false; // aborted by the program (shutdown), not by the server
};

// Sends the message over the connection. cancel, when it becomes true, aborts the transfer within about a
// second (shutdown). Any thread.
TMailTransferResult TransferMail(const TMailConnection &connection, const TMailMessage &message,
                                 const std::atomic<bool> &cancel);

// Whether the connection begins in TLS (implicit) or upgrades with STARTTLS; neither for security 0.
enum class TMailTls { None, StartTls, Implicit };
TMailTls MailTlsMode(const TMailConnection &connection);
