#include "monitorfixture.h"

#include "runtime/siren.h"
#include "manualclock.h"

#include <QCoreApplication>
#include <QtTest>

namespace {

// A player whose file plays for 8 s of manual-clock time and then pauses at its end.
struct TFakePlayer : TSirenPlayer
{
    TDateTime start, endsAt = 0;
    QString fileName;
    int volume = -1;
    bool playing = false, closed = false;
    QList<double> plays; // seconds since start

    explicit TFakePlayer(TDateTime begin) : start(begin) { SetSirenPlayer(this); }
    ~TFakePlayer() override { SetSirenPlayer(nullptr); }
    void SetPlayerFileName(const QString &name) override { fileName = name; }
    void SetAudioVolume(int value) override { volume = value; }
    void OpenPlayer() override { RunPlayer(); }
    void RunPlayer() override
    {
        playing = true;
        plays << qRound64((Now() - start) * 86400.0);
        endsAt = Now() + 8 * dt::OneSecond;
    }
    void Stop() override { playing = false; }
    void ClosePlayer() override { closed = true; }
    bool IsPlaying() const override { return playing; }

    // Moves the clock on in half seconds, reporting each end of file as the player does.
    void Advance(TManualClock &clock, double seconds)
    {
        for (double done = 0; done < seconds; done += 0.5) {
            clock.AddSeconds(0.5);
            if (playing && Now() >= endsAt - dt::OneMillisecond)
                playing = false, SirenPlayerPaused();
        }
    }
};

} // namespace

// One camera setup for every case: the manual clock at 12:00 and the fake player installed.
struct TSirenRig
{
    TRuntimeFixture f{At(2024, 5, 1, 12, 0)};
    TFakePlayer player{f.start};

    TCamera &Camera(const QString &title, int duration, int delayMin)
    {
        TCamera &camera = f.AddCamera(title);
        camera.alarm_PlayAudioAlarm = true;
        camera.alarm_SoundIndex = 2;
        camera.alarm_Volume = 7;
        camera.alarm_DurationOfAlarm_sec = duration;
        camera.alarm_DelayBetweenSoundAlarms_min = delayMin;
        return camera;
    }
    void Advance(double seconds) { player.Advance(f.clock, seconds); }
};

class TestSiren : public QObject
{
    Q_OBJECT
private slots:
    void volumeRoundsTiesToEven()
    {
        QList<int> volumes;
        for (int v : {0, 1, 3, 5, 7, 10, -1, 12})
            volumes << SirenVolume(v);
        QCOMPARE(volumes, (QList<int>{0, 6554, 19660, 32768, 45874, 65535, 0, 65535}));
    }

    void repeatsWholeFilesUntilTheDurationEnds_data()
    {
        QTest::addColumn<int>("duration");
        QTest::addColumn<QList<double>>("plays");
        QTest::newRow("duration 0 plays once") << 0 << QList<double>{0};
        QTest::newRow("20 s with an 8 s file") << 20 << QList<double>{0, 8, 16};
        QTest::newRow("end of file exactly at the stop time") << 16 << QList<double>{0, 8};
    }
    void repeatsWholeFilesUntilTheDurationEnds()
    {
        QFETCH(int, duration);
        QFETCH(QList<double>, plays);
        TSirenRig r;
        TCamera &door = r.Camera("Door", duration, 0);
        CameraMotionDetected(door, 0.5);
        r.Advance(60);
        QCOMPARE(r.player.plays, plays);
        QCOMPARE(r.player.fileName, QCoreApplication::applicationDirPath() + "/2.wav");
        QCOMPARE(r.player.volume, 45874);
        QCOMPARE(r.f.log.Take(), QStringList{"ALARM on camera Door: Sirene is enabled"});
    }

    void delayIsProgramWide()
    {
        TSirenRig r;
        TCamera &a = r.Camera("A", 0, 5);
        TCamera &b = r.Camera("B", 0, 5);
        CameraMotionDetected(a, 0.5);
        r.Advance(180); // 12:03
        CameraMotionDetected(b, 0.5);
        r.f.clock.Set(At(2024, 5, 1, 12, 5, 0));
        CameraMotionDetected(b, 0.5);
        QCOMPARE(r.player.plays.size(), 1);
        r.f.clock.Set(At(2024, 5, 1, 12, 5, 1));
        CameraMotionDetected(b, 0.5);
        QCOMPARE(r.player.plays, (QList<double>{0, 301}));
        QCOMPARE(r.f.log.Take(), (QStringList{"ALARM on camera A: Sirene is enabled", "ALARM on camera B: Sirene is enabled"}));
    }

    void noRestartWhilePlayingAndEarlyAllow()
    {
        TSirenRig r;
        TCamera &door = r.Camera("Door", 0, 0);
        CameraMotionDetected(door, 0.5);
        r.Advance(4);
        CameraMotionDetected(door, 0.5); // still playing
        r.Advance(6);
        door.alarm_DelayBetweenSoundAlarms_min = 30;
        CameraMotionDetected(door, 0.5); // the delay of the first siren was 0: at once again
        QCOMPARE(r.player.plays, (QList<double>{0, 10}));

        // Now held back by 30 minutes, unless monitoring is switched on meanwhile.
        r.Advance(10);
        CameraMotionDetected(door, 0.5);
        QCOMPARE(r.player.plays.size(), 2);
        App().SelCamIndex = 0;
        ToggleMonitoringOfSelectedCamera();
        r.f.clock.AddSeconds(1);
        CameraMotionDetected(door, 0.5);
        QCOMPARE(r.player.plays.size(), 3);
    }

    void stopAllLetsTheCurrentPlayFinish()
    {
        TSirenRig r;
        TCamera &door = r.Camera("Door", 60, 0);
        CameraMotionDetected(door, 0.5);
        r.Advance(4);
        StopAllDetectorsAndTimers();
        QVERIFY(r.player.playing);
        r.Advance(30);
        QCOMPARE(r.player.plays, QList<double>{0});
        CloseSirenPlayer();
        QVERIFY(r.player.closed);
    }
};

QTEST_GUILESS_MAIN(TestSiren)
#include "tst_siren.moc"
