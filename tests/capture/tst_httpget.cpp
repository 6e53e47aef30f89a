// The camera HTTP client against a loopback server that answers with canned bytes: what it sends, how it
// takes bodies apart, where it stops reading, and the answers to credential challenges.
#include "capture/httpget.h"

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <functional>

namespace {

// Answers every request on 127.0.0.1 with what `answer` returns for it, written in pieces, then closes
// (or keeps sending `stream` bytes for as long as the client reads).
class TCannedServer
{
public:
    std::function<QByteArray(const QByteArray &request)> answer;
    QByteArray endless;  // sent again and again after the answer while the connection is open
    QList<QByteArray> requests;

    TCannedServer()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                auto *request = new QByteArray;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll();
                    if (!request->contains("\r\n\r\n") || request->isEmpty())
                        return;
                    requests.append(*request);
                    const QByteArray reply = answer(*request);
                    request->clear();
                    for (qsizetype at = 0; at < reply.size(); at += 7)
                        socket->write(reply.mid(at, 7));
                    if (endless.isEmpty()) {
                        socket->disconnectFromHost();
                        return;
                    }
                    auto *timer = new QTimer(socket);
                    QObject::connect(timer, &QTimer::timeout, socket, [this, socket] {
                        if (socket->bytesToWrite() < 1 << 20)
                            socket->write(endless);
                    });
                    timer->start(0);
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, request] {
                    delete request;
                    socket->deleteLater();
                });
            }
        });
    }
    QUrl Url(const QString &path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path)); }

private:
    QTcpServer m_server;
};

struct TResult
{
    bool ended = false;
    THttpGet::TEnd end = THttpGet::TEnd::Failed;
    int status = 0;
    QByteArray body;
};

void Track(THttpGet &get, TResult &result)
{
    get.OnHead = [&] { result.status = get.Head().Status; };
    get.OnBody = [&](QByteArrayView bytes) { result.body += bytes; };
    get.OnEnd = [&](THttpGet::TEnd end) { result.ended = true, result.end = end; };
}

} // namespace

class TestHttpGet : public QObject
{
    Q_OBJECT
private slots:
    void bodiesAreTakenApart_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("complete");
        QTest::newRow("content length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA") << QByteArray("hello") << true;
        QTest::newRow("up to the close") << QByteArray("HTTP/1.0 200 OK\r\n\r\nall of it") << QByteArray("all of it") << true;
        QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                               "4\r\nWiki\r\n5;ext=1\r\npedia\r\n0\r\nTrailer: x\r\n\r\n")
                                 << QByteArray("Wikipedia") << true;
        QTest::newRow("bare line feeds and an interim answer")
            << QByteArray("HTTP/1.1 100 Continue\n\nHTTP/1.1 200 OK\nContent-length: 2\n\nok") << QByteArray("ok") << true;
        QTest::newRow("cut short") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhalf") << QByteArray("half") << false;
        QTest::newRow("bad chunk size") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n") << QByteArray() << false;
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << QByteArray() << false;
    }
    void bodiesAreTakenApart()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, body);
        QFETCH(bool, complete);
        TCannedServer server;
        server.answer = [&](const QByteArray &) { return answer; };
        THttpGet get;
        TResult result;
        Track(get, result);
        get.Start(server.Url("/cam/video.cgi?ch=1&x=%20"));
        QTRY_VERIFY(result.ended);
        QCOMPARE(result.body, body);
        QCOMPARE(result.end == THttpGet::TEnd::Complete, complete);
        QVERIFY(server.requests.first().startsWith("GET /cam/video.cgi?ch=1&x=%20 HTTP/1.1\r\nHost: 127.0.0.1:"));
    }

    void redirectsAreFollowedAFewTimes()
    {
        TCannedServer server;
        server.answer = [&](const QByteArray &request) -> QByteArray {
            if (request.startsWith("GET /final"))
                return "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone";
            if (request.startsWith("GET /loop"))
                return "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n";
            return "HTTP/1.1 301 Moved\r\nLocation: " + server.Url("/final").toEncoded() + "\r\n\r\n";
        };
        THttpGet get;
        TResult result;
        Track(get, result);
        get.Start(server.Url("/start"), "Basic abc");
        QTRY_VERIFY(result.ended);
        QCOMPARE(result.body, QByteArray("done"));
        QVERIFY(server.requests.last().contains("Authorization: Basic abc"));  // same server

        result = {};
        get.Start(server.Url("/loop"));
        QTRY_VERIFY(result.ended);
        QCOMPARE(result.status, 302);  // given up after three redirects
    }

    // A head that never ends is refused at its bound, whatever the server keeps sending, and the
    // connection is closed at once.
    void endlessHeadStopsAtItsBound()
    {
        TCannedServer server;
        server.answer = [](const QByteArray &) { return QByteArray("HTTP/1.1 200 OK\r\nX-Long: "); };
        server.endless = QByteArray(64 * 1024, 'a');
        THttpGet get;
        TResult result;
        Track(get, result);
        get.Start(server.Url("/"));
        QTRY_VERIFY(result.ended);
        QCOMPARE(result.end, THttpGet::TEnd::Failed);
        QCOMPARE(result.status, 0);
        QVERIFY(get.ErrorString().contains("too large"));
    }

    void challengesAreAnswered()
    {
        QString realm;
        // Basic, with the realm of the challenge.
        QCOMPARE(AuthorizationFor({"Basic realm=\"cam\""}, "Aladdin", "open sesame", "/", realm),
                 QByteArray("Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ=="));
        QCOMPARE(realm, QStringLiteral("cam"));
        // Digest preferred over Basic, answered as in the example of RFC 2617 (the client nonce is ours).
        const QByteArray answer = AuthorizationFor(
            {"Basic realm=\"b\"", "Digest realm=\"testrealm@host.com\", qop=\"auth,auth-int\", "
                                  "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\""},
            "Mufasa", "Circle Of Life", "/dir/index.html", realm);
        QCOMPARE(realm, QStringLiteral("testrealm@host.com"));
        QVERIFY(answer.startsWith("Digest username=\"Mufasa\", realm=\"testrealm@host.com\", "));
        QVERIFY(answer.contains("uri=\"/dir/index.html\""));
        QVERIFY(answer.contains("opaque=\"5ccc069c403ebaf9f0171e9517f40e41\""));
        QVERIFY(answer.contains("qop=auth, nc=00000001, cnonce=\""));
        const QByteArray cnonce = answer.mid(answer.indexOf("cnonce=\"") + 8).split('"').first();
        const QByteArray expected = QCryptographicHash::hash("939e7578ed9e3c518a452acee763bce9:"
                                                             "dcd98b7102dd2f0e8b11d0f600bfb0c093:00000001:" + cnonce
                                                                 + ":auth:39aff3a2bab6126f332b942af96d3366",
                                                             QCryptographicHash::Md5).toHex();
        QVERIFY2(answer.contains("response=\"" + expected + "\""), answer.constData());
        // A challenge nobody can answer.
        QVERIFY(AuthorizationFor({"Negotiate", "Digest realm=\"r\", nonce=\"n\", algorithm=SHA-512-256"}, "u", "p", "/", realm)
                    .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHttpGet)
#include "tst_httpget.moc"
