// The IP camera catalogue reader: which lines make manufacturers and models, and what survives of faulty
// blocks.
#include "cameradialog/catalogue.h"

#include <QtTest>

namespace {

QStringList Brands(const TIPCamList &list)
{
    QStringList brands;
    for (const TIPCam &cam : list)
        brands << cam.Brand;
    return brands;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void onlyJpegAndMjpegModelsAndBrandsWithModelsRemain()
    {
        const TIPCamList list = ReadCatalogueLines({
            "<url version=\"Orphan\" Source=\"JPEG\" url=\"orphan.jpg\" />", // before any manufacturer
            "<Manufacturer name=\"Acme\">",
            "  <url version=\"A1\" Source=\"JPEG\" url=\"a1.jpg\" />",
            "  <url version=\"A2\" url=\"a2.mjpg\" Source=\"MJPEG\" />", // attribute order does not matter
            "  <url version=\"A3\" Source=\"RTSP\" url=\"a3.sdp\" />",
            "  <url version=\"A4\" Source=\"jpeg\" url=\"a4.jpg\" />", // markers are case-sensitive
            "  <url version=\"\" Source=\"JPEG\" url=\"empty.jpg\" />",
            "  <url version=\"A5\" Source=\"JPEG\" />", // no template: an empty one
            "</Manufacturer>",
            "<Manufacturer name=\"RtspOnly\">",
            "  <url version=\"R1\" Source=\"RTSP\" url=\"r1\" />",
            "</Manufacturer>",
            "<Manufacturer name=\"\">",
            "<Manufacturer name=\"Unclosed",
        });
        QCOMPARE(Brands(list), QStringList{"Acme"});
        QCOMPARE(list[0].Models, (QStringList{"A1", "A2", "A5"}));
        QCOMPARE(list[0].URLs, (QStringList{"a1.jpg", "a2.mjpg", ""}));
    }

    void duplicatesBlocksAndOneLineBlocks()
    {
        const TIPCamList list = ReadCatalogueLines({
            "<Manufacturer name=\"Acme\">",
            "  <url version=\"Cam\" Source=\"RTSP\" url=\"rtsp\" />",
            "  <url version=\"Cam\" Source=\"JPEG\" url=\"later.jpg\" />", // the earlier line did not count
            "  <url version=\"CAM\" Source=\"MJPEG\" url=\"dup.mjpg\" />", // same name in other case: dropped
            "</Manufacturer>",
            "<Manufacturer name=\"Acme\">", // the same name again: a second entry
            "  <url version=\"Other\" Source=\"JPEG\" url=\"other.jpg\" />",
            "</Manufacturer>",
            // A whole block on one line; the second entry of the line is not read.
            "<Manufacturer name=\"One\"><url version=\"O1\" Source=\"JPEG\" url=\"o1.jpg\" /><url version=\"O2\" Source=\"JPEG\" url=\"o2.jpg\" /></Manufacturer>",
            // The template is the value after the first url=" of the line, even inside another attribute.
            "<Manufacturer name=\"Q\"><url version=\"Q1\" alt_url=\"first.jpg\" url=\"second.jpg\" Source=\"JPEG\" /></Manufacturer>",
        });
        QCOMPARE(Brands(list), (QStringList{"Acme", "Acme", "One", "Q"}));
        QCOMPARE(list[0].Models, QStringList{"Cam"});
        QCOMPARE(list[0].URLs, QStringList{"later.jpg"});
        QCOMPARE(list[1].Models, QStringList{"Other"});
        QCOMPARE(list[2].Models, QStringList{"O1"});
        QCOMPARE(list[2].URLs, QStringList{"o1.jpg"});
        QCOMPARE(list[3].URLs, QStringList{"first.jpg"});
    }

    void aBlockLeftOpenKeepsItsBrandAndAnEmptyEndRestoresThePrevious()
    {
        const TIPCamList list = ReadCatalogueLines({
            "<Manufacturer name=\"First\">",
            "  <url version=\"F1\" Source=\"JPEG\" url=\"f1.jpg\" />",
            "<Manufacturer name=\"Open\">", // never closed, no models
            "<Manufacturer name=\"Empty\">",
            "</Manufacturer>", // removes "Empty": "Open" is current again
            "  <url version=\"O1\" Source=\"MJPEG\" url=\"o1.mjpg\" />",
            "<Manufacturer name=\"Dangling\">",
        });
        QCOMPARE(Brands(list), (QStringList{"First", "Open", "Dangling"}));
        QCOMPARE(list[1].Models, QStringList{"O1"});
        QVERIFY(list[2].Models.isEmpty());
    }

    void fileReadingAndLineEnds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ipcamdata.xml");
        QVERIFY(ReadCatalogueFile(path).isEmpty()); // missing file: empty, no message
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Manufacturer name=\"A\">\r\n<url version=\"M\" Source=\"JPEG\" url=\"m.jpg\" />\r"
                   "</Manufacturer>\n<Manufacturer name=\"B\">\n<url version=\"N\" Source=\"MJPEG\" url=\"n\" />\n"
                   "</Manufacturer>");
        file.close();
        const TIPCamList list = ReadCatalogueFile(path);
        QCOMPARE(Brands(list), (QStringList{"A", "B"}));
        QCOMPARE(list[0].URLs, QStringList{"m.jpg"});
    }

    void actualNameSplitting()
    {
        QCOMPARE(SplitActualName("Axis*211M").Brand, QString("Axis"));
        QCOMPARE(SplitActualName("Axis*211M").Model, QString("211M"));
        QCOMPARE(SplitActualName("A*B*C").Model, QString("B*C")); // split at the first star
        QCOMPARE(SplitActualName("NoStar").Brand, QString());
        QCOMPARE(SplitActualName("NoStar").Model, QString("NoStar"));
        QCOMPARE(SplitActualName("*").Brand, QString());
        QCOMPARE(JoinActualName("", ""), QString("*"));
        QCOMPARE(IndexOfText({"Alpha", "beta"}, "BETA"), 1);
        QCOMPARE(IndexOfText({"Alpha", "beta"}, "bet"), -1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
