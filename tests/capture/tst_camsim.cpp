// ostrivo-camsim as a peer: what it serves, its credentials and its faults, seen from plain sockets and curl.
#include "capture/jpegdecoder.h"
#include "capture/mjpegparser.h"
#include "camsimprocess.h"
#include "capturetesthelpers.h"

#include <QStandardPaths>
#include <QTcpSocket>
#include <QtTest>

namespace {

bool Decodes(QByteArrayView jpeg, QSize *size = nullptr)
{
    TJpegDecoder decoder;
    TFramePool pool;
    QImage image;
    if (!decoder.Decode(jpeg, pool, image))
        return false;
    if (size)
        *size = image.size();
    return true;
}

} // namespace

class TestCamSim : public QObject
{
    Q_OBJECT

private slots:
    // Port 0 picks a free port and the line printed names it; a still scene is the same picture every time.
    void snapshotsOfStillAndMovingScene()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--size", "320x240", "--fps", "25"}));
        QVERIFY(IsListening(camera.Port()));
        const THttpAnswer first = HttpGet(camera.Port(), "/snapshot.jpg");
        QCOMPARE(first.Status, 200);
        QVERIFY(first.Head.contains("Content-Type: image/jpeg"));
        QSize size;
        QVERIFY(Decodes(first.Body, &size));
        QCOMPARE(size, QSize(320, 240));
        QTest::qWait(100);
        QCOMPARE(HttpGet(camera.Port(), "/snapshot.jpg").Body, first.Body);

        QVERIFY(camera.Control("motion=on"));
        QTest::qWait(100);
        const QByteArray moving = HttpGet(camera.Port(), "/snapshot.jpg").Body;
        QVERIFY(Decodes(moving));
        QVERIFY(moving != first.Body);
        QVERIFY(camera.Control("motion=off"));
    }

    void streamToManyClientsAtOnce()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--size", "160x120", "--fps", "20"}));
        constexpr int Clients = 8;
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < Clients; ++i) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            sockets.back()->connectToHost(QHostAddress::LocalHost, camera.Port());
            QVERIFY(sockets.back()->waitForConnected(2000));
            sockets.back()->write("GET /video.mjpg HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        }
        QTest::qWait(1000);
        for (auto &socket : sockets) {
            const QByteArray data = socket->readAll();
            const qsizetype end = data.indexOf("\r\n\r\n");
            QVERIFY(end > 0);
            const QByteArray head = data.left(end);
            QVERIFY(head.startsWith("HTTP/1.1 200"));
            const qsizetype at = head.indexOf("Content-Type: ");
            QVERIFY(at > 0);
            const QByteArray contentType = head.mid(at + 14).split('\r').value(0);
            QVERIFY(contentType.startsWith("multipart/x-mixed-replace"));
            TMjpegParser parser(TMjpegParser::BoundaryFromContentType(contentType));
            int pictures = 0;
            parser.Feed(QByteArrayView(data).sliced(end + 4), [&](QByteArrayView part) {
                pictures += Decodes(part) ? 1 : 0;
            });
            QVERIFY2(pictures >= 10, qPrintable(QString::number(pictures)));
        }
    }

    void credentials_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("status");
        QTest::newRow("basic, right") << "basic" << "s3cret" << 200;
        QTest::newRow("basic, wrong") << "basic" << "guess" << 401;
        QTest::newRow("digest, right") << "digest" << "s3cret" << 200;
        QTest::newRow("digest, wrong") << "digest" << "guess" << 401;
    }

    // Checked with curl, a client that owes nothing to this program.
    void credentials()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, password);
        QFETCH(int, status);
        const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
        if (curl.isEmpty())
            QSKIP("curl is not installed");
        TCamSim camera;
        QVERIFY(camera.Start({"--user", "admin", "--password", "s3cret", "--auth", scheme}));
        QProcess client;
        client.start(curl, {QStringLiteral("--silent"), QStringLiteral("--output"), QStringLiteral("/dev/null"),
                            QStringLiteral("--write-out"), QStringLiteral("%{http_code}"), QStringLiteral("--") + scheme,
                            QStringLiteral("--user"), QStringLiteral("admin:") + password,
                            camera.Url(QStringLiteral("/snapshot.jpg"))});
        QVERIFY(client.waitForFinished(5000));
        QCOMPARE(client.readAllStandardOutput().toInt(), status);

        const THttpAnswer challenge = HttpGet(camera.Port(), "/video.mjpg");
        QCOMPARE(challenge.Status, 401);
        QVERIFY(challenge.Head.contains("WWW-Authenticate: " + QByteArray(scheme == "basic" ? "Basic" : "Digest")
                                        + " realm=\"ostrivo-camsim\""));
        // The control page needs no credentials.
        QVERIFY(camera.Control("motion=on"));
    }

    void faults()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--size", "160x120", "--fps", "25"}));

        // corrupt: good and broken pictures alternate.
        QVERIFY(camera.Control("fault=corrupt"));
        int good = 0, broken = 0;
        for (int i = 0; i < 8; ++i)
            (Decodes(HttpGet(camera.Port(), "/snapshot.jpg").Body) ? good : broken) += 1;
        QVERIFY(good >= 3 && broken >= 3);

        // hang: read, never answered; the control page still works.
        QVERIFY(camera.Control("fault=hang"));
        QCOMPARE(HttpGet(camera.Port(), "/snapshot.jpg", 500).Status, 0);
        QVERIFY(camera.Control("fault=none"));
        QCOMPARE(HttpGet(camera.Port(), "/snapshot.jpg").Status, 200);

        // drop: an open stream is closed.
        QTcpSocket stream;
        stream.connectToHost(QHostAddress::LocalHost, camera.Port());
        QVERIFY(stream.waitForConnected(2000));
        stream.write("GET /video.mjpg HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QVERIFY(stream.waitForReadyRead(2000));
        QVERIFY(camera.Control("fault=drop"));
        QTRY_COMPARE_WITH_TIMEOUT(stream.state(), QAbstractSocket::UnconnectedState, 2000);
        QCOMPARE(HttpGet(camera.Port(), "/snapshot.jpg").Status, 0);
    }
};

QTEST_GUILESS_MAIN(TestCamSim)
#include "tst_camsim.moc"
