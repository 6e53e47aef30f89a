// The capture component against real HTTP peers: ostrivo-camsim and ffmpeg's MJPEG server.
#include "camsimprocess.h"
#include "capturetesthelpers.h"

#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<TAdvancedCaptureComponent> NetworkCamera(const QString &url, int connectionTimeoutMs = 15000)
{
    auto c = std::make_unique<TAdvancedCaptureComponent>();
    c->resize(320, 240);
    c->show();
    c->SetVideoSource(vs_IPCamera);
    c->SetIPCameraURL(url);
    c->SetOpenURLAsync(true);
    c->SetIPCameraSetting(ips_ConnectionTimeout, connectionTimeoutMs);
    c->SetDisplayEmbedded(0, true);
    c->SetDisplayAspectRatio(0, ar_Stretch);
    return c;
}

} // namespace

class TestCaptureNetwork : public QObject
{
    Q_OBJECT

    TCamSim m_plain;
    TCamSim m_basic;
    TCamSim m_digest;

private slots:
    void initTestCase()
    {
        QVERIFY(m_plain.Start({"--fps", "15", "--motion"}));
        QVERIFY(m_basic.Start({"--user", "admin", "--password", "s3cret", "--auth", "basic"}));
        QVERIFY(m_digest.Start({"--user", "admin", "--password", "s3cret", "--auth", "digest"}));
    }

