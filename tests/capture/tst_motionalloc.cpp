// Analysing frames of an unchanged size allocates no memory: malloc, calloc and realloc are counted here
// (this program's definitions take the place of the C library's for every library it loads).
#include "capture/motiondetector.h"
#include "motionframes.h"

#include <QtTest>

#include <atomic>

static std::atomic<bool> Counting = false;
static std::atomic<int> Allocations = 0;

// A sanitizer owns the allocator and keeps this program from taking malloc's place: nothing is counted then
// (see initTestCase).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" void *__libc_malloc(size_t size);
extern "C" void *__libc_calloc(size_t count, size_t size);
extern "C" void *__libc_realloc(void *pointer, size_t size);

extern "C" void *malloc(size_t size)
{
    if (Counting)
        ++Allocations;
    return __libc_malloc(size);
}

extern "C" void *calloc(size_t count, size_t size)
{
    if (Counting)
        ++Allocations;
    return __libc_calloc(count, size);
}

extern "C" void *realloc(void *pointer, size_t size)
{
    if (Counting)
        ++Allocations;
    return __libc_realloc(pointer, size);
}
#endif

class TestMotionAlloc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("allocations cannot be counted under a sanitizer, which owns the allocator");
#endif
    }

    void countingSeesQtAllocations()
    {
        Counting = true;
        QImage image(64, 64, QImage::Format_RGB32);
        QStringList list{QStringLiteral("a")};
        Counting = false;
        QVERIFY(Allocations.exchange(0) >= 2);
    }

    void steadyStateAllocatesNothing_data()
    {
        QTest::addColumn<int>("options");
        QTest::newRow("defaults") << 0;
        QTest::newRow("greyscale and noise reduction") << 1;
        QTest::newRow("step 2, 24-bit") << 2;
        QTest::newRow("reference sample") << 3;
        QTest::newRow("rate limit") << 4;
    }

    void steadyStateAllocatesNothing()
    {
        QFETCH(int, options);
        const QImage::Format format = options == 2 ? QImage::Format_BGR888 : QImage::Format_RGB32;
        TVideoFrame frames[2];
        frames[0].Image = SolidFrame(320, 240, 10, 20, 30, format);
        frames[1].Image = SolidFrame(320, 240, 10, 20, 30, format);
        for (int y = 100; y < 140; ++y)
            for (int x = 100; x < 200; ++x)
                SetBgr(frames[1].Image, x, y, 250, 250, 250);

        TMotionDetector detector;
        detector.SetMotionDetector_GreyScale(options == 1);
        detector.SetMotionDetector_ReduceVideoNoise(options == 1);
        detector.SetMotionDetector_ReduceCPULoad(options == 2 ? 2 : 1);
        if (options == 3)
            detector.MotionDetector_UseThisReferenceSample(frames[0].Image, QString(), QString());
        detector.SetMotionDetector_MaxDetectionsPerSecond(options == 4 ? 5 : 0);
        detector.SetMotionDetector_Enabled(true);
        int motions = 0;
        for (int i = 0; i < 40; ++i) {
            TVideoFrame &frame = frames[i % 2];
            frame.Time = i * 1000000LL;
            if (i == 10)
                Counting = true;
            motions += detector.ProcessFrame(frame).Motion;
        }
        Counting = false;
        QCOMPARE(Allocations.exchange(0), 0);
        QVERIFY(motions > 5);
    }
};

QTEST_GUILESS_MAIN(TestMotionAlloc)
#include "tst_motionalloc.moc"
