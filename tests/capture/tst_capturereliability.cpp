// Cameras that drop out for a moment, and cameras that misbehave on purpose: the component bridges a short
// absence without reporting a loss, and no hostile answer crashes it, makes its memory grow without bound or
// delays its end.
#include "camsimprocess.h"
#include "capturetesthelpers.h"
#include "hostilecamprocess.h"
#include "sanitizers.h"

#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<TAdvancedCaptureComponent> NetworkCamera(const QString &url)
{
    auto c = std::make_unique<TAdvancedCaptureComponent>();
    c->resize(160, 120);
    c->show();
    c->SetVideoSource(vs_IPCamera);
    c->SetIPCameraURL(url);
    c->SetOpenURLAsync(true);
    c->SetDisplayEmbedded(0, true);
    return c;
}

} // namespace

class TestCaptureReliability : public QObject
{
    Q_OBJECT
private slots:
    // Ten restarts of the camera, each away for one to three seconds: the picture is back within two
    // seconds of the camera's return every time, and no loss is reported (so the reconnection timer, 30 s
    // by default, never has to step in).
    void shortAbsencesAreBridged()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--fps", "10"}));
        auto c = NetworkCamera(QStringLiteral("http://127.0.0.1:%1/video.mjpg").arg(camera.Port()));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 3000);
        qint64 worst = 0;
        for (int away : {1000, 1500, 3000, 1000, 2000, 1000, 1200, 1000, 1500, 1000}) {
            camera.Stop();
            QTest::qWait(away);
            QVERIFY(camera.Start({"--fps", "10"}));
            const int before = events.Frames;
            QElapsedTimer back;
            back.start();
            QTRY_VERIFY_WITH_TIMEOUT(events.Frames > before, 4000);
            worst = std::max(worst, back.elapsed());
            QCOMPARE(c->CurrentState(), cs_Preview);
        }
        qInfo("slowest return of the picture: %lld ms", worst);
        QVERIFY(worst <= 2000);
        QCOMPARE(events.DeviceLost, 0);
    }

    // A snapshot camera fetches the failed picture again; a camera still away after the grace period is
    // reported lost.
    void snapshotCameraBridgesAnAbsenceAndLongOnesAreLost()
    {
        TCamSim camera;
        QVERIFY(camera.Start());
        auto c = NetworkCamera(QStringLiteral("http://127.0.0.1:%1/snapshot.jpg").arg(camera.Port()));
        c->SetIPCameraSetting(ips_LossGracePeriod, 2500);
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 3000);
        camera.Stop();
        QTest::qWait(1500);
        QVERIFY(camera.Start());
        const int before = events.Frames;
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > before, 2000);
        QCOMPARE(events.DeviceLost, 0);

        camera.Stop();
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(events.DeviceLost, 1, 5000);
        QVERIFY(clock.elapsed() >= 2000);
        QCOMPARE(c->CurrentState(), cs_Down);
    }

    // Each hostile answer ends in a failure or is simply waited out; meanwhile and after the source gave
    // up, memory stays bounded, and the component goes away at once.
    void hostileCameras_data()
    {
        QTest::addColumn<QString>("mode");
        for (const char *mode : {"garbage", "endless-header", "endless-part", "huge-length", "reset", "slowloris"})
            QTest::newRow(mode) << QString::fromLatin1(mode);
    }
    void hostileCameras()
    {
        QFETCH(QString, mode);
        THostileCamera server;
        QVERIFY(server.Started());
        const qint64 before = ResidentBytes();
        auto c = NetworkCamera(server.Url(mode));
        c->SetIPCameraSetting(ips_ConnectionTimeout, 1000);
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_COMPARE_WITH_TIMEOUT(c->CurrentState(), cs_Down, 5000);
        // Another attempt, as the reconnection timer makes; then the given-up attempts must cost nothing.
        c->StartPreview();
        QTest::qWait(1500);
        const qint64 grown = ResidentBytes() - before;
        qInfo("%s: memory grew by %lld MB", qPrintable(mode), grown >> 20);
        QVERIFY2(!ResidentMemoryBoundsHold || grown < 96 * 1024 * 1024, qPrintable(QString::number(grown >> 20) + " MB"));
        QCOMPARE(events.Frames, 0);
        QElapsedTimer clock;
        clock.start();
        c.reset();
        QVERIFY(clock.elapsed() < 1000);
    }

    // A camera that sends pictures as fast as it can is decoded about 30 times a second.
    void floodingCameraIsDecodedAtAboutThirtyFramesASecond()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--fps", "120", "--size", "160x120"}));
        auto c = NetworkCamera(QStringLiteral("http://127.0.0.1:%1/video.mjpg").arg(camera.Port()));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 0, 3000);
        const TVideoFrame first = c->LatestFrame();
        QTest::qWait(2000);
        const TVideoFrame last = c->LatestFrame();
        const double seconds = (last.Time - first.Time) / 1e7;
        const double rate = (last.Number - first.Number) / seconds;
        qInfo("decoded %.1f pictures a second", rate);
        QVERIFY(rate > 5 && rate < 36);
    }

    // A camera that declares one boundary and uses another still shows its picture.
    void cameraUsingAnotherBoundaryGoesLive()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath("frame.jpg");
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(EncodeJpeg(SolidFrame(QSize(64, 48), Qt::green)));
        file.close();
        THostileCamera server(picture);
        QVERIFY(server.Started());
        auto c = NetworkCamera(server.Url("wrong-boundary"));
        TEventRecorder events(*c);
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames > 2, 3000);
        QCOMPARE(c->LatestFrame().Image.size(), QSize(64, 48));
    }
};

QTEST_MAIN(TestCaptureReliability)
#include "tst_capturereliability.moc"