    void livePictureFromCamsim_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("MJPEG stream") << QStringLiteral("/video.mjpg");
        QTest::newRow("single pictures") << QStringLiteral("/snapshot.jpg");
    }

    void livePictureFromCamsim()
    {
        QFETCH(QString, path);
        auto c = NetworkCamera(m_plain.Url(path));
        c->SetColor(Qt::yellow);
        TEventRecorder events(*c);
        // StartPreview does not wait for the camera: it returns in preview with no picture yet (pictures
        // arrive through the event loop only).
        c->StartPreview();
        QCOMPARE(c->CurrentState(), cs_Preview);
        QCOMPARE(events.Frames, 0);
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);

        const TVideoFrame frame = c->LatestFrame();
        QCOMPARE(frame.Image.size(), QSize(640, 480));
        QCOMPARE(frame.Image.format(), QImage::Format_RGB32);
        QVERIFY(frame.Number >= 1);
        QTRY_VERIFY(CountPixels(c->grab().toImage(), QRect(0, 0, 320, 240), Qt::yellow, 10) < 1000);

        // It keeps running; single pictures come at most 30 times a second (a busy machine only lowers the
        // rate, so the upper limit holds under any load and the lower one is just "more pictures come").
        const int before = events.Frames;
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames >= before + 3, 10000);
        if (path.endsWith(QLatin1String(".jpg"))) {
            QTest::qWait(1000);
            const double perSecond = (events.Frames - before) * 1000.0 / clock.elapsed();
            QVERIFY2(perSecond <= 32, qPrintable(QString::number(perSecond)));
        }
        QVERIFY(events.AllOnUiThread);

        c->StopPreview();
        QCOMPARE(c->CurrentState(), cs_Down);
        const int stopped = events.Frames;
        QTest::qWait(300);
        QCOMPARE(events.Frames, stopped);
        QCOMPARE(events.DeviceLost, 0);
    }

    // ffmpeg ends its stream when it is stopped: the component reports the loss and a new start brings the
    // picture back once the server is there again.
    void livePictureFromFfmpegLostAndRestarted()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            QSKIP("ffmpeg is not installed");
        const quint16 port = FreeLoopbackPort();
        auto server = std::make_unique<TFfmpegServer>(port);
        QVERIFY(server->WaitListening());
        auto c = NetworkCamera(server->Url());
        c->SetIPCameraSetting(ips_LossGracePeriod, 500);
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);
        QCOMPARE(c->LatestFrame().Image.size(), QSize(640, 480));

        server->Kill();
        QTRY_COMPARE_WITH_TIMEOUT(events.DeviceLost, 1, 10000);
        QCOMPARE(c->CurrentState(), cs_Down);

        server = std::make_unique<TFfmpegServer>(port);
        QVERIFY(server->WaitListening());
        const int before = events.Frames;
        events.Clock.restart();
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > before, 10000);
        QCOMPARE(c->CurrentState(), cs_Preview);
        QCOMPARE(events.DeviceLost, 1);
    }

    void credentials_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        for (const QString &scheme : {QStringLiteral("basic"), QStringLiteral("digest")}) {
            const QByteArray s = scheme.toLatin1();
            QTest::newRow(s + ", right, stream") << scheme << "/video.mjpg" << "admin" << "s3cret" << true;
            QTest::newRow(s + ", right, pictures") << scheme << "/snapshot.jpg" << "admin" << "s3cret" << true;
            QTest::newRow(s + ", wrong password") << scheme << "/video.mjpg" << "admin" << "guess" << false;
            QTest::newRow(s + ", wrong user, pictures") << scheme << "/snapshot.jpg" << "root" << "s3cret" << false;
            QTest::newRow(s + ", none given") << scheme << "/video.mjpg" << "" << "" << false;
        }
    }

    void credentials()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, path);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        const TCamSim &camera = scheme == QLatin1String("basic") ? m_basic : m_digest;
        auto c = NetworkCamera(camera.Url(path));
        TEventRecorder events(*c);
        if (!user.isEmpty())
            c->SetAuthentication(at_IPCamera, user, password);
        c->StartPreview();
        if (accepted) {
            QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 2, 10000);
            QCOMPARE(events.AuthenticationNeeded, 0);
            QCOMPARE(c->CurrentState(), cs_Preview);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(c->CurrentState(), cs_Down, 10000);
        QCOMPARE(events.AuthenticationNeeded, 1);
        QCOMPARE(events.Realm, QStringLiteral("ostrivo-camsim"));
        QCOMPARE(events.Server, QStringLiteral("127.0.0.1"));
        QCOMPARE(events.UserName, user);
        QCOMPARE(events.DeviceLost, 0);
        QCOMPARE(events.Frames, 0);
        // Once per connection attempt.
        QTest::qWait(200);
        QCOMPARE(events.AuthenticationNeeded, 1);
        c->StartPreview();
        QTRY_COMPARE_WITH_TIMEOUT(events.AuthenticationNeeded, 2, 10000);
        QCOMPARE(c->CurrentState(), cs_Down);
        QVERIFY(events.AllOnUiThread);
    }

    // A port that accepts connections and never answers: down after the connection time-out, and the UI
    // thread never waits meanwhile.
    void silentPortTimesOutWithoutStallingTheUi()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto c = NetworkCamera(QStringLiteral("http://127.0.0.1:%1/video.mjpg").arg(silent.serverPort()), 3000);
        TEventRecorder events(*c);
        TStallMeter meter;
        QElapsedTimer clock;
        clock.start();
        c->StartPreview();
        QCOMPARE(c->CurrentState(), cs_Preview);
        QTRY_COMPARE_WITH_TIMEOUT(c->CurrentState(), cs_Down, 30000);
        const qint64 elapsed = clock.elapsed();
        // Qt's coarse timers may fire up to 5 % early.
        QVERIFY2(elapsed >= 2850, qPrintable(QString::number(elapsed)));
        // A UI thread waiting on the connection would stall for the whole time-out; a busy machine alone
        // does not come near it.
        QVERIFY2(meter.LongestGapMs() < 1500, qPrintable(QStringLiteral("UI stalled %1 ms").arg(meter.LongestGapMs())));
        QCOMPARE(events.DeviceLost, 0);
        QCOMPARE(events.AuthenticationNeeded, 0);
        QVERIFY(silent.hasPendingConnections());  // it really connected
    }

    // A stream that the camera drops: lost and down; a new start brings the picture back.
    void droppedStreamIsLostAndRestarted()
    {
        TCamSim camera;
        QVERIFY(camera.Start());
        auto c = NetworkCamera(camera.Url(QStringLiteral("/video.mjpg")));
        c->SetIPCameraSetting(ips_LossGracePeriod, 500);
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);
        QVERIFY(camera.Control("fault=drop"));
        QTRY_COMPARE_WITH_TIMEOUT(events.DeviceLost, 1, 10000);
        QCOMPARE(c->CurrentState(), cs_Down);
        QVERIFY(camera.Control("fault=none"));
        const int before = events.Frames;
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > before, 10000);
        QCOMPARE(events.DeviceLost, 1);
    }

    // A camera that stops answering: lost after the receive time-out; a new attempt meanwhile ends at the
    // connection time-out without a loss (it never ran).
    void hungCameraIsLostAfterReceiveTimeout()
    {
        TCamSim camera;
        QVERIFY(camera.Start());
        auto c = NetworkCamera(camera.Url(QStringLiteral("/video.mjpg")), 1000);
        c->SetIPCameraSetting(ips_ReceiveTimeout, 1000);
        c->SetIPCameraSetting(ips_LossGracePeriod, 500);
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);
        QVERIFY(camera.Control("fault=hang"));
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(events.DeviceLost, 1, 15000);
        QVERIFY(clock.elapsed() >= 800);
        QCOMPARE(c->CurrentState(), cs_Down);

        c->StartPreview();
        QCOMPARE(c->CurrentState(), cs_Preview);
        QTRY_COMPARE_WITH_TIMEOUT(c->CurrentState(), cs_Down, 15000);
        QCOMPARE(events.DeviceLost, 1);
    }

    // Broken pictures inside a stream (truncated, garbage, scrambled, absurd part lengths) are skipped;
    // the picture goes on.
    void corruptPicturesAreSkipped()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--fps", "20"}));
        QVERIFY(camera.Control("fault=corrupt"));
        auto c = NetworkCamera(camera.Url(QStringLiteral("/video.mjpg")));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);
        const int before = events.Frames;
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > before + 3, 15000);
        QCOMPARE(c->CurrentState(), cs_Preview);
        QCOMPARE(events.DeviceLost, 0);
        QCOMPARE(c->LatestFrame().Image.size(), QSize(640, 480));
    }

    // A UI thread that cannot keep up sees only the newest frame: the capture thread goes on decoding into
    // the one latest-frame slot and nothing queues up.
    void slowUiSeesOnlyTheNewestFrame()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--fps", "50", "--motion"}));
        auto c = NetworkCamera(camera.Url(QStringLiteral("/video.mjpg")));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 2, 10000);
        const quint32 decoded = c->LatestFrame().Number;
        const int shown = events.Frames;
        // The UI thread is blocked (no events handled) while the capture thread decodes 15 more frames.
        QElapsedTimer blocked;
        blocked.start();
        while (c->LatestFrame().Number < decoded + 15 && blocked.elapsed() < 15000)
            QThread::msleep(50);
        QVERIFY2(c->LatestFrame().Number >= decoded + 15, qPrintable(QString::number(c->LatestFrame().Number - decoded)));
        QCoreApplication::processEvents();
        QVERIFY2(events.Frames - shown <= 2, qPrintable(QString::number(events.Frames - shown)));
    }

    // Nothing runs for a component that is down, even with its capture thread alive.
    void downComponentCostsNoCpu()
    {
        auto c = NetworkCamera(m_plain.Url(QStringLiteral("/video.mjpg")));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 10000);
        c->StopPreview();
        QTest::qWait(200);
        const qint64 cpu = ProcessCpuMs();
        QTest::qWait(1000);
        const qint64 used = ProcessCpuMs() - cpu;
        // Its own CPU time, which a busy machine does not raise; a polling loop would use most of the second.
        QVERIFY2(used < 150, qPrintable(QStringLiteral("%1 ms CPU in 1 s while down").arg(used)));
    }
};

QTEST_MAIN(TestCaptureNetwork)
#include "tst_capturenetwork.moc"
