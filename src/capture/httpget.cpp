#include "capture/httpget.h"

#include "capture/httptext.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace {

using httptext::IsBlank;
using httptext::Trimmed;
using httptext::EqualsNoCase;

} // namespace

QByteArray THttpGet::THead::Field(QByteArrayView name) const
{
    for (const auto &[key, value] : Fields)
        if (EqualsNoCase(key, name))
            return value;
    return {};
}

QList<QByteArray> THttpGet::THead::AllFields(QByteArrayView name) const
{
    QList<QByteArray> values;
    for (const auto &[key, value] : Fields)
        if (EqualsNoCase(key, name))
            values.append(value);
    return values;
}

THttpGet::THttpGet(QObject *parent) : QObject(parent) {}

THttpGet::~THttpGet()
{
    Abort();
}

QByteArray THttpGet::Target(const QUrl &url)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return target;
}

void THttpGet::Start(const QUrl &url, const QByteArray &authorization)
{
    m_redirects = 0;
    Open(url, authorization);
}

void THttpGet::Open(const QUrl &url, const QByteArray &authorization)
{
    Abort();
    m_url = url;
    m_authorization = authorization;
    m_buf.clear();
    m_pos = 0;
    m_head = THead();
    m_remaining = -1;
    m_error.clear();
    m_state = TState::Head;
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(MaxSocketBuffer);
    m_socket->setProxy(QNetworkProxy::NoProxy);  // cameras are reached directly, whatever proxy is set
    connect(m_socket, &QTcpSocket::connected, this, &THttpGet::Connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &THttpGet::ReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &THttpGet::Disconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            Disconnected();
        else if (m_state != TState::Idle)
            Finish(TEnd::Failed, m_socket->errorString());
    });
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 || url.host().isEmpty()) {
        // Reported from the event loop, as every other end.
        QMetaObject::invokeMethod(
            this, [this, socket = m_socket] {
                if (m_socket == socket)
                    Finish(TEnd::Failed, QStringLiteral("not an http address"));
            },
            Qt::QueuedConnection);
        return;
    }
    m_socket->connectToHost(url.host(), quint16(url.port(80)));
}

void THttpGet::Abort()
{
    m_state = TState::Idle;
    if (!m_socket)
        return;
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void THttpGet::Connected()
{
    QByteArray request = "GET " + Target(m_url) + " HTTP/1.1\r\nHost: " + m_url.host(QUrl::FullyEncoded).toLatin1();
    if (m_url.port(80) != 80)
        request += ':' + QByteArray::number(m_url.port());
    request += "\r\nUser-Agent: Ostrivo\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\n";
    if (!m_authorization.isEmpty())
        request += "Authorization: " + m_authorization + "\r\n";
    request += "\r\n";
    m_socket->write(request);
}

void THttpGet::ReadyRead()
{
    while (m_socket && m_state != TState::Idle) {
        const qint64 available = m_socket->bytesAvailable();
        if (available <= 0)
            return;
        // Only what the head may still need, so that nothing beyond its bound is ever held.
        const qint64 want = m_state == TState::Head ? std::min<qint64>(available, MaxHeadSize + 1 - m_buf.size())
                                                      : std::min<qint64>(available, 64 * 1024);
        m_buf += m_socket->read(want);
        QPointer<THttpGet> alive(this);
        const QTcpSocket *socket = m_socket;
        while (alive && m_socket == socket && m_state != TState::Idle
               && (m_state == TState::Head ? ParseHead() : ParseBody())) {
        }
        if (!alive || m_socket != socket)
            return;
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_pos = 0;
        }
    }
}

bool THttpGet::ParseHead()
{
    const qsizetype end = m_buf.indexOf("\n\r\n") >= 0 ? m_buf.indexOf("\n\r\n") + 3
                          : m_buf.indexOf("\n\n") >= 0 ? m_buf.indexOf("\n\n") + 2
                                                       : -1;
    if (end < 0) {
        if (m_buf.size() > MaxHeadSize)
            Finish(TEnd::Failed, QStringLiteral("the answer's header is too large"));
        return false;
    }
    const QList<QByteArray> lines = m_buf.left(end).split('\n');
    const QList<QByteArray> status = Trimmed(lines.first()).toByteArray().split(' ');
    bool ok = false;
    if (status.size() >= 2 && status[0].startsWith("HTTP/"))
        m_head.Status = status[1].toInt(&ok);
    if (!ok || m_head.Status < 100 || m_head.Status > 999) {
        Finish(TEnd::Failed, QStringLiteral("not an HTTP answer"));
        return false;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = Trimmed(lines[i]);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            m_head.Fields.append({Trimmed(line.first(colon)).toByteArray(), Trimmed(line.sliced(colon + 1)).toByteArray()});
    }
    m_pos = end;
    if (m_head.Status >= 100 && m_head.Status < 200) {
        // An interim answer: the real one follows.
        m_buf.remove(0, m_pos);
        m_pos = 0;
        m_head = THead();
        return true;
    }
    if (Redirect())
        return false;
    if (m_head.Field("Transfer-Encoding").toLower().contains("chunked")) {
        m_state = TState::ChunkSize;
    } else {
        m_state = TState::Body;
        const QByteArray length = m_head.Field("Content-Length");
        bool valid = false;
        const qint64 value = length.toLongLong(&valid);
        m_remaining = valid && value >= 0 ? value : -1;
    }
    QPointer<THttpGet> alive(this);
    const QTcpSocket *socket = m_socket;
    if (OnHead)
        OnHead();
    if (!alive || m_socket != socket || m_state == TState::Idle)
        return false;
    if (m_remaining == 0 && m_state == TState::Body) {
        Finish(TEnd::Complete);
        return false;
    }
    return true;
}

