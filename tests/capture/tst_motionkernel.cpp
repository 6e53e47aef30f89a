// The detector's fast scan against a plain per-pixel loop that follows the rules word by word, over random
// frames, grids, levels, steps, channels, filters and pixel formats, with every row kernel this processor has.
#include "capture/motionanalysis.h"
#include "capture/motiondetector.h"
#include "motionframes.h"

#include <QtTest>

#include <random>

namespace {

struct TTrial
{
    int Width = 0, Height = 0, Columns = 1, Rows = 1, Step = 1;
    QImage::Format Format = QImage::Format_RGB32;
    bool Blue = true, Green = true, Red = true, Grey = false, Noise = false;
    std::vector<int> Levels; // row after row

    int PixelBytes() const { return Format == QImage::Format_BGR888 ? 3 : 4; }
    QString Describe() const
    {
        return QStringLiteral("%1x%2 grid %3x%4 step %5 bpp %6 channels %7%8%9 grey %10 noise %11")
            .arg(Width).arg(Height).arg(Columns).arg(Rows).arg(Step).arg(PixelBytes())
            .arg(Blue ? "b" : "").arg(Green ? "g" : "").arg(Red ? "r" : "").arg(Grey).arg(Noise);
    }
};

struct TCounts
{
    std::vector<int> Changed, Compared;
};

// The scan as the rules state it: one sampled pixel at a time, the cells tracked along the way.
TCounts ReferenceScan(const QImage &frame, const QImage &base, const TTrial &t)
{
    auto roundHalfUp = [](double v) { return int(v + 0.5); };
    const int cellWidth = roundHalfUp(double(t.Width) / t.Columns);
    const int cellHeight = roundHalfUp(double(t.Height) / t.Rows);
    std::vector<int> xEnd(t.Columns), yEnd(t.Rows);
    for (int i = 0; i < t.Columns; ++i)
        xEnd[i] = i == t.Columns - 1 ? t.Width : cellWidth * (i + 1);
    for (int i = 0; i < t.Rows; ++i)
        yEnd[i] = i == t.Rows - 1 ? t.Height : cellHeight * (i + 1);

    TCounts counts{std::vector<int>(t.Levels.size()), std::vector<int>(t.Levels.size())};
    int cy = 0;
    for (int y = 0; y < t.Height - 1; y += t.Step) {
        if (cy < t.Rows - 1 && y > yEnd[cy])
            ++cy;
        int cx = 0;
        for (int x = 0; x < t.Width - 1; x += t.Step) {
            const int cell = cy * t.Columns + cx;
            if (cx < t.Columns - 1 && x > xEnd[cx])
                ++cx;
            const int level = t.Levels[cell];
            if (level == 0)
                continue;
            const int threshold = 256 - (level * 56) / 2;
            ++counts.Compared[cell];
            const uchar *a = frame.constScanLine(y) + x * t.PixelBytes();
            const uchar *b = base.constScanLine(y) + x * t.PixelBytes();
            auto differs = [&](int i) { return std::abs(int(a[i]) - int(b[i])) > threshold; };
            bool changed = false;
            if (t.Grey)
                changed = differs(0);
            else if (t.Blue && differs(0))
                changed = true;
            else if (t.Green && differs(1))
                changed = true;
            else if (t.Red && differs(2))
                changed = true;
            counts.Changed[cell] += changed;
        }
    }
    return counts;
}

// A frame as the work buffers hold it: smoothed inside a border kept from the reset frame, and/or grey.
QImage ReferencePrepare(const QImage &frame, const QImage &resetFrame, const TTrial &t)
{
    const int bpp = t.PixelBytes();
    QImage out = (t.Noise ? resetFrame : frame).copy();
    if (t.Noise)
        for (int y = 1; y < t.Height - 1; ++y)
            for (int x = 1; x < t.Width - 1; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            sum += frame.constScanLine(y + dy)[(x + dx) * bpp + c];
                    out.scanLine(y)[x * bpp + c] = uchar(sum / 9);
                }
    if (t.Grey)
        for (int y = 0; y < t.Height; ++y)
            for (int x = 0; x < t.Width; ++x) {
                uchar *p = out.scanLine(y) + x * bpp;
                p[0] = p[1] = p[2] = uchar((p[0] + p[1] + p[2]) / 3);
            }
    return out;
}

class TRandomFrames
{
public:
    explicit TRandomFrames(uint32_t seed) : Random(seed) {}
    std::mt19937 Random;

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(Random); }

