// The pictures shipped beside the program: the two 64 x 64 overlay icons drawn over camera pictures
// with black as the transparent colour, and the toolbar icons.
#include <QImage>
#include <QTest>
#include <QXmlStreamReader>

#include "datafiles.h"

namespace {

// Share of pixels that show something bright after black has been made transparent.
double BrightShare(const QImage &image)
{
    int bright = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 128 && qMax(c.red(), qMax(c.green(), c.blue())) >= 128)
                ++bright;
        }
    return double(bright) / (image.width() * image.height());
}

} // namespace

class TstIconsData : public QObject {
    Q_OBJECT

private slots:
    void overlayIcons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("radar") << QStringLiteral("radar.png");
        QTest::newRow("timer") << QStringLiteral("timer.png");
    }

    void overlayIcons()
    {
        QFETCH(QString, name);
        const QImage image(DataFilePath(name));
        QVERIFY2(!image.isNull(), qPrintable(name + " does not load"));
        QCOMPARE(image.size(), QSize(64, 64));
        // The background must be exactly black, or it shows as a dark square over the picture.
        for (const QPoint p : {QPoint(0, 0), QPoint(63, 0), QPoint(0, 63), QPoint(63, 63)})
            QCOMPARE(image.pixelColor(p), QColor(Qt::black));
        QVERIFY(BrightShare(image) > 0.08);
    }

    void toolbarIcons_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"add-camera", "remove-camera", "edit-camera", "monitoring-start",
                                 "monitoring-stop", "fullscreen", "camera-layout", "settings", "help"})
            QTest::newRow(name) << QStringLiteral("icons/%1.svg").arg(QLatin1String(name));
    }

    void toolbarIcons()
    {
        QFETCH(QString, name);
        READ_DATA_FILE(bytes, name);
        QXmlStreamReader xml(bytes);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QStringLiteral("svg"));
        QCOMPARE(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 32 32"));
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

        QImage image;
        QVERIFY2(image.loadFromData(bytes, "svg"), "the SVG image plugin cannot draw it");
        QCOMPARE(image.size(), QSize(32, 32));
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += argb.pixelColor(x, y).alpha() > 128;
        QVERIFY2(opaque > 32 * 32 / 5, "the icon draws almost nothing");
    }
};

QTEST_GUILESS_MAIN(TstIconsData)
#include "tst_icons_data.moc"
