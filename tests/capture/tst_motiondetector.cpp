// The detector's per-frame rules on small hand-built frames whose counts are worked out by hand.
#include "capture/motiondetector.h"
#include "motionframes.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// An enabled detector on a 1 x 1 grid at `level`, already initialised with `base`.
void StartOneCell(TMotionDetector &detector, int level, const QImage &base)
{
    detector.MotionDetector_SetGridSize(1, 1);
    detector.MotionDetector_ResetGlobalSensitivity(level);
    detector.SetMotionDetector_Enabled(true);
    QVERIFY(!Feed(detector, base).Analysed);
}

} // namespace

class TestMotionDetector : public QObject
{
    Q_OBJECT
private slots:
    void differenceMustExceedTheThresholdAtEveryLevel()
    {
        // A 2 x 2 frame samples only its top left pixel.
        for (int level = 0; level <= 9; ++level) {
            const int threshold = 256 - 28 * level;
            TMotionDetector detector;
            StartOneCell(detector, level, SolidFrame(2, 2, 0, 0, 0));
            if (level == 0) {
                const TMotionResult result = Feed(detector, SolidFrame(2, 2, 255, 255, 255));
                QVERIFY(result.Analysed && !result.Motion);
                QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/0")); // a cell that is off is not compared
                continue;
            }
            QVERIFY(!Feed(detector, SolidFrame(2, 2, 0, threshold, 0)).Motion);
            QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/1"));
            QVERIFY(!Feed(detector, SolidFrame(2, 2, 0, 0, 0)).Motion); // the same difference downwards
            const TMotionResult up = Feed(detector, SolidFrame(2, 2, 0, 0, threshold + 1));
            QVERIFY2(up.Motion, qPrintable(QString::number(level)));
            QCOMPARE(up.GlobalMotionRatio, 1.0);
            QCOMPARE(Counts(detector, 0, 0), QStringLiteral("1/1"));
            QVERIFY(Feed(detector, SolidFrame(2, 2, 0, 0, 0)).Motion);
        }
    }