    QImage First(const TTrial &t)
    {
        QImage image(t.Width, t.Height, t.Format);
        for (int y = 0; y < t.Height; ++y)
            for (int i = 0; i < t.Width * t.PixelBytes(); ++i)
                image.scanLine(y)[i] = uchar(Between(0, 255));
        return image;
    }

    // The next frame: some bytes move, mostly by amounts close to the thresholds.
    QImage Next(const QImage &previous, const TTrial &t, double share)
    {
        static const int near[] = {3, 4, 5, 31, 32, 33, 59, 60, 61, 87, 88, 89, 115, 116, 117, 143, 144, 145,
                                   171, 172, 173, 199, 200, 201, 227, 228, 229};
        QImage image = previous.copy();
        for (int y = 0; y < t.Height; ++y)
            for (int i = 0; i < t.Width * t.PixelBytes(); ++i) {
                if (!Chance(share))
                    continue;
                int delta = Chance(0.8) ? near[Between(0, std::size(near) - 1)] : Between(0, 255);
                if (Chance(0.5))
                    delta = -delta;
                uchar &byte = image.scanLine(y)[i];
                byte = uchar(std::clamp(int(byte) + delta, 0, 255));
            }
        return image;
    }

    TTrial Trial()
    {
        TTrial t;
        const bool wide = Chance(0.1);
        t.Width = wide ? Between(100, 700) : Between(1, 80);
        t.Height = wide ? Between(2, 40) : Between(1, 30);
        t.Columns = Chance(0.1) ? Between(1, 120) : Between(1, 12);
        t.Rows = Between(1, 9);
        t.Step = Chance(0.5) ? 1 : Between(1, 6);
        t.Format = Chance(0.25) ? QImage::Format_BGR888 : QImage::Format_RGB32;
        t.Blue = Chance(0.8);
        t.Green = Chance(0.8);
        t.Red = Chance(0.8);
        t.Grey = Chance(0.2);
        t.Noise = Chance(0.2);
        const double off = Chance(0.5) ? 0.2 : 0;
        for (int i = 0; i < t.Columns * t.Rows; ++i)
            t.Levels.push_back(Chance(off) ? 0 : Between(1, 9));
        return t;
    }
};

QString GridText(const TTrial &t)
{
    QString text;
    for (int y = 0; y < t.Rows; ++y) {
        if (y > 0)
            text += QLatin1Char(' ');
        for (int x = 0; x < t.Columns; ++x)
            text += QChar('0' + t.Levels[y * t.Columns + x]);
    }
    return text;
}

