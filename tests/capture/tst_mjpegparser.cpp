#include "capture/mjpegparser.h"
#include "testpaths.h"

#include <QFile>
#include <QtTest>

namespace {

struct TPart
{
    qsizetype Size = 0;
    size_t Hash = 0;
    bool operator==(const TPart &o) const { return Size == o.Size && Hash == o.Hash; }
};

QList<TPart> ParseInChunks(const QByteArray &body, qsizetype chunk, QByteArrayView boundary,
                           qsizetype *maxBuffered = nullptr)
{
    TMjpegParser parser(boundary);
    QList<TPart> parts;
    for (qsizetype at = 0; at < body.size(); at += chunk) {
        parser.Feed(QByteArrayView(body).sliced(at, std::min(chunk, body.size() - at)),
                    [&](QByteArrayView part) { parts.append({part.size(), qHash(part)}); });
        if (maxBuffered)
            *maxBuffered = std::max(*maxBuffered, parser.BufferedBytes());
    }
    return parts;
}

QList<QByteArray> ParseWhole(const QByteArray &body, QByteArrayView boundary = "ffmpeg")
{
    TMjpegParser parser(boundary);
    QList<QByteArray> parts;
    parser.Feed(body, [&](QByteArrayView part) { parts.append(part.toByteArray()); });
    return parts;
}

QByteArray Jpeg(char fill, int size = 300)
{
    return QByteArray("\xFF\xD8") + QByteArray(size - 4, fill) + QByteArray("\xFF\xD9");
}

QByteArray Part(const QByteArray &body, const QByteArray &headers = "Content-Type: image/jpeg\r\n")
{
    return "--frame\r\n" + headers + "\r\n" + body + "\r\n";
}

QByteArray WithLength(const QByteArray &body)
{
    return Part(body, "Content-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n");
}

} // namespace

class TestMjpegParser : public QObject
{
    Q_OBJECT

