// The picture buffers shared by all cameras: a buffer is reused only once every copy of its picture is gone,
// also when the last copy goes on another thread, and the spares kept are bounded. Frames are processed in
// turns.
#include "capture/framebuffers.h"
#include "capture/jpegdecoder.h"

#include <QBuffer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class TestFrameBuffers : public QObject
{
    Q_OBJECT

private slots:
    void bufferComesBackWhenTheLastCopyIsGone()
    {
        const QSize size(320, 240);
        QImage picture = TakeFramePicture(size);
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.format(), QImage::Format_RGB32);
        QVERIFY(picture.isDetached());
        picture.fill(Qt::red);
        const uchar *bits = picture.constBits();
        const int spare = SpareFrameBuffers();

        QImage shown = picture;  // the display slot keeps the frame
        picture = QImage();
        QCOMPARE(SpareFrameBuffers(), spare);
        // Held: a new picture never gets this buffer, and writing it leaves the held frame alone.
        QImage next = TakeFramePicture(size);
        QVERIFY(next.constBits() != bits);
        next.fill(Qt::blue);
        QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::red));

        shown = QImage();
        QCOMPARE(SpareFrameBuffers(), spare + 1);
        QImage reused = TakeFramePicture(size);
        QCOMPARE(reused.constBits(), bits);
        QCOMPARE(SpareFrameBuffers(), spare);
    }

    // The display slot on the UI thread often drops a frame last.
    void lastCopyDroppedOnAnotherThread()
    {
        const QSize size(64, 48);
        QImage picture = TakeFramePicture(size);
        const uchar *bits = picture.constBits();
        const int spare = SpareFrameBuffers();
        std::thread other([copy = picture]() mutable { copy = QImage(); });
        picture = QImage();
        other.join();
        QCOMPARE(SpareFrameBuffers(), spare + 1);
        QCOMPARE(TakeFramePicture(size).constBits(), bits);
    }

    void sparesAreBounded()
    {
        const int before = SpareFrameBuffers();  // of other sizes
        std::vector<QImage> pictures;
        for (int i = 0; i < 3 * MaxSpareFrameBuffers; ++i)
            pictures.push_back(TakeFramePicture(QSize(96, 64)));
        pictures.clear();
        QVERIFY(SpareFrameBuffers() > before);
        QVERIFY(SpareFrameBuffers() <= before + MaxSpareFrameBuffers);
        QVERIFY(TakeFramePicture(QSize()).isNull());
    }

    // Decoded frames come from the shared buffers: two decoders (two cameras) take turns with one buffer.
    void decodersShareBuffers()
    {
        QImage source(160, 120, QImage::Format_RGB32);
        source.fill(QColor(40, 80, 120));
        QByteArray jpeg;
        {
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(source.save(&buffer, "JPG"));
        }
        TJpegDecoder first, second;
        TFramePool firstPool, secondPool;
        QImage frame;
        QVERIFY(first.Decode(jpeg, firstPool, frame));
        const uchar *bits = frame.constBits();
        frame = QImage();
        QVERIFY(second.Decode(jpeg, secondPool, frame));
        QCOMPARE(frame.constBits(), bits);
        QVERIFY(qAbs(frame.pixelColor(80, 60).blue() - 120) < 8);
    }

    // With every turn taken the next frame waits until one is given back; when none comes in time it goes
    // ahead without one, and giving back never frees more turns than were taken.
    void framesWaitForATurn()
    {
        QVERIFY(FrameTurns() >= 1);
        std::vector<std::unique_ptr<TFrameTurn>> held;
        for (int i = 0; i < FrameTurns(); ++i) {
            held.push_back(std::make_unique<TFrameTurn>());
            QVERIFY(held.back()->Held());
        }
        std::atomic<int> waiter{0};  // 0 waiting, 1 got a turn, 2 went ahead without
        std::thread camera([&] {
            const TFrameTurn turn;
            waiter = turn.Held() ? 1 : 2;
        });
        QTest::qWait(200);
        QCOMPARE(waiter.load(), 0);
        held.pop_back();
        camera.join();
        QCOMPARE(waiter.load(), 1);

        // The waiter gave its turn back: all are taken again, and a frame without one gives none back.
        held.push_back(std::make_unique<TFrameTurn>());
        QVERIFY(held.back()->Held());
        for (int i = 0; i < 2; ++i) {
            const TFrameTurn late;
            QVERIFY(!late.Held());
        }
    }
};

QTEST_MAIN(TestFrameBuffers)
#include "tst_framebuffers.moc"
