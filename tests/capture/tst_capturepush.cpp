// Frames pushed by code (vs_JPEGsOrBitmaps) through the whole pipeline: motion events, frame sinks,
// back-pressure and a soak with corrupt pictures.
#include "capturetesthelpers.h"
#include "sanitizers.h"

#include <QMutex>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

std::unique_ptr<TAdvancedCaptureComponent> PushedCamera()
{
    auto c = std::make_unique<TAdvancedCaptureComponent>();
    c->resize(160, 120);
    c->SetVideoSource(vs_JPEGsOrBitmaps);
    c->SetDisplayAspectRatio(0, ar_Stretch);
    c->show();
    return c;
}

// Pushes, waiting while the component holds as many unprocessed frames as it takes.
bool PushJpegWaiting(TCaptureComponent &c, const QByteArray &jpeg, qint64 time)
{
    return QTest::qWaitFor([&] { return c.PushJPEG(jpeg, time); }, 5000);
}

bool PushFrameWaiting(TCaptureComponent &c, const QImage &frame, qint64 time)
{
    return QTest::qWaitFor([&] { return c.PushFrame(frame, time); }, 5000);
}

class TRecordingSink : public TFrameSink
{
public:
    void TakeFrame(const TVideoFrame &frame) override
    {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            onUiThread = true;
        QMutexLocker lock(&mutex);
        frames.append(frame);
    }
    QMutex mutex;
    QList<TVideoFrame> frames;
    std::atomic<bool> onUiThread{false};
};

} // namespace

class TestCapturePush : public QObject
{
    Q_OBJECT

private slots:
    // Every frame that passes the switched-on detector gives one motion event on the UI thread, with its
    // number and time stamp; none while the detector is off.
    void motionEventForEveryFrameWhileEnabled()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        QVERIFY(!c->PushJPEG(EncodeJpeg(SolidFrame({64, 48}, Qt::gray)), 0));  // not started: refused
        c->SetMotionDetector_Enabled(true);
        c->StartPreview();
        const QByteArray still = EncodeJpeg(SolidFrame({64, 48}, Qt::gray));
        for (int i = 1; i <= 6; ++i)
            QVERIFY(PushJpegWaiting(*c, still, i * 400000));
        QTRY_COMPARE(events.Motion.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QVERIFY(!events.Motion[i].Detected);  // a still scene
            QCOMPARE(events.Motion[i].Number, quint32(i + 1));
            QCOMPARE(events.Motion[i].Time, qint64(i + 1) * 400000);
        }
        QVERIFY(events.AllOnUiThread);
        QCOMPARE(c->AnalysedFrames(), quint64(5));  // the first frame has nothing to be compared with

        c->SetMotionDetector_Enabled(false);
        const int frames = events.Frames;
        for (int i = 0; i < 3; ++i)
            QVERIFY(PushJpegWaiting(*c, still, 0));
        QTRY_COMPARE(c->LatestFrame().Number, quint32(9));
        QTest::qWait(50);
        QCOMPARE(events.Motion.size(), 6);
        QVERIFY(events.Frames > frames);
        QCOMPARE(c->AnalysedFrames(), quint64(5));

