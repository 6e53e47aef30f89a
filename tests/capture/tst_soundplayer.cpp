#include "capturetesthelpers.h"

#include "capture/soundplayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

using TChange = QPair<TPlayerState, TPlayerState>;

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(WriteWav(m_dir.filePath("siren.wav"), 0.6)); }

    void playsToPausedAtTheEndAndRunsAgain()
    {
        TSoundPlayer player;
        QList<TChange> changes;
        int repeats = 1; // the handler plays the file once more, as the siren does
        player.OnPlayerStateChanged = [&](TPlayerState oldState, TPlayerState newState) {
            changes << TChange(oldState, newState);
            if (newState == ps_Paused && repeats-- > 0)
                player.RunPlayer();
        };
        QCOMPARE(player.PlayerState(), ps_Closed);
        player.SetPlayerFileName(m_dir.filePath("siren.wav"));
        player.SetAudioVolume(32768);

        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.OpenPlayer());
        QCOMPARE(player.PlayerState(), ps_Playing);
        // Played by the handler once more, then paused at the end for good.
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 4, 15000);
        QCOMPARE(changes, (QList<TChange>{{ps_Closed, ps_Playing}, {ps_Playing, ps_Paused}, {ps_Paused, ps_Playing},
                                          {ps_Playing, ps_Paused}}));
        // Two plays of 0.6 s are real time, not an instant end (a little slack for the backend's clock).
        QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));

        // RunPlayer from outside a handler.
        QVERIFY(player.RunPlayer());
        QCOMPARE(player.PlayerState(), ps_Playing);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayerState(), ps_Paused, 10000);
        QCOMPARE(changes.size(), 6);

        player.ClosePlayer();
        QCOMPARE(player.PlayerState(), ps_Closed);
        QCOMPARE(changes.last(), TChange(ps_Paused, ps_Closed));
        QVERIFY(!player.RunPlayer()); // nothing open
    }

    void stopInTheMiddleAndReopen()
    {
        TSoundPlayer player;
        player.SetPlayerFileName(m_dir.filePath("siren.wav"));
        QVERIFY(player.OpenPlayer());
        player.Stop();
        QCOMPARE(player.PlayerState(), ps_Stopped);
        QTest::qWait(900); // no late end-of-file report after a stop
        QCOMPARE(player.PlayerState(), ps_Stopped);
        QVERIFY(player.OpenPlayer());
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayerState(), ps_Paused, 10000);
    }

    void missingOrBrokenFileDoesNotPlay()
    {
        TSoundPlayer player;
        QList<TChange> changes;
        player.OnPlayerStateChanged = [&](TPlayerState o, TPlayerState n) { changes << TChange(o, n); };
        player.SetPlayerFileName(m_dir.filePath("9.wav"));
        QVERIFY(!player.OpenPlayer());
        QCOMPARE(player.PlayerState(), ps_Stopped);
        QVERIFY(!player.LastError().isEmpty());

        // Not a sound: the player must not stay "playing" (the siren would never start again).
        QFile junk(m_dir.filePath("junk.wav"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4000, 'x'));
        junk.close();
        player.SetPlayerFileName(junk.fileName());
        player.OpenPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(player.PlayerState() != ps_Playing, 10000);
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