    void cellBoundariesOf640x480On10x10()
    {
        for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
            TMotionDetector detector;
            detector.SetMotionDetector_Enabled(true);
            const QImage black = SolidFrame(640, 480, 0, 0, 0, format);
            Feed(detector, black);
            QImage frame = black;
            // Column cell 0 holds x = 0..65 (65 is the first beyond 64, still counted before moving);
            // row cell 0 holds y = 0..48 (the move comes before the row whose y exceeds 48).
            for (QPoint p : {QPoint(65, 10), QPoint(66, 10), QPoint(10, 48), QPoint(10, 49), QPoint(638, 478),
                             QPoint(639, 100), QPoint(100, 479)}) // the last two are never sampled
                SetBgr(frame, p.x(), p.y(), 255, 255, 255);
            const TMotionResult result = Feed(detector, frame);
            QVERIFY(result.Motion);
            QCOMPARE(Counts(detector, 0, 0), QStringLiteral("2/3234")); // 66 x 49
            QCOMPARE(Counts(detector, 1, 0), QStringLiteral("1/3136")); // 64 x 49
            QCOMPARE(Counts(detector, 0, 1), QStringLiteral("1/3168")); // 66 x 48
            QCOMPARE(Counts(detector, 5, 5), QStringLiteral("0/3072")); // 64 x 48
            QCOMPARE(Counts(detector, 9, 9), QStringLiteral("1/2806")); // x 578..638, y 433..478
            QCOMPARE(result.GlobalMotionRatio, 5.0 / (639.0 * 479.0));
            QCOMPARE(QPoint(result.MaxMotionCellX, result.MaxMotionCellY), QPoint(0, 0));
        }
    }

    void cellBoundariesOf100WideOn8()
    {
        TMotionDetector detector;
        detector.MotionDetector_SetGridSize(8, 1);
        detector.SetMotionDetector_Enabled(true);
        Feed(detector, SolidFrame(100, 2, 0, 0, 0));
        QVERIFY(Feed(detector, SolidFrame(100, 2, 200, 200, 200)).Motion);
        // Ends at 13, 26, ..., 91 and 100: cell 0 takes x = 0..14, the middle ones 13 each, the last 93..98.
        const QStringList expected = {"15/15", "13/13", "13/13", "13/13", "13/13", "13/13", "13/13", "6/6"};
        for (int x = 0; x < 8; ++x)
            QCOMPARE(Counts(detector, x, 0), expected[x]);
    }

    void lastRowAndColumnAreNeverSampled()
    {
        TMotionDetector detector;
        StartOneCell(detector, 9, SolidFrame(4, 3, 0, 0, 0));
        QImage frame = SolidFrame(4, 3, 0, 0, 0);
        for (int i = 0; i < 4; ++i)
            SetBgr(frame, i, 2, 255, 255, 255);
        for (int i = 0; i < 3; ++i)
            SetBgr(frame, 3, i, 255, 255, 255);
        const TMotionResult result = Feed(detector, frame);
        QVERIFY(result.Analysed && !result.Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/6"));
    }

    void samplingStep()
    {
        TMotionDetector detector;
        detector.MotionDetector_SetGridSize(2, 2);
        detector.SetMotionDetector_ReduceCPULoad(3);
        detector.SetMotionDetector_Enabled(true);
        Feed(detector, SolidFrame(10, 10, 0, 0, 0));
        // Samples x, y = 0, 3, 6. Cells end at 5: x = 6 is still taken by column cell 0, which then moves on
        // with nothing left for cell 1; y = 6 moves to row cell 1 before it is scanned.
        QImage frame = SolidFrame(10, 10, 0, 0, 0);
        SetBgr(frame, 3, 3, 200, 200, 200);
        SetBgr(frame, 6, 6, 200, 200, 200);
        SetBgr(frame, 4, 4, 200, 200, 200); // not sampled
        SetBgr(frame, 9, 0, 200, 200, 200); // not sampled
        QVERIFY(Feed(detector, frame).Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("1/6"));
        QCOMPARE(Counts(detector, 0, 1), QStringLiteral("1/3"));
        QCOMPARE(Counts(detector, 1, 0), QStringLiteral("0/0"));
        QCOMPARE(Counts(detector, 1, 1), QStringLiteral("0/0"));

        // Steps below 1 are ignored (and request no reset).
        detector.SetMotionDetector_ReduceCPULoad(0);
        detector.SetMotionDetector_ReduceCPULoad(-4);
        QCOMPARE(detector.MotionDetector_ReduceCPULoad(), 3);
        QVERIFY(Feed(detector, frame).Analysed);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/6"));
    }

    void channelSelection()
    {
        TMotionDetector detector;
        StartOneCell(detector, 9, SolidFrame(2, 2, 50, 50, 50));
        detector.SetMotionDetector_CompareBlue(false);
        detector.SetMotionDetector_CompareGreen(false);
        QVERIFY(Feed(detector, SolidFrame(2, 2, 250, 0, 50)).Analysed); // channels are read at every frame
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/1"));
        QVERIFY(Feed(detector, SolidFrame(2, 2, 250, 0, 55)).Motion);

        detector.SetMotionDetector_CompareRed(false);
        const TMotionResult none = Feed(detector, SolidFrame(2, 2, 0, 255, 0));
        QVERIFY(none.Analysed && !none.Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("0/1"));
    }

    void greyscaleComparesTheGreyValue()
    {
        TMotionDetector detector;
        detector.SetMotionDetector_GreyScale(true);
        StartOneCell(detector, 9, SolidFrame(2, 2, 90, 90, 90));
        // Blue +30 and red -30 keep the grey value (90).
        QVERIFY(!Feed(detector, SolidFrame(2, 2, 120, 90, 60)).Motion);
        // Only the grey value counts, whichever channels are selected: green +15 makes it 95 (5 > 4).
        detector.SetMotionDetector_CompareBlue(false);
        detector.SetMotionDetector_CompareGreen(false);
        QVERIFY(Feed(detector, SolidFrame(2, 2, 90, 105, 90)).Motion);
        QVERIFY(!Feed(detector, SolidFrame(2, 2, 150, 105, 30)).Motion); // grey (285 / 3) is 95 again
        QVERIFY(!Feed(detector, SolidFrame(2, 2, 150, 107, 30)).Motion); // 287 / 3 rounds down to 95
    }

    void noiseReductionSmoothsAndKeepsTheBorder()
    {
        TMotionDetector detector;
        detector.SetMotionDetector_ReduceVideoNoise(true);
        StartOneCell(detector, 9, SolidFrame(5, 5, 100, 100, 100));
        // 16 sampled pixels, of which the 7 on the border keep the reset frame and never change.
        QVERIFY(Feed(detector, SolidFrame(5, 5, 200, 200, 200)).Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("9/16"));
        QVERIFY(Feed(detector, SolidFrame(5, 5, 50, 50, 50)).Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("9/16"));

        // A spike of 36 in the middle raises its nine neighbourhood means by 4 (not above 4), one of 45 by 5.
        QImage spike = SolidFrame(5, 5, 50, 50, 50);
        SetBgr(spike, 2, 2, 50, 86, 50);
        QVERIFY(!Feed(detector, spike).Motion);
        QVERIFY(!Feed(detector, SolidFrame(5, 5, 50, 50, 50)).Motion);
        SetBgr(spike, 2, 2, 50, 95, 50);
        QVERIFY(Feed(detector, spike).Motion);
        QCOMPARE(Counts(detector, 0, 0), QStringLiteral("9/16"));
    }

    void filteredStillSceneShowsNoMotionAfterReset()
    {
        // The first analysed frame after a reset is compared with the reset frame prepared the same way, not
        // with its raw copy: a still, colourful, noisy scene must stay quiet.
        QImage scene(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < scene.height(); ++y)
            for (int x = 0; x < scene.width(); ++x)
                scene.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 91) % 256, (x * y * 13) % 256));
        for (auto [grey, noise] : {std::pair(true, false), std::pair(false, true), std::pair(true, true)}) {
            TMotionDetector detector;
            detector.SetMotionDetector_GreyScale(grey);
            detector.SetMotionDetector_ReduceVideoNoise(noise);
            StartOneCell(detector, 9, scene);
            const TMotionResult result = Feed(detector, scene);
            QVERIFY(result.Analysed);
            QVERIFY(!result.Motion);
        }
    }

    void rateLimit()
    {
        TMotionDetector detector;
        detector.SetMotionDetector_MaxDetectionsPerSecond(2); // 5000000 units
        const QImage frame = SolidFrame(4, 4, 0, 0, 0);
        StartOneCell(detector, 5, frame);
        QVERIFY(Feed(detector, frame, 1000000).Analysed); // nothing analysed since the reset
        const TMotionResult skipped = Feed(detector, frame, 5999999);
        QVERIFY(skipped.SwitchedOn && !skipped.Analysed && !skipped.Motion);
        QVERIFY(Feed(detector, frame, 6000000).Analysed);
        // A pending reset is never held back.
        detector.MotionDetector_Reset();
        QVERIFY(!Feed(detector, frame, 6000001).Analysed);
        QVERIFY(Feed(detector, frame, 6000002).Analysed);
        QVERIFY(!Feed(detector, frame, 6000003).Analysed);
        QVERIFY(Feed(detector, frame, 5000).Analysed); // a clock that went back does not stall analysis
        // A restarted picture counts its time from 0 again.
        detector.PictureRestarted();
        QVERIFY(!Feed(detector, frame, 0).Analysed);
        QVERIFY(Feed(detector, frame, 10).Analysed);
        detector.SetMotionDetector_MaxDetectionsPerSecond(0);
        QVERIFY(Feed(detector, frame, 11).Analysed);
    }

    void triggeredMode()
    {
        TMotionDetector detector;
        detector.SetMotionDetector_Triggered(true);
        detector.SetMotionDetector_MaxDetectionsPerSecond(1);
        const QImage dark = SolidFrame(4, 4, 0, 0, 0), light = SolidFrame(4, 4, 200, 200, 200);
        detector.SetMotionDetector_Enabled(true);
        detector.MotionDetector_TriggerNow();
        QVERIFY(!Feed(detector, dark, 0).Analysed); // initialises the comparison only
        QVERIFY(Feed(detector, light, 1).Motion);   // the request made before still stands
        QVERIFY(!Feed(detector, dark, 2).Analysed);
        QVERIFY(!Feed(detector, light, 3).Analysed);
        detector.MotionDetector_TriggerNow();
        QVERIFY(Feed(detector, dark, 4).Motion); // not held back by the rate limit
        QVERIFY(!Feed(detector, light, 5).Analysed);
        detector.PictureRestarted();
        detector.MotionDetector_TriggerNow();
        QVERIFY(!Feed(detector, light, 0).Analysed);
        QVERIFY(!Feed(detector, light, 1).Motion);

        // Without triggered mode a trigger does nothing and frames run as usual.
        detector.SetMotionDetector_Triggered(false);
        detector.SetMotionDetector_MaxDetectionsPerSecond(0);
        QVERIFY(!Feed(detector, light, 2).Analysed); // switching requested a reset
        QVERIFY(Feed(detector, light, 3).Analysed);
        detector.MotionDetector_TriggerNow();
        detector.SetMotionDetector_Triggered(true);
        QVERIFY(!Feed(detector, light, 4).Analysed);
        QVERIFY(!Feed(detector, light, 5).Analysed);
    }

    void resetOccasions()
    {
        TMotionDetector detector;
        const QImage frame = SolidFrame(6, 6, 10, 20, 30);
        QVERIFY(!Feed(detector, frame).SwitchedOn);

        struct Step
        {
            const char *what;
            std::function<void()> change;
            bool resets;
        };
        const QList<Step> steps = {
            {"switched on", [&] { detector.SetMotionDetector_Enabled(true); }, true},
            {"greyscale", [&] { detector.SetMotionDetector_GreyScale(true); }, true},
            {"greyscale unchanged", [&] { detector.SetMotionDetector_GreyScale(true); }, false},
            {"noise reduction", [&] { detector.SetMotionDetector_ReduceVideoNoise(true); }, true},
            {"sampling step", [&] { detector.SetMotionDetector_ReduceCPULoad(2); }, true},
            {"triggered set", [&] { detector.SetMotionDetector_Triggered(false); }, true},
            {"reset", [&] { detector.MotionDetector_Reset(); }, true},
            {"grid size", [&] { detector.MotionDetector_SetGridSize(3, 3); }, true},
            {"channel", [&] { detector.SetMotionDetector_CompareRed(false); }, false},
            {"levels", [&] { detector.MotionDetector_ResetGlobalSensitivity(7); }, false},
            {"grid text", [&] { detector.SetMotionDetector_Grid(QStringLiteral("123 456 789")); }, false},
        };
        for (const Step &step : steps) {
            step.change();
            QVERIFY2(Feed(detector, frame).Analysed != step.resets, step.what);
            QVERIFY2(Feed(detector, frame).Analysed, step.what);
        }

        // A new frame size or pixel format re-initialises the comparison.
        QVERIFY(!Feed(detector, SolidFrame(7, 6, 10, 20, 30)).Analysed);
        QVERIFY(Feed(detector, SolidFrame(7, 6, 10, 20, 30)).Analysed);
        QVERIFY(!Feed(detector, SolidFrame(7, 6, 10, 20, 30, QImage::Format_BGR888)).Analysed);
        QVERIFY(Feed(detector, SolidFrame(7, 6, 10, 20, 30, QImage::Format_BGR888)).Analysed);
        QVERIFY(!Feed(detector, QImage()).SwitchedOn); // an empty frame is passed over

        detector.SetMotionDetector_Enabled(false);
        QVERIFY(!Feed(detector, frame).SwitchedOn);
        detector.SetMotionDetector_Enabled(true);
        QVERIFY(!Feed(detector, frame).Analysed);
    }

    void referenceSample()
    {
        TMotionDetector detector;
        QStringList log;
        detector.OnLog = [&](const QString &line) { log << line; };
        const QImage sample = SolidFrame(6, 4, 100, 100, 100);
        const QImage other = SolidFrame(6, 4, 0, 0, 0);
        StartOneCell(detector, 9, other);

        QVERIFY(detector.MotionDetector_UseThisReferenceSample(SolidFrame(5, 4, 0, 0, 0), QString(), QString()));
        QVERIFY(!Feed(detector, other).Analysed); // no base: re-initialises
        QCOMPARE(log, QStringList{QStringLiteral("reference sample rejected (does not match the current frame size)")});
        QVERIFY(Feed(detector, other).Analysed); // the sample is gone: compared with the last frame

        // Every frame is compared with the sample, not with the frame before it.
        QVERIFY(detector.MotionDetector_UseThisReferenceSample(sample, QString(), QString()));
        QVERIFY(Feed(detector, other).Motion);
        QVERIFY(Feed(detector, other).Motion);
        QVERIFY(!Feed(detector, sample).Motion);

        // From files: the BMP file first, then the JPEG file; an unreadable one is refused.
        QTemporaryDir dir;
        const QString bmp = dir.filePath(QStringLiteral("sample.bmp"));
        const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
        QVERIFY(other.save(bmp));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
        file.close();
        QVERIFY(detector.MotionDetector_UseThisReferenceSample(QImage(), bmp, broken));
        QVERIFY(!Feed(detector, other).Motion);
        QVERIFY(!detector.MotionDetector_UseThisReferenceSample(QImage(), dir.filePath("none.bmp"), broken));
        QVERIFY(!Feed(detector, other).Motion); // the refused file left the sample in place
        QVERIFY(Feed(detector, sample).Motion);
        QVERIFY(detector.MotionDetector_UseThisReferenceSample(QImage(), QString(), dir.filePath("none.jpg")));
        QVERIFY(Feed(detector, sample).Analysed);
        QVERIFY(!Feed(detector, sample).Motion); // no sample: compared with the frame before
        QCOMPARE(log.size(), 1);
    }

    void optionsChangeSafelyWhileFramesAreAnalysed()
    {
        // The capture thread analyses while this thread re-dimensions the grid and changes options: the
        // detector's lock must keep every scan on a consistent grid.
        TMotionDetector detector;
        detector.SetMotionDetector_Enabled(true);
        std::atomic<bool> stop = false;
        std::thread capture([&] {
            QImage frames[2] = {SolidFrame(64, 48, 0, 0, 0), SolidFrame(64, 48, 90, 90, 90)};
            for (int i = 0; !stop; ++i)
                Feed(detector, frames[i % 2], i);
        });
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; timer.elapsed() < 300; ++i) {
            detector.MotionDetector_SetGridSize(1 + i % 13, 1 + i % 7, i % 2 == 0);
            detector.MotionDetector_ResetGlobalSensitivity(i % 10);
            detector.SetMotionDetector_GreyScale(i % 3 == 0);
            detector.SetMotionDetector_ReduceVideoNoise(i % 5 == 0);
            detector.SetMotionDetector_ReduceCPULoad(1 + i % 4);
            detector.MotionDetector_Get2DTextMotion();
            detector.MotionDetector_CellColorIntensity(0, 0, 0);
            QThread::usleep(50);
        }
        stop = true;
        capture.join();
        detector.MotionDetector_SetGridSize(2, 2);
        detector.MotionDetector_ResetGlobalSensitivity(9);
        detector.SetMotionDetector_GreyScale(false);
        detector.SetMotionDetector_ReduceVideoNoise(false);
        detector.SetMotionDetector_ReduceCPULoad(1);
        Feed(detector, SolidFrame(64, 48, 0, 0, 0), 1000000000);
        QVERIFY(Feed(detector, SolidFrame(64, 48, 90, 90, 90), 2000000000).Motion);
        QCOMPARE(Counts(detector, 1, 1), QStringLiteral("638/638")); // x 34..62, y 25..46
    }
};

QTEST_GUILESS_MAIN(TestMotionDetector)
#include "tst_motiondetector.moc"
