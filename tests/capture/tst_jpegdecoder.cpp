// Camera pictures that lie about themselves: a small file that claims a huge picture, a picture beyond the
// supported size, data that ends before the picture does. None of them may cost a buffer; real pictures
// with harmless oddities still decode. The frame pool keeps only what large pictures really need.
#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray Encode(int width, int height, bool noisy, int quality = 85)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, noisy ? random.generate() : qRgb(x % 256, y % 256, 90));
    TJpegEncoder encoder;
    return encoder.Encode(image, quality) ? encoder.Data().toByteArray() : QByteArray();
}

// The same data with another size in its frame header.
QByteArray WithDeclaredSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width);
    return jpeg;
}

} // namespace

class TestJpegDecoder : public QObject
{
    Q_OBJECT
private slots:
    void liesAreRefusedWithoutABuffer_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QString>("reason");
        const QByteArray small = Encode(64, 48, false);
        const QByteArray noisy = Encode(640, 480, true);
        QTest::newRow("9 KB claiming 7680 x 4320") << WithDeclaredSize(noisy.left(9000) + "\xFF\xD9", 7680, 4320)
                                                  << "unsupported picture size";
        QTest::newRow("small file claiming 4096 x 3072") << WithDeclaredSize(small, 4096, 3072) << "cannot hold";
        QTest::newRow("data ends before the picture") << noisy.left(noisy.size() / 2) + "\xFF\xD9" << "premature end";
    }
    void liesAreRefusedWithoutABuffer()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(QString, reason);
        QVERIFY(!jpeg.isEmpty());
        TJpegDecoder decoder;
        TFramePool pool;
        const qint64 keptBefore = pool.KeptBytes();  // the buffers are shared with the rows before
        QImage out;
        QVERIFY(!decoder.Decode(jpeg, pool, out));
        QVERIFY2(decoder.LastError().contains(reason, Qt::CaseInsensitive), qPrintable(decoder.LastError()));
        QVERIFY(out.isNull());
        QVERIFY(pool.KeptBytes() - keptBefore <= 640 * 480 * 4);
        // The decoder goes on with the next good picture.
        QVERIFY(decoder.Decode(Encode(32, 16, false), pool, out));
        QCOMPARE(out.size(), QSize(32, 16));
    }

    void realPicturesStillDecode()
    {
        TJpegDecoder decoder;
        TFramePool pool;
        QImage out;
        // A flat picture compresses to very little: still far above the plausibility bound.
        const QByteArray flat = Encode(1920, 1080, false, 10);
        QVERIFY(decoder.Decode(flat, pool, out));
        QCOMPARE(out.size(), QSize(1920, 1080));
        // Stray bytes before the end marker give a warning only.
        QByteArray stray = Encode(320, 240, true);
        stray.insert(stray.size() - 2, QByteArray(10, '\x11'));
        QVERIFY2(decoder.Decode(stray, pool, out), qPrintable(decoder.LastError()));
        QCOMPARE(out.size(), QSize(320, 240));
    }

    void poolKeepsFewLargeBuffers()
    {
        TFramePool pool;
        QList<QImage> inUse;
        for (int i = 0; i < 6; ++i)
            inUse.append(pool.Take(QSize(3000, 3000)));
        inUse.clear();  // the buffers go back as the pictures go
        QCOMPARE(pool.Size(), 2);  // 36 MB each: two kept, not six
        for (int i = 0; i < 6; ++i)
            pool.Take(QSize(640, 480));
        QVERIFY(pool.KeptBytes() <= TFramePool::MaxKeptBytes);
    }
};

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