    QByteArray m_ffmpeg;
    QList<TPart> m_reference;

private slots:
    void initTestCase()
    {
        QFile file(TestDataFile(QStringLiteral("ffmpeg-mpjpeg-body.bin")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_ffmpeg = file.readAll();
        // 19 parts, the last one cut off by the end of the capture: 18 whole pictures.
        const QList<QByteArray> parts = ParseWhole(m_ffmpeg);
        QCOMPARE(parts.size(), 18);
        for (const QByteArray &part : parts) {
            QVERIFY(part.startsWith("\xFF\xD8"));
            QVERIFY(part.endsWith("\xFF\xD9"));
            m_reference.append({part.size(), qHash(part)});
        }
    }

    // The real stream of ffmpeg's server split at every read size up to more than a whole part (its parts
    // are at most about 21 kB), then in growing steps up to the whole body, gives the same pictures.
    void ffmpegBodyInChunksOfEverySize()
    {
        QList<qsizetype> sizes;
        for (qsizetype n = 1; n <= 24 * 1024; ++n)
            sizes.append(n);
        for (qsizetype n = 24 * 1024 + 1; n <= m_ffmpeg.size(); n = n * 21 / 20 + 7)
            sizes.append(n);
        sizes.append(m_ffmpeg.size());
        for (qsizetype chunk : sizes) {
            qsizetype maxBuffered = 0;
            const QList<TPart> parts = ParseInChunks(m_ffmpeg, chunk, "ffmpeg", &maxBuffered);
            if (parts != m_reference)
                QFAIL(qPrintable(QStringLiteral("chunk size %1: %2 parts").arg(chunk).arg(parts.size())));
            // Never more than one picture (about 21 kB here) plus the chunk in hand is kept.
            QVERIFY2(maxBuffered <= 64 * 1024 + chunk, qPrintable(QString::number(chunk)));
        }
    }

    // Without Content-Length every picture runs to the next boundary line: same pictures, in any chunking.
    void ffmpegBodyWithoutContentLength()
    {
        QByteArray body = m_ffmpeg;
        static const QRegularExpression length(QStringLiteral("Content-length: \\d+\r\n"));
        body = QString::fromLatin1(body).remove(length).toLatin1();
        QVERIFY(body.size() < m_ffmpeg.size());
        // The 18th picture ends at the 19th boundary line; the cut-off 19th part never ends.
        for (qsizetype chunk : {1, 2, 3, 7, 64, 1000, 4096, 65536, int(body.size())}) {
            const QList<TPart> parts = ParseInChunks(body, chunk, "ffmpeg");
            QCOMPARE(parts, m_reference);
        }
    }

    void boundaryFromContentType_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("boundary");
        QTest::newRow("plain") << QByteArray("multipart/x-mixed-replace;boundary=ffmpeg") << QByteArray("ffmpeg");
        QTest::newRow("quoted, spaced") << QByteArray("multipart/x-mixed-replace; boundary=\"my frame\"")
                                        << QByteArray("my frame");
        QTest::newRow("letter case, more params")
            << QByteArray("Multipart/X-Mixed-Replace; charset=x; BOUNDARY=--myboundary ; q=1")
            << QByteArray("--myboundary");
        QTest::newRow("none") << QByteArray("multipart/x-mixed-replace") << QByteArray();
    }

    void boundaryFromContentType()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, boundary);
        QCOMPARE(TMjpegParser::BoundaryFromContentType(contentType), boundary);
    }

    // What real cameras send besides the textbook: every stream must give pictures a, b, c in order.
    void framingVariants_data()
    {
        QTest::addColumn<QByteArray>("declared");
        QTest::addColumn<QByteArray>("stream");
        const QByteArray a = Jpeg('a'), b = Jpeg('b'), c = Jpeg('c');
        QTest::newRow("textbook") << QByteArray("frame") << WithLength(a) + WithLength(b) + WithLength(c)
                                                             + "--frame--\r\n";
        QTest::newRow("declared with dashes") << QByteArray("--frame") << WithLength(a) + WithLength(b) + WithLength(c);
        QTest::newRow("quoted declaration") << QByteArray("\"frame\"") << WithLength(a) + WithLength(b) + WithLength(c);
        QTest::newRow("four dashes in the body")
            << QByteArray("frame") << "----" + WithLength(a).mid(2) + "----" + WithLength(b).mid(2) + "--" + WithLength(c).mid(2);
        QTest::newRow("header letter case")
            << QByteArray("frame")
            << Part(a, "CONTENT-LENGTH: 300\r\n") + Part(b, "content-length:300\r\n") + Part(c, "Content-length : 300\r\n");
        QTest::newRow("no content length") << QByteArray("frame") << Part(a) + Part(b) + Part(c) + "--frame\r\n";
        QTest::newRow("bare LF line ends")
            << QByteArray("frame")
            << QByteArray("--frame\nContent-Type: image/jpeg\n\n") + a + "\n--frame\n\n" + b + "\n--frame\n\n" + c
                   + "\n--frame--\n";
        QTest::newRow("junk before the first part")
            << QByteArray("frame") << QByteArray("HTTP junk\r\n--fram\r\n-- frame\r\n") + WithLength(a) + WithLength(b) + WithLength(c);
        QTest::newRow("closing boundary, then more") << QByteArray("frame")
                                                     << WithLength(a) + "--frame--\r\n" + WithLength(b) + WithLength(c);
        QTest::newRow("empty part") << QByteArray("frame") << WithLength(a) + "--frame\r\n" + WithLength(b) + WithLength(c);
        QTest::newRow("declared boundary never used")
            << QByteArray("declared") << QByteArray("junk\r\n--x\r\nX: y\r\n") + WithLength(a) + Part(b) + WithLength(c);
        QTest::newRow("boundary learnt from the stream") << QByteArray() << WithLength(a) + Part(b) + Part(c) + "--frame\r\n";
        QTest::newRow("token prefix is not a boundary")
            << QByteArray("frame") << WithLength(a) + "--frameX\r\n" + WithLength(b) + WithLength(c);
        QTest::newRow("no empty line before the picture")
            << QByteArray("frame") << WithLength(a) + "--frame\r\nContent-Length: 300\r\n" + b + "\r\n" + WithLength(c);
        QTest::newRow("garbage header block")
            << QByteArray("frame") << WithLength(a) + "--frame\r\n" + QByteArray(20000, 'h') + "\r\n" + WithLength(b) + WithLength(c);
        QTest::newRow("absurd content length")
            << QByteArray("frame") << WithLength(a) + Part(Jpeg('x'), "Content-Length: 99999999999\r\n") + WithLength(b) + WithLength(c);
    }

    void framingVariants()
    {
        QFETCH(QByteArray, declared);
        QFETCH(QByteArray, stream);
        const QList<QByteArray> expected{Jpeg('a'), Jpeg('b'), Jpeg('c')};
        QCOMPARE(ParseWhole(stream, declared), expected);
        for (qsizetype chunk : {1, 5, 17}) {
            QList<QByteArray> parts;
            TMjpegParser parser(declared);
            for (qsizetype at = 0; at < stream.size(); at += chunk)
                parser.Feed(QByteArrayView(stream).sliced(at, std::min(chunk, stream.size() - at)),
                            [&](QByteArrayView p) { parts.append(p.toByteArray()); });
            QCOMPARE(parts, expected);
        }
    }

    // A Content-Length that is too long ends at the boundary line inside it; one that is too short cuts the
    // picture (the decoder refuses it) and the stream goes on at the next boundary line.
    void wrongContentLength()
    {
        const QByteArray x = Jpeg('x');
        const QByteArray stream = Part(x, "Content-Length: 900\r\n") + Part(x, "Content-Length: 100\r\n")
                                  + WithLength(Jpeg('b'));
        for (qsizetype chunk : {1, 3, 4096}) {
            QList<QByteArray> parts;
            TMjpegParser parser("frame");
            for (qsizetype at = 0; at < stream.size(); at += chunk)
                parser.Feed(QByteArrayView(stream).sliced(at, std::min(chunk, stream.size() - at)),
                            [&](QByteArrayView p) { parts.append(p.toByteArray()); });
            QCOMPARE(parts, (QList<QByteArray>{x, x.left(100), Jpeg('b')}));
        }
    }

    // A part without Content-Length that never ends is dropped at the size limit; memory stays bounded and
    // the next part comes through.
    void endlessPartIsDroppedAndMemoryStaysBounded()
    {
        TMjpegParser parser("frame");
        QList<QByteArray> parts;
        const auto collect = [&](QByteArrayView p) { parts.append(p.toByteArray()); };
        parser.Feed("--frame\r\nContent-Type: image/jpeg\r\n\r\n\xFF\xD8", collect);
        const QByteArray filler(1024 * 1024, 'z');
        qsizetype maxBuffered = 0;
        for (int i = 0; i < 40; ++i) {
            parser.Feed(filler, collect);
            maxBuffered = std::max(maxBuffered, parser.BufferedBytes());
        }
        QVERIFY(maxBuffered <= TMjpegParser::MaxPartSize + filler.size() + 1024);
        QVERIFY(parser.BufferedBytes() < 1024 * 1024);
        QCOMPARE(parser.DroppedParts(), 1);
        parser.Feed("\r\n" + WithLength(Jpeg('a')), collect);
        QCOMPARE(parts, QList<QByteArray>{Jpeg('a')});
    }

    // Data that never holds a boundary is not kept.
    void junkWithoutBoundaryIsNotKept()
    {
        for (QByteArrayView boundary : {QByteArrayView("frame"), QByteArrayView()}) {
            TMjpegParser parser(boundary);
            int count = 0;
            for (int i = 0; i < 100; ++i)
                parser.Feed(QByteArray(100000, char('A' + i % 20)), [&](QByteArrayView) { ++count; });
            QCOMPARE(count, 0);
            QVERIFY(parser.BufferedBytes() < 1024);
        }
    }
};

QTEST_GUILESS_MAIN(TestMjpegParser)
#include "tst_mjpegparser.moc"