        // Numbers count again from 1 after a restart.
        c->SetMotionDetector_Enabled(true);
        c->StopPreview();
        c->StartPreview();
        QVERIFY(PushJpegWaiting(*c, still, 7));
        QTRY_COMPARE(events.Motion.size(), 7);
        QCOMPARE(events.Motion.last().Number, quint32(1));
    }

    // The capture thread's time per stage is counted only once asked for, frame by frame: decoding for
    // JPEG pictures alone, nothing for a picture that cannot be decoded.
    void stageTimesCountOnlyOnceAskedFor()
    {
        auto c = PushedCamera();
        c->SetMotionDetector_Enabled(true);
        c->StartPreview();
        const QByteArray dark = EncodeJpeg(SolidFrame({640, 480}, Qt::darkGray));
        const QByteArray light = EncodeJpeg(SolidFrame({640, 480}, Qt::lightGray));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(PushJpegWaiting(*c, i % 2 ? dark : light, i));
        QTRY_COMPARE(c->LatestFrame().Number, quint32(3));
        TStageTimes times = c->StageTimes();
        QCOMPARE(times.Frames, quint64(0));
        QCOMPARE(times.DecodeNs + times.DetectNs + times.DisplayNs, qint64(0));

        c->TimeStages();
        for (int i = 4; i <= 7; ++i)
            QVERIFY(PushJpegWaiting(*c, i % 2 ? dark : light, i));
        QTRY_COMPARE(c->StageTimes().Frames, quint64(4));
        times = c->StageTimes();
        QVERIFY(times.DecodeNs > 0);
        QVERIFY(times.DetectNs > 0);

        QVERIFY(PushJpegWaiting(*c, "not a picture", 8));
        QVERIFY(PushFrameWaiting(*c, SolidFrame({640, 480}, Qt::white), 9));
        QVERIFY(PushFrameWaiting(*c, SolidFrame({640, 480}, Qt::black), 10));
        QTRY_COMPARE(c->StageTimes().Frames, quint64(6));
        const TStageTimes after = c->StageTimes();
        QCOMPARE(after.DecodeNs, times.DecodeNs);
        QVERIFY(after.DetectNs > times.DetectNs);
        QCOMPARE(c->AnalysedFrames(), quint64(8));  // the first frame and the broken picture are not compared
    }

    // A whole-frame change on the default grid (10 x 10, level 5: threshold 116) moves every sampled
    // pixel: ratio 1.0. Pictures pushed as bitmaps, one of them 24-bit BGR.
    void motionRatioOfAWholeFrameChange()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        c->SetMotionDetector_Enabled(true);
        c->StartPreview();
        const QImage dark = SolidFrame({80, 60}, QColor(40, 40, 40));
        const QImage bright = SolidFrame({80, 60}, QColor(220, 220, 220));
        QVERIFY(PushFrameWaiting(*c, dark, 1));
        QVERIFY(PushFrameWaiting(*c, dark.convertToFormat(QImage::Format_BGR888), 2));
        QVERIFY(PushFrameWaiting(*c, dark, 3));
        QVERIFY(PushFrameWaiting(*c, bright, 4));
        QVERIFY(PushFrameWaiting(*c, bright, 5));
        QTRY_COMPARE(events.Motion.size(), 5);
        QVERIFY(events.AllOnUiThread);
        if (std::none_of(events.Motion.begin(), events.Motion.end(), [](const auto &m) { return m.Detected; }))
            QSKIP("the motion detector here is the stand-in that never reports motion");
        for (int i : {0, 1, 2, 4})
            QVERIFY2(!events.Motion[i].Detected, qPrintable(QString::number(i)));
        QVERIFY(events.Motion[3].Detected);
        QCOMPARE(events.Motion[3].Ratio, 1.0);
        QCOMPARE(events.Motion[3].Number, quint32(4));
        QCOMPARE(events.Motion[3].Time, qint64(4));
    }

    // Sinks take every frame on the capture thread, with the -1 overlays and without the -2 ones.
    void frameSinksTakeEveryFrameWithFrameOverlaysOnly()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        const auto sink = std::make_shared<TRecordingSink>();
        c->AddFrameSink(sink);
        for (int slot : {0, 1}) {
            c->SetTextOverlay_Selector(slot);
            c->SetTextOverlay_String(QStringLiteral("MMMM"));
            c->TextOverlay_Font().Size = 20;
            c->TextOverlay_Font().Color = slot == 0 ? Qt::white : Qt::red;
            c->SetTextOverlay_TargetDisplay(slot == 0 ? TargetDisplay_InFrames : TargetDisplay_LiveOnly);
            c->SetTextOverlay_Enabled(true);
        }
        QCoreApplication::processEvents();
        c->StartPreview();
        const QByteArray black = EncodeJpeg(SolidFrame({160, 120}, Qt::black));
        for (int i = 0; i < 5; ++i)
            QVERIFY(PushJpegWaiting(*c, black, i));
        QVERIFY(PushJpegWaiting(*c, "not a picture", 5));
        QTRY_COMPARE(c->LatestFrame().Number, quint32(5));
        QMutexLocker lock(&sink->mutex);
        QCOMPARE(sink->frames.size(), 5);
        QVERIFY(!sink->onUiThread);
        for (const TVideoFrame &f : sink->frames) {
            QVERIFY(CountPixels(f.Image, f.Image.rect(), Qt::white) > 20);
            QCOMPARE(CountPixels(f.Image, f.Image.rect(), Qt::red, 60), 0);
        }
        lock.unlock();
        c->RemoveFrameSink(sink);
        QVERIFY(PushJpegWaiting(*c, black, 6));
        QTRY_COMPARE(c->LatestFrame().Number, quint32(6));
        QCOMPARE(sink->frames.size(), 5);
    }

    // Pushing faster than the capture thread decodes is refused beyond a few frames instead of queueing.
    void pushesBeyondTheBoundAreRefused()
    {
        auto c = PushedCamera();
        c->StartPreview();
        const QByteArray big = EncodeJpeg(SolidFrame({1280, 720}, Qt::darkGreen));
        int accepted = 0;
        for (int i = 0; i < 100; ++i)
            accepted += c->PushJPEG(big, i) ? 1 : 0;
        QVERIFY2(accepted < 50, qPrintable(QString::number(accepted)));
        QVERIFY(accepted >= TCaptureShared::MaxPendingPushes);
        QTRY_COMPARE(c->LatestFrame().Number, quint32(accepted));
    }

    // 1000 frames, one in five broken in one of several ways, while the detector runs: no crash, every good
    // frame comes through, and memory stays where it was after the first hundred.
    void soakWithCorruptFramesKeepsMemoryFlat()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        c->SetMotionDetector_Enabled(true);
        c->StartPreview();
        QImage scene = SolidFrame({640, 480}, QColor(30, 60, 90));
        QList<QByteArray> good;
        for (int i = 0; i < 4; ++i) {
            QImage moved = scene;
            moved.fill(QColor(30 + i * 40, 60, 90));
            good.append(EncodeJpeg(moved, 80));
        }
        QByteArray garbage(20000, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xFF);
        QByteArray scrambled = good[0];
        for (qsizetype i = scrambled.size() / 3; i < 2 * scrambled.size() / 3; ++i)
            scrambled[i] = char(i * 31);
        QByteArray badHeader = good[1];
        badHeader[5] = char(0xFF);  // APP0 length ruined
        const QList<QByteArray> corrupt{good[0].left(good[0].size() / 2), garbage, scrambled, badHeader,
                                        QByteArray("\xFF\xD8\xFF\xD9", 4)};

        qint64 baseline = 0;
        int goodPushed = 0;
        for (int i = 0; i < 1000; ++i) {
            const bool broken = i % 5 == 4;
            QVERIFY(PushJpegWaiting(*c, broken ? corrupt[(i / 5) % corrupt.size()] : good[i % 4], i * 100000));
            goodPushed += broken ? 0 : 1;
            if (i == 99) {
                QTRY_VERIFY(c->LatestFrame().Number >= quint32(goodPushed - 20));
                baseline = ResidentBytes();
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(c->LatestFrame().Number >= quint32(goodPushed - 3), 5000);
        QTest::qWait(100);
        const qint64 growth = ResidentBytes() - baseline;
        QVERIFY2(!ResidentMemoryBoundsHold || growth < 8 * 1024 * 1024, qPrintable(QStringLiteral("resident memory grew by %1 kB").arg(growth / 1024)));
        QCOMPARE(c->CurrentState(), cs_Preview);
        QVERIFY(events.Frames > 10);
        // Scrambled data may still decode; everything else broken is skipped.
        QVERIFY(c->LatestFrame().Number <= quint32(goodPushed + 40));
        QVERIFY(events.Motion.size() >= 790);
    }
};

QTEST_MAIN(TestCapturePush)
#include "tst_capturepush.moc"