bool THttpGet::Redirect()
{
    if (m_head.Status != 301 && m_head.Status != 302 && m_head.Status != 303 && m_head.Status != 307
        && m_head.Status != 308)
        return false;
    const QByteArray location = m_head.Field("Location");
    if (location.isEmpty() || m_redirects >= MaxRedirects)
        return false;
    const QUrl next = m_url.resolved(QUrl::fromEncoded(location));
    if (next.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        return false;
    ++m_redirects;
    // Credentials go only to the same server.
    const QByteArray authorization = next.host() == m_url.host() && next.port(80) == m_url.port(80) ? m_authorization
                                                                                                   : QByteArray();
    Open(next, authorization);
    return true;
}

bool THttpGet::ParseBody()
{
    const qsizetype left = m_buf.size() - m_pos;
    switch (m_state) {
    case TState::Body: {
        if (left == 0)
            return false;
        const qsizetype take = m_remaining < 0 ? left : qsizetype(std::min<qint64>(left, m_remaining));
        const qsizetype at = m_pos;
        m_pos += take;
        if (m_remaining > 0)
            m_remaining -= take;
        const bool done = m_remaining == 0;
        Deliver(QByteArrayView(m_buf).sliced(at, take));
        if (done && m_state == TState::Body)
            Finish(TEnd::Complete);
        return false;
    }
    case TState::ChunkSize:
    case TState::ChunkEnd:
    case TState::Trailer: {
        const qsizetype nl = m_buf.indexOf('\n', m_pos);
        if (nl < 0) {
            if (left > 1024)
                Finish(TEnd::Failed, QStringLiteral("bad chunked coding"));
            return false;
        }
        const QByteArrayView line = Trimmed(QByteArrayView(m_buf).sliced(m_pos, nl - m_pos));
        m_pos = nl + 1;
        if (m_state == TState::ChunkEnd) {
            m_state = TState::ChunkSize;
            return true;
        }
        if (m_state == TState::Trailer) {
            if (line.isEmpty())
                Finish(TEnd::Complete);
            return m_state == TState::Trailer;
        }
        const qsizetype semicolon = line.indexOf(';');
        bool ok = false;
        const qint64 size = (semicolon >= 0 ? line.first(semicolon) : line).toByteArray().toLongLong(&ok, 16);
        if (!ok || size < 0) {
            Finish(TEnd::Failed, QStringLiteral("bad chunked coding"));
            return false;
        }
        m_remaining = size;
        m_state = size == 0 ? TState::Trailer : TState::ChunkData;
        return true;
    }
    case TState::ChunkData: {
        if (left == 0)
            return false;
        const qsizetype take = qsizetype(std::min<qint64>(left, m_remaining));
        const qsizetype at = m_pos;
        m_pos += take;
        m_remaining -= take;
        if (m_remaining == 0)
            m_state = TState::ChunkEnd;
        Deliver(QByteArrayView(m_buf).sliced(at, take));
        return true;
    }
    case TState::Idle:
    case TState::Head:
        break;
    }
    return false;
}

void THttpGet::Deliver(QByteArrayView bytes)
{
    if (OnBody && !bytes.isEmpty())
        OnBody(bytes);
}

void THttpGet::Disconnected()
{
    if (m_state == TState::Idle)
        return;
    // What is still buffered belongs to the answer.
    ReadyRead();
    if (m_state == TState::Body && m_remaining < 0)
        Finish(TEnd::Complete);
    else if (m_state != TState::Idle)
        Finish(TEnd::Failed, QStringLiteral("the connection was closed"));
}

void THttpGet::Finish(TEnd end, const QString &error)
{
    if (m_state == TState::Idle)
        return;
    m_error = error;
    Abort();
    if (OnEnd)
        OnEnd(end);
}

// ------------------------------------------------------------------------------------------ credentials

namespace {

struct TChallenge
{
    QByteArray Scheme;
    QList<QPair<QByteArray, QByteArray>> Params;

    QByteArray Param(QByteArrayView name) const
    {
        for (const auto &[key, value] : Params)
            if (EqualsNoCase(key, name))
                return value;
        return {};
    }
};

// "Digest realm="a", nonce="b", Basic realm="c"": schemes are tokens not followed by "=".
QList<TChallenge> ParseChallenges(QByteArrayView text)
{
    QList<TChallenge> challenges;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && (IsBlank(text[i]) || text[i] == ','))
            ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= text.size())
            return challenges;
        const qsizetype start = i;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != ',' && text[i] != '=')
            ++i;
        const QByteArrayView token = text.sliced(start, i - start);
        qsizetype after = i;
        while (after < text.size() && IsBlank(text[after]))
            ++after;
        if (after < text.size() && text[after] == '=' && !challenges.isEmpty()) {
            i = after + 1;
            while (i < text.size() && IsBlank(text[i]))
                ++i;
            QByteArray value;
            if (i < text.size() && text[i] == '"') {
                for (++i; i < text.size() && text[i] != '"'; ++i) {
                    if (text[i] == '\\' && i + 1 < text.size())
                        ++i;
                    value += text[i];
                }
                ++i;
            } else {
                while (i < text.size() && text[i] != ',' && !IsBlank(text[i]))
                    value += text[i++];
            }
            challenges.last().Params.append({token.toByteArray(), value});
        } else if (!token.isEmpty()) {
            challenges.append({token.toByteArray(), {}});
        } else {
            ++i;
        }
    }
}

