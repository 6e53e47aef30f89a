#pragma once
// One HTTP GET from a network camera over a plain TCP connection, on the thread it lives on.
//
// Written for hostile peers: everything read before the body is bounded (MaxHeadSize for the status line
// and all header lines together), the socket reads no more than MaxSocketBuffer ahead of the reader, and
// Abort() closes the connection at once, so a request that is given up costs nothing afterwards. Redirects
// (301, 302, 303, 307, 308) to http addresses are followed up to MaxRedirects times; chunked transfer
// coding is removed. Credentials are the caller's business (AuthorizationFor).
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class QTcpSocket;

class THttpGet : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype MaxHeadSize = 64 * 1024;
    static constexpr qint64 MaxSocketBuffer = 256 * 1024;
    static constexpr int MaxRedirects = 3;

    enum class TEnd
    {
        Complete,  // the whole body arrived (by its length, its last chunk, or the close of a body without length)
        Failed     // no connection, a reset, an unusable or oversized head, or a body cut short
    };

    struct THead
    {
        int Status = 0;
        QList<QPair<QByteArray, QByteArray>> Fields;  // names as sent, values trimmed
        // The first field of that name (any letter case), or empty.
        QByteArray Field(QByteArrayView name) const;
        QList<QByteArray> AllFields(QByteArrayView name) const;
    };

    explicit THttpGet(QObject *parent = nullptr);
    ~THttpGet() override;

    // Opens a connection and sends the request; `authorization` is the value of an Authorization field,
    // or empty. A request still running is aborted first.
    void Start(const QUrl &url, const QByteArray &authorization = {});
    // Closes the connection at once; nothing more is reported.
    void Abort();

    const THead &Head() const { return m_head; }
    // The address the answer came from (after redirects).
    const QUrl &Url() const { return m_url; }
    // Why the request failed.
    QString ErrorString() const { return m_error; }

    std::function<void()> OnHead;                    // the head is in (Head()); the body follows
    std::function<void(QByteArrayView bytes)> OnBody;
    std::function<void(TEnd end)> OnEnd;             // the request is over; the object may be reused

    // The request target of a URL: path and query, "/" when empty.
    static QByteArray Target(const QUrl &url);

private:
    enum class TState
    {
        Idle,
        Head,
        Body,         // up to Content-Length or the close
        ChunkSize,
        ChunkData,
        ChunkEnd,     // the line break after a chunk
        Trailer
    };

    void Open(const QUrl &url, const QByteArray &authorization);
    void Connected();
    void ReadyRead();
    void Disconnected();
    bool ParseHead();     // false: more bytes needed (or the request ended)
    bool ParseBody();
    void Deliver(QByteArrayView bytes);
    void Finish(TEnd end, const QString &error = {});
    bool Redirect();

    QTcpSocket *m_socket = nullptr;
    QUrl m_url;
    QByteArray m_authorization;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    THead m_head;
    TState m_state = TState::Idle;
    qint64 m_remaining = -1;  // body or chunk bytes still to come; -1: up to the close
    int m_redirects = 0;
    QString m_error;
};

// The Authorization field value that answers the WWW-Authenticate challenges of a 401 for a GET of
// `target` (Digest with MD5 preferred, else Basic); empty when no challenge can be answered. `realm`
// receives the realm of the chosen challenge (or of the first one).
QByteArray AuthorizationFor(const QList<QByteArray> &challenges, const QString &user, const QString &password,
                            const QByteArray &target, QString &realm);
