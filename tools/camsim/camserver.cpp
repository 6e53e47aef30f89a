#include "camserver.h"

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

constexpr char Boundary[] = "camsimframe";
constexpr char Realm[] = "ostrivo-camsim";
constexpr qsizetype MaxRequestSize = 16 * 1024;
constexpr qint64 MaxBacklog = 4 * 1024 * 1024;  // a slow stream client skips pictures beyond this

QByteArray Md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// Parses the comma-separated key=value list of a Digest Authorization header (values may be quoted).
QHash<QByteArray, QByteArray> DigestParams(QByteArray text)
{
    QHash<QByteArray, QByteArray> params;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ','))
            ++i;
        const qsizetype eq = text.indexOf('=', i);
        if (eq < 0)
            break;
        const QByteArray key = text.mid(i, eq - i).trimmed().toLower();
        i = eq + 1;
        QByteArray value;
        if (i < text.size() && text[i] == '"') {
            const qsizetype close = text.indexOf('"', i + 1);
            if (close < 0)
                break;
            value = text.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            qsizetype comma = text.indexOf(',', i);
            if (comma < 0)
                comma = text.size();
            value = text.mid(i, comma - i).trimmed();
            i = comma;
        }
        params.insert(key, value);
    }
    return params;
}

} // namespace

TCamServer::TCamServer(const TCamServerOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_server(new QTcpServer(this)), m_scene(options.Size, options.Look),
      m_random(QRandomGenerator::securelySeeded())
{
    m_nonce = QByteArray::number(m_random.generate64(), 16) + QByteArray::number(m_random.generate64(), 16);
    m_opaque = QByteArray::number(m_random.generate64(), 16);
    connect(m_server, &QTcpServer::newConnection, this, &TCamServer::NewConnection);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(int(1000.0 / std::max(0.1, options.Fps)));
    connect(&m_timer, &QTimer::timeout, this, &TCamServer::Tick);
}

bool TCamServer::Listen(QString *error)
{
    if (!m_server->listen(m_options.Bind, m_options.Port)) {
        *error = m_server->errorString();
        return false;
    }
    m_timer.start();
    return true;
}

quint16 TCamServer::Port() const
{
    return m_server->serverPort();
}

void TCamServer::NewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_clients.insert(socket, TClient{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadRequests(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_clients.remove(socket);
            socket->deleteLater();
        });
    }
}