QByteArray Md5Hex(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

QByteArray Quoted(const QByteArray &value)
{
    QByteArray quoted = value;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + '"';
}

QByteArray DigestAnswer(const TChallenge &c, const QByteArray &user, const QByteArray &password, const QByteArray &target)
{
    const QByteArray algorithm = c.Param("algorithm");
    const bool session = EqualsNoCase(algorithm, "MD5-sess");
    if (!algorithm.isEmpty() && !session && !EqualsNoCase(algorithm, "MD5"))
        return {};
    const QByteArray realm = c.Param("realm"), nonce = c.Param("nonce");
    const QByteArray cnonce = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    const QByteArray nc = "00000001";
    QByteArray ha1 = Md5Hex(user + ':' + realm + ':' + password);
    if (session)
        ha1 = Md5Hex(ha1 + ':' + nonce + ':' + cnonce);
    const QByteArray ha2 = Md5Hex("GET:" + target);
    const bool qopAuth = std::ranges::any_of(c.Param("qop").split(','),
                                             [](const QByteArray &q) { return q.trimmed() == "auth"; });
    const QByteArray response = qopAuth ? Md5Hex(ha1 + ':' + nonce + ':' + nc + ':' + cnonce + ":auth:" + ha2)
                                        : Md5Hex(ha1 + ':' + nonce + ':' + ha2);
    QByteArray answer = "Digest username=" + Quoted(user) + ", realm=" + Quoted(realm) + ", nonce=" + Quoted(nonce)
                        + ", uri=" + Quoted(target) + ", response=" + Quoted(response);
    if (!algorithm.isEmpty())
        answer += ", algorithm=" + algorithm;
    if (!c.Param("opaque").isEmpty())
        answer += ", opaque=" + Quoted(c.Param("opaque"));
    if (qopAuth)
        answer += ", qop=auth, nc=" + nc + ", cnonce=" + Quoted(cnonce);
    return answer;
}

} // namespace

QByteArray AuthorizationFor(const QList<QByteArray> &fields, const QString &user, const QString &password,
                            const QByteArray &target, QString &realm)
{
    QList<TChallenge> challenges;
    for (const QByteArray &field : fields)
        challenges += ParseChallenges(field);
    if (challenges.isEmpty())
        return {};
    realm = QString::fromUtf8(challenges.first().Param("realm"));
    const QByteArray u = user.toUtf8(), p = password.toUtf8();
    for (const TChallenge &c : challenges)
        if (EqualsNoCase(c.Scheme, "Digest"))
            if (QByteArray answer = DigestAnswer(c, u, p, target); !answer.isEmpty()) {
                realm = QString::fromUtf8(c.Param("realm"));
                return answer;
            }
    for (const TChallenge &c : challenges)
        if (EqualsNoCase(c.Scheme, "Basic")) {
            realm = QString::fromUtf8(c.Param("realm"));
            return "Basic " + (u + ':' + p).toBase64();
        }
    return {};
}
