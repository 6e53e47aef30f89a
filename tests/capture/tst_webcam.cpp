#include "capture/webcamsource.h"

#include <QElapsedTimer>
#include <QCameraDevice>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QtTest>

#include <cstring>

namespace {

// A Qt Multimedia picture of 4x2 pixels in a packed 32-bit format: top row red, bottom row blue, written
// byte by byte in the format's own order.
QVideoFrame PackedFrame(QVideoFrameFormat::PixelFormat format, const char order[4])
{
    QVideoFrame frame(QVideoFrameFormat(QSize(4, 2), format));
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    for (int y = 0; y < 2; ++y) {
        uchar *line = frame.bits(0) + y * frame.bytesPerLine(0);
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 4; ++c) // red on top, blue below, green 0, X 255
                line[x * 4 + c] = order[c] == 'R' ? (y == 0 ? 255 : 0) : order[c] == 'B' ? (y == 0 ? 0 : 255)
                                                                        : order[c] == 'G' ? 0 : 255;
    }
    frame.unmap();
    return frame;
}

// A planar YUV 4:2:0 picture in one colour (BT.601 studio range values of pure red).
QVideoFrame RedYuvFrame()
{
    QVideoFrame frame(QVideoFrameFormat(QSize(16, 8), QVideoFrameFormat::Format_YUV420P));
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    const uchar values[3] = {81, 90, 240};
    for (int plane = 0; plane < 3; ++plane)
        std::memset(frame.bits(plane), values[plane], size_t(frame.mappedBytes(plane)));
    frame.unmap();
    return frame;
}

} // namespace

class TestWebcam : public QObject
{
    Q_OBJECT
private slots:
    void picturesBecomeRgb32Frames_data()
    {
        QTest::addColumn<QVideoFrame>("source");
        QTest::newRow("BGRX") << PackedFrame(QVideoFrameFormat::Format_BGRX8888, "BGRX");
        QTest::newRow("RGBX") << PackedFrame(QVideoFrameFormat::Format_RGBX8888, "RGBX");
    }

    void picturesBecomeRgb32Frames()
    {
        QFETCH(QVideoFrame, source);
        QVERIFY(source.isValid());
        TVideoFrame frame;
        QVERIFY(ConvertVideoFrame(source, frame));
        QCOMPARE(frame.Image.format(), QImage::Format_RGB32);
        QCOMPARE(frame.Image.size(), QSize(4, 2));
        QCOMPARE(frame.Image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(frame.Image.pixel(3, 0), qRgb(255, 0, 0));
        QCOMPARE(frame.Image.pixel(0, 1), qRgb(0, 0, 255));

        // A second picture of the same size reuses the frame's pixels.
        const uchar *before = frame.Image.constBits();
        QVERIFY(ConvertVideoFrame(source, frame));
        QCOMPARE(frame.Image.constBits(), before);
    }

    void planarYuvIsConverted()
    {
        TVideoFrame frame;
        QVERIFY(ConvertVideoFrame(RedYuvFrame(), frame));
        QCOMPARE(frame.Image.format(), QImage::Format_RGB32);
        QCOMPARE(frame.Image.size(), QSize(16, 8));
        const QRgb pixel = frame.Image.pixel(5, 5);
        QVERIFY(qRed(pixel) > 220 && qGreen(pixel) < 30 && qBlue(pixel) < 30);
        QVERIFY(!ConvertVideoFrame(QVideoFrame(), frame));
    }

    void withoutDevicesNothingIsFoundAndNothingBlocks()
    {
        if (!QMediaDevices::videoInputs().isEmpty())
            QSKIP("this machine has a capture device");
        QElapsedTimer clock;
        clock.start();
        TWebcamSource source;
        source.RefreshDevices();
        QVERIFY(source.VideoDeviceNames().isEmpty());
        QCOMPARE(source.VideoDevices(), QString());
        QVERIFY(source.VideoDeviceIndex("USB2.0 Camera") < 0);
        source.SetVideoDevice(source.VideoDeviceIndex("USB2.0 Camera"));
        QVERIFY(source.VideoDevice() < 0);
        source.SetVideoDevice(0);
        QVERIFY(source.VideoDevice() < 0);
        QCOMPARE(source.VideoSizes(), QString());
        source.SetVideoSize(2);
        QVERIFY(source.VideoSize() < 0);
        QVERIFY(!source.Start());
        QVERIFY(!source.IsRunning());
        QVERIFY(!source.LastError().isEmpty());
        source.Stop();
        TMediaDeviceWatcher watcher;
        QVERIFY2(clock.elapsed() < 5000, "device queries must not wait");
    }

    void aPresentDeviceDeliversFrames()
    {
        TWebcamSource source;
        if (source.VideoDeviceNames().isEmpty())
            QSKIP("no capture device on this machine");
        source.SetVideoDevice(0);
        QCOMPARE(source.VideoDeviceIndex(source.VideoDeviceNames().first().toUpper()), 0);
        QAtomicInt frames;
        source.OnFrame = [&](const TVideoFrame &frame) {
            if (frame.Image.format() == QImage::Format_RGB32 && frame.Number > 0)
                frames.ref();
        };
        QVERIFY2(source.Start(), qPrintable(source.LastError()));
        QTRY_VERIFY_WITH_TIMEOUT(frames.loadRelaxed() >= 3, 10000);
        source.Stop();
        const int stopped = frames.loadRelaxed();
        QTest::qWait(300);
        QCOMPARE(frames.loadRelaxed(), stopped);
    }
};

QTEST_MAIN(TestWebcam)
#include "tst_webcam.moc"