void TCamServer::ReadRequests(QTcpSocket *socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    it->Request.append(socket->readAll());
    if (it->Streaming || it->Hung) {
        it->Request.clear();  // nothing more is read from these
        return;
    }
    while (!it->Streaming) {
        const qsizetype end = it->Request.indexOf("\r\n\r\n");
        if (end < 0) {
            if (it->Request.size() > MaxRequestSize) {
                Reply(socket, "400 Bad Request", "text/plain", "request too large\n", "Connection: close\r\n");
                socket->disconnectFromHost();
            }
            return;
        }
        const QList<QByteArray> lines = it->Request.left(end).split('\n');
        it->Request.remove(0, end + 4);
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        QHash<QByteArray, QByteArray> headers;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        Answer(socket, requestLine.value(0), requestLine.value(1), headers);
        it = m_clients.find(socket);
        if (it == m_clients.end() || it->Hung || socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void TCamServer::Answer(QTcpSocket *socket, const QByteArray &method, const QByteArray &target,
                        const QHash<QByteArray, QByteArray> &headers)
{
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);
    if (path == "/control") {
        Control(socket, question < 0 ? QByteArray() : target.mid(question + 1));
        return;
    }
    if (m_fault == TFault::Hang) {
        m_clients[socket].Hung = true;  // read, never answered
        return;
    }
    if (m_fault == TFault::Drop) {
        socket->abort();
        return;
    }
    if (method != "GET" && method != "HEAD") {
        Reply(socket, "405 Method Not Allowed", "text/plain", "GET only\n");
        return;
    }
    if (path != "/video.mjpg" && path != "/snapshot.jpg") {
        Reply(socket, "404 Not Found", "text/plain", "not found\n");
        return;
    }
    if (!Authorised(method, target, headers)) {
        Challenge(socket);
        return;
    }
    if (path == "/snapshot.jpg") {
        QByteArray ignored;
        Reply(socket, "200 OK", "image/jpeg", Picture(false, &ignored), "Cache-Control: no-cache\r\n");
        return;
    }
    socket->write(QByteArrayLiteral("HTTP/1.1 200 OK\r\n"
                                    "Content-Type: multipart/x-mixed-replace; boundary=")
                  + Boundary + "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n");
    m_clients[socket].Streaming = true;
}

void TCamServer::Control(QTcpSocket *socket, const QByteArray &query)
{
    const QUrlQuery items(QString::fromUtf8(query));
    const QString motion = items.queryItemValue(QStringLiteral("motion"));
    const QString fault = items.queryItemValue(QStringLiteral("fault"));
    bool ok = !motion.isEmpty() || !fault.isEmpty();
    if (motion == QLatin1String("on") || motion == QLatin1String("off"))
        m_scene.SetMotion(motion == QLatin1String("on"));
    else if (!motion.isEmpty())
        ok = false;
    static const QHash<QString, TFault> faults{{QStringLiteral("none"), TFault::None},
                                               {QStringLiteral("hang"), TFault::Hang},
                                               {QStringLiteral("drop"), TFault::Drop},
                                               {QStringLiteral("corrupt"), TFault::Corrupt}};
    if (faults.contains(fault)) {
        m_fault = faults.value(fault);
        if (m_fault == TFault::Drop) {
            for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
                if (it->Streaming)
                    it.key()->abort();
            }
        }
    } else if (!fault.isEmpty()) {
        ok = false;
    }
    if (ok)
        Reply(socket, "200 OK", "text/plain", "ok\n");
    else
        Reply(socket, "400 Bad Request", "text/plain", "use motion=on|off or fault=none|hang|drop|corrupt\n");
}

bool TCamServer::Authorised(const QByteArray &method, const QByteArray &target,
                            const QHash<QByteArray, QByteArray> &headers) const
{
    if (m_options.User.isEmpty())
        return true;
    const QByteArray authorization = headers.value("authorization");
    const QByteArray user = m_options.User.toUtf8();
    const QByteArray password = m_options.Password.toUtf8();
    if (!m_options.Digest) {
        return authorization.left(6).toLower() == "basic "
               && QByteArray::fromBase64(authorization.mid(6).trimmed()) == user + ':' + password;
    }
    if (authorization.left(7).toLower() != "digest ")
        return false;
    const QHash<QByteArray, QByteArray> p = DigestParams(authorization.mid(7));
    if (p.value("username") != user || p.value("realm") != Realm || p.value("nonce") != m_nonce
        || p.value("uri") != target)
        return false;
    const QByteArray ha1 = Md5Hex(user + ':' + Realm + ':' + password);
    const QByteArray ha2 = Md5Hex(method + ':' + p.value("uri"));
    const QByteArray qop = p.value("qop");
    const QByteArray expected = qop.isEmpty()
                                    ? Md5Hex(ha1 + ':' + m_nonce + ':' + ha2)
                                    : Md5Hex(ha1 + ':' + m_nonce + ':' + p.value("nc") + ':' + p.value("cnonce") + ':'
                                             + qop + ':' + ha2);
    return p.value("response").toLower() == expected;
}

void TCamServer::Challenge(QTcpSocket *socket)
{
    const QByteArray challenge =
        m_options.Digest ? QByteArrayLiteral("WWW-Authenticate: Digest realm=\"") + Realm + "\", qop=\"auth\", nonce=\""
                               + m_nonce + "\", opaque=\"" + m_opaque + "\", algorithm=MD5\r\n"
                         : QByteArrayLiteral("WWW-Authenticate: Basic realm=\"") + Realm + "\"\r\n";
    Reply(socket, "401 Unauthorized", "text/plain", "authorisation required\n", challenge);
}

void TCamServer::Reply(QTcpSocket *socket, const QByteArray &status, const QByteArray &contentType,
                       const QByteArray &body, const QByteArray &extraHeaders)
{
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + contentType + "\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body);
}

QByteArray TCamServer::Picture(bool forStream, QByteArray *contentLength)
{
    QByteArray jpeg = m_scene.Jpeg();
    *contentLength = QByteArray::number(jpeg.size());
    ++m_pictures;
    if (m_fault != TFault::Corrupt || m_pictures % 2 == 0 || jpeg.isEmpty())
        return jpeg;
    switch ((m_pictures / 2) % (forStream ? 4 : 3)) {
    case 0:  // cut off in the middle
        jpeg.truncate(jpeg.size() / 2);
        break;
    case 1:  // not a picture at all
        for (char &c : jpeg)
            c = char(m_random.bounded(256));
        break;
    case 2:  // scrambled entropy data, markers at both ends intact
        for (qsizetype i = jpeg.size() / 3; i < 2 * jpeg.size() / 3; ++i)
            jpeg[i] = char(m_random.bounded(256));
        break;
    default:  // a part header that claims far more than any picture
        *contentLength = "20000000";
        return jpeg;
    }
    *contentLength = QByteArray::number(jpeg.size());
    return jpeg;
}

void TCamServer::Tick()
{
    m_scene.Advance();
    if (m_fault == TFault::Hang)
        return;
    QByteArray contentLength;
    const QByteArray picture = Picture(true, &contentLength);
    const QByteArray head = QByteArrayLiteral("--") + Boundary + "\r\nContent-Type: image/jpeg\r\nContent-Length: "
                            + contentLength + "\r\n\r\n";
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        QTcpSocket *socket = it.key();
        if (!it->Streaming || socket->bytesToWrite() > MaxBacklog)
            continue;
        socket->write(head);
        socket->write(picture);
        socket->write("\r\n");
    }
}
