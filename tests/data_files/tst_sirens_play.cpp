// The shipped siren sounds play to their end through the capture component's sound-file player, as the
// siren uses them (works without a sound device).
#include "capture/capturecomponent.h"
#include "testpaths.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

class TestSirensPlay : public QObject
{
    Q_OBJECT

private slots:
    void everySirenPlaysToItsEnd()
    {
        TAdvancedCaptureComponent player;
        for (int n = 0; n < 5; ++n) {
            const QString file = BuiltFile(QStringLiteral("%1.wav").arg(n));
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
            player.SetPlayerFileName(file);
            player.SetAudioVolume(32768);
            QElapsedTimer clock;
            clock.start();
            QVERIFY2(player.OpenPlayer(), qPrintable(file));
            QCOMPARE(player.PlayerState(), ps_Playing);
            QTRY_COMPARE_WITH_TIMEOUT(player.PlayerState(), ps_Paused, 10000);
            // The sounds last 2 to 4 s and play in real time, also into the fallback sink.
            QVERIFY2(clock.elapsed() > 1500, qPrintable(QStringLiteral("%1 ended after %2 ms").arg(file).arg(clock.elapsed())));
            player.ClosePlayer();
            QCOMPARE(player.PlayerState(), ps_Closed);
        }
    }
};

QTEST_MAIN(TestSirensPlay)
#include "tst_sirens_play.moc"