// Runs four frames of a trial through the detector and compares every count with the reference.
void RunTrial(const TTrial &t, TRandomFrames &random)
{
    TMotionDetector detector;
    detector.MotionDetector_SetGridSize(t.Columns, t.Rows);
    detector.SetMotionDetector_Grid(GridText(t));
    QVERIFY(detector.MotionDetector_IsGridValid());
    detector.SetMotionDetector_ReduceCPULoad(t.Step);
    detector.SetMotionDetector_CompareBlue(t.Blue);
    detector.SetMotionDetector_CompareGreen(t.Green);
    detector.SetMotionDetector_CompareRed(t.Red);
    detector.SetMotionDetector_GreyScale(t.Grey);
    detector.SetMotionDetector_ReduceVideoNoise(t.Noise);
    detector.SetMotionDetector_Enabled(true);

    const QImage first = random.First(t);
    QVERIFY(!Feed(detector, first).Analysed);
    QImage previous = first;
    QImage previousPrepared = ReferencePrepare(first, first, t);
    const double share = random.Chance(0.3) ? 0.01 : 0.3;
    for (int n = 1; n <= 3; ++n) {
        const QImage frame = random.Next(previous, t, share);
        const TMotionResult result = Feed(detector, frame);
        QVERIFY(result.Analysed);

        const bool filtered = t.Grey || t.Noise;
        const QImage prepared = filtered ? ReferencePrepare(frame, first, t) : frame;
        const TCounts expected = ReferenceScan(prepared, filtered ? previousPrepared : previous, t);
        qint64 changed = 0, compared = 0;
        int best = -1, bestCell = 0;
        for (int y = 0; y < t.Rows; ++y)
            for (int x = 0; x < t.Columns; ++x) {
                const int cell = y * t.Columns + x;
                const QString want = QStringLiteral("%1/%2").arg(expected.Changed[cell]).arg(expected.Compared[cell]);
                QVERIFY2(Counts(detector, x, y) == want,
                         qPrintable(QStringLiteral("%1, frame %2, cell %3,%4: %5 instead of %6")
                                        .arg(t.Describe()).arg(n).arg(x).arg(y).arg(Counts(detector, x, y), want)));
                changed += expected.Changed[cell];
                compared += expected.Compared[cell];
                if (expected.Changed[cell] > best) {
                    best = expected.Changed[cell];
                    bestCell = cell;
                }
            }
        QCOMPARE(result.Motion, changed > 0);
        QCOMPARE(result.GlobalMotionRatio, changed > 0 ? double(changed) / double(compared) : 0.0);
        QCOMPARE(result.MaxMotionCellX, changed > 0 ? bestCell % t.Columns : 0);
        QCOMPARE(result.MaxMotionCellY, changed > 0 ? bestCell / t.Columns : 0);
        previous = frame;
        previousPrepared = prepared;
    }
}

} // namespace

class TestMotionKernel : public QObject
{
    Q_OBJECT
private slots:
    void fastScanEqualsReference_data()
    {
        QTest::addColumn<int>("kernel");
        QTest::newRow("scalar") << int(TMotionKernelChoice::Scalar);
        QTest::newRow("sse2") << int(TMotionKernelChoice::Sse2);
        QTest::newRow("avx2") << int(TMotionKernelChoice::Avx2);
    }

    void fastScanEqualsReference()
    {
        QFETCH(int, kernel);
        if (!SetMotionKernel(TMotionKernelChoice(kernel)))
            QSKIP("this processor lacks the instruction set");
        TRandomFrames random(20240611);
        for (int i = 0; i < 400; ++i) {
            RunTrial(random.Trial(), random);
            if (QTest::currentTestFailed())
                break;
        }
        // Default options on a camera-sized frame: long runs through the vector loops.
        TTrial large;
        large.Width = 640;
        large.Height = 480;
        large.Columns = large.Rows = 10;
        large.Levels.assign(100, 5);
        large.Levels[13] = 9;
        large.Levels[47] = 0;
        RunTrial(large, random);
        SetMotionKernel(TMotionKernelChoice::Automatic);
    }

    void automaticChoiceUsesTheWidestKernel()
    {
        QVERIFY(SetMotionKernel(TMotionKernelChoice::Automatic));
#if OSTRIVO_MOTION_X86
        QCOMPARE(ActiveMotionKernel(), __builtin_cpu_supports("avx2") ? TMotionKernelChoice::Avx2
                                                                         : TMotionKernelChoice::Sse2);
#else
        QCOMPARE(ActiveMotionKernel(), TMotionKernelChoice::Scalar);
        QVERIFY(!SetMotionKernel(TMotionKernelChoice::Sse2));
#endif
    }
};

QTEST_GUILESS_MAIN(TestMotionKernel)
#include "tst_motionkernel.moc"
