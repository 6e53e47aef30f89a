#include "capture/jpegencoder.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Four coloured quadrants: any swap of channels, rows or columns shows.
QImage Quadrants(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(255, 255, 0));
    painter.end();
    return image.convertToFormat(format);
}

bool Near(QRgb actual, QRgb expected, int tolerance = 24)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class TestJpegEncoder : public QObject
{
    Q_OBJECT
private slots:
    void fileDecodesBackToThePicture_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("RGB32") << QImage::Format_RGB32 << QSize(640, 480);
        QTest::newRow("RGB32 odd size") << QImage::Format_RGB32 << QSize(321, 243);
        QTest::newRow("RGB888") << QImage::Format_RGB888 << QSize(320, 240);
        QTest::newRow("ARGB32 premultiplied (converted)") << QImage::Format_ARGB32_Premultiplied << QSize(320, 240);
    }

    void fileDecodesBackToThePicture()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString file = dir.filePath("snap.jpg");
        const QImage source = Quadrants(size.width(), size.height(), format);
        TJpegEncoder encoder;
        QVERIFY2(encoder.EncodeToFile(source, 90, file), qPrintable(encoder.LastError()));
        QImage decoded(file, "JPG");
        QCOMPARE(decoded.size(), size);
        const int w = size.width(), h = size.height();
        QVERIFY(Near(decoded.pixel(w / 4, h / 4), qRgb(255, 0, 0)));
        QVERIFY(Near(decoded.pixel(3 * w / 4, h / 4), qRgb(0, 255, 0)));
        QVERIFY(Near(decoded.pixel(w / 4, 3 * h / 4), qRgb(0, 0, 255)));
        QVERIFY(Near(decoded.pixel(3 * w / 4, 3 * h / 4), qRgb(255, 255, 0)));
        // Nothing but the file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"snap.jpg"});
    }

    void qualityIsAppliedAndBufferGrows()
    {
        QImage noisy(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < noisy.height(); ++y)
            for (int x = 0; x < noisy.width(); ++x)
                noisy.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x + y * 3) % 255));
        TJpegEncoder encoder;
        QVERIFY(encoder.Encode(noisy, 10));
        const qsizetype low = encoder.Data().size();
        QVERIFY(encoder.Encode(noisy, 100));
        const qsizetype high = encoder.Data().size();
        QVERIFY(low * 3 < high);
        // The buffer is reused for a larger frame after a smaller one.
        QVERIFY(encoder.Encode(noisy.scaled(1280, 960), 100));
        QVERIFY(encoder.Data().size() > high);
    }

    void failuresAreReported()
    {
        TJpegEncoder encoder;
        QVERIFY(!encoder.Encode(QImage(), 80));
        QVERIFY(!encoder.LastError().isEmpty());
        QTemporaryDir dir;
        const QString file = dir.filePath("missing/snap.jpg");
        QVERIFY(!encoder.EncodeToFile(Quadrants(64, 48, QImage::Format_RGB32), 80, file));
        QVERIFY(!encoder.LastError().isEmpty());
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestJpegEncoder)
#include "tst_jpegencoder.moc"
