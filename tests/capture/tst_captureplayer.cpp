// The capture component's sound-file player and its local capture devices, on a machine that may have
// neither a sound device nor a camera.
#include "capturetesthelpers.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using TChange = QPair<TPlayerState, TPlayerState>;

class TestCapturePlayer : public QObject
{
    Q_OBJECT

private slots:
    // A short WAV plays, pauses at its end, plays again on RunPlayer; Stop and ClosePlayer end it. Every
    // change comes through the component's event on the UI thread and PlayerState follows it.
    void soundFilePlaysPausesAtItsEndAndPlaysAgain()
    {
        QTemporaryDir dir;
        QVERIFY(WriteWav(dir.filePath("siren.wav"), 0.4));
        TAdvancedCaptureComponent player;
        TEventRecorder events(player);
        QVERIFY(!player.RunPlayer());  // nothing open
        QCOMPARE(player.PlayerState(), ps_Closed);
        player.SetPlayerFileName(dir.filePath("siren.wav"));
        player.SetAudioVolume(30000);
        QVERIFY(player.OpenPlayer());
        QCOMPARE(player.PlayerState(), ps_Playing);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayerState(), ps_Paused, 10000);
        QCOMPARE(events.PlayerChanges, (QList<TChange>{{ps_Closed, ps_Playing}, {ps_Playing, ps_Paused}}));

        QVERIFY(player.RunPlayer());
        QCOMPARE(player.PlayerState(), ps_Playing);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayerState(), ps_Paused, 10000);

        QVERIFY(player.RunPlayer());
        player.Stop();  // stops the player too, though no picture runs
        QCOMPARE(player.PlayerState(), ps_Stopped);
        player.ClosePlayer();
        QCOMPARE(player.PlayerState(), ps_Closed);
        QCOMPARE(events.PlayerChanges.last(), TChange(ps_Stopped, ps_Closed));
        QVERIFY(events.AllOnUiThread);

        player.SetPlayerFileName(dir.filePath("missing.wav"));
        QVERIFY(!player.OpenPlayer());
        QVERIFY(player.PlayerState() != ps_Playing);
    }

    // Without a capture device: empty lists, negative indexes, a start that fails and leaves the component
    // down without reporting a lost camera, and none of it waits. The compressor is always there.
    void withoutCaptureDevicesNothingIsFoundAndNothingBlocks()
    {
        QElapsedTimer clock;
        clock.start();
        TAdvancedCaptureComponent c;
        TEventRecorder events(c);
        c.RefreshDevicesAndCompressorsLists();
        if (!c.VideoDevices().isEmpty())
            QSKIP("this machine has a capture device");
        QVERIFY(c.VideoDeviceIndex(QStringLiteral("USB2.0 Camera")) < 0);
        c.SetVideoDevice(c.VideoDeviceIndex(QStringLiteral("USB2.0 Camera")));
        QVERIFY(c.VideoDevice() < 0);
        c.SetVideoDevice(0);
        QVERIFY(c.VideoDevice() < 0);
        QVERIFY(c.VideoSizes().isEmpty());
        QVERIFY(c.VideoCompressorIndex(QStringLiteral("Xvid MPEG-4 Codec")) >= 0);
        QVERIFY(c.VideoCompressorIndex(QStringLiteral("DivX Pro")) < 0);

        c.SetVideoSource(vs_VideoCaptureDevice);
        c.StartPreview();
        QTRY_COMPARE_WITH_TIMEOUT(c.CurrentState(), cs_Down, 5000);
        QCOMPARE(events.DeviceLost, 0);
        QVERIFY(!c.StartRecording());
        QVERIFY2(clock.elapsed() < 8000, "device queries must not wait");
    }
};

QTEST_MAIN(TestCapturePlayer)
#include "tst_captureplayer.moc"
