#include "capture/avirecorder.h"
#include "capture/encodersettings.h"
#include "capture/encodersettingsdialog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr qint64 Second = 10000000;

// Red upper half, blue lower half, and a white bar that moves with the frame number (so the encoder sees
// motion).
QImage Picture(int width, int height, int number)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    QPainter painter(&image);
    painter.fillRect(0, height / 2, width, height - height / 2, QColor(0, 0, 255));
    painter.fillRect((number * 7) % width, height / 4, 8, height / 2, Qt::white);
    return image;
}

TVideoFrame Frame(int width, int height, int number, qint64 time)
{
    return TVideoFrame{Picture(width, height, number), time, quint32(number + 1)};
}

// A gradient with sensor-like noise that changes every frame, as a camera gives.
TVideoFrame NoisyFrame(int width, int height, int number, qint64 time)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random{quint32(number)};
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb((x + noise) & 255, (y + noise) & 255, (x + y) / 4 & 255);
        }
    }
    return TVideoFrame{image, time, quint32(number + 1)};
}

// Capture times of a source at `fps` over `seconds`, optionally with a stall (no frames) in between.
QList<qint64> Times(double fps, double seconds, double stallFrom = -1, double stallTo = -1)
{
    QList<qint64> times;
    for (int i = 0; i < int(std::lround(fps * seconds)); ++i) {
        const double t = i / fps;
        if (t >= stallFrom && t < stallTo)
            continue;
        times << qint64(t * Second);
    }
    return times;
}

QJsonObject Probe(const QString &file)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                 "stream=codec_name,codec_tag_string,nb_read_frames,r_frame_rate,width,height:format=duration",
                 "-of", "json", file});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return {};
    const QJsonObject all = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
    QJsonObject stream = all.value("streams").toArray().first().toObject();
    stream.insert("duration", all.value("format").toObject().value("duration").toString().toDouble());
    stream.insert("frames", stream.value("nb_read_frames").toString().toInt());
    return stream;
}

// The first picture of the file as decoded by ffmpeg.
QImage FirstPicture(const QString &file, int width, int height)
{
    QProcess decode;
    decode.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", file, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt",
                                            "rgb24", "-"});
    if (!decode.waitForFinished(30000) || decode.exitCode() != 0)
        return {};
    const QByteArray bytes = decode.readAllStandardOutput();
    if (bytes.size() != width * height * 3)
        return {};
    return QImage(reinterpret_cast<const uchar *>(bytes.constData()), width, height, width * 3,
                  QImage::Format_RGB888)
        .copy();
}

bool Near(QRgb actual, QColor expected, int tolerance = 40)
{
    return qAbs(qRed(actual) - expected.red()) <= tolerance && qAbs(qGreen(actual) - expected.green()) <= tolerance
        && qAbs(qBlue(actual) - expected.blue()) <= tolerance;
}

} // namespace

class TestAviRecorder : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    bool Record(const QString &file, const TAviRecorderOptions &options, const QList<qint64> &times, int width = 320,
                int height = 240, decltype(&Frame) frame = &Frame)
    {
        TAviRecorder recorder;
        if (!recorder.Open(file, options))
            return false;
        for (int i = 0; i < times.size(); ++i)
            if (!recorder.WriteFrame(frame(width, height, i, times[i])))
                return false;
        return recorder.Close();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
    }

    void compressorList()
    {
        QCOMPARE(AviCompressorNames(), QStringList{"Xvid MPEG-4 Codec"});
        QCOMPARE(AviCompressorIndex("Xvid MPEG-4 Codec"), 0);
        QVERIFY(AviCompressorIndex("Cinepak Codec by Radius") < 0);
        QVERIFY(AviCompressorIndex("") < 0);

        TAviRecorder recorder;
        TAviRecorderOptions options;
        options.CompressorIndex = 1;
        QVERIFY(!recorder.Open(Path("nocodec.avi"), options));
        QVERIFY(!recorder.LastError().isEmpty());
        QVERIFY(!QFile::exists(Path("nocodec.avi")));
    }

    void realSpeedFiles_data()
    {
        QTest::addColumn<bool>("compress");
        QTest::addColumn<double>("fps");
        QTest::addColumn<QList<qint64>>("times");
        QTest::addColumn<double>("expectedRate");
        QTest::newRow("mpeg4 10 fps") << true << 10.0 << Times(10, 10) << 10.0;
        QTest::newRow("mpeg4 25 fps") << true << 25.0 << Times(25, 10) << 25.0;
        QTest::newRow("uncompressed 25 fps") << false << 25.0 << Times(25, 10) << 25.0;
        QTest::newRow("uncompressed 10 fps") << false << 10.0 << Times(10, 10) << 10.0;
        QTest::newRow("mpeg4 7.5 fps") << true << 7.5 << Times(7.5, 10) << 7.5;
        // The camera froze for three seconds: the last picture stands for them.
        QTest::newRow("mpeg4 25 fps, stall") << true << 25.0 << Times(25, 10, 4, 7) << 25.0;
        // The rate was measured during preview (and is a little off): placement still keeps time.
        QTest::newRow("mpeg4 given rate") << true << 24.0 << Times(25, 10) << 24.0;
    }

    void realSpeedFiles()
    {
        QFETCH(bool, compress);
        QFETCH(double, fps);
        QFETCH(QList<qint64>, times);
        QFETCH(double, expectedRate);
        const QString file = Path(QStringLiteral("%1.avi").arg(QTest::currentDataTag()).replace(' ', '_'));
        TAviRecorderOptions options;
        options.Compress = compress;
        if (QByteArray(QTest::currentDataTag()).contains("given"))
            options.FrameRate = fps;
        QVERIFY(Record(file, options, times));

        const QJsonObject probe = Probe(file);
        QVERIFY2(!probe.isEmpty(), "ffprobe could not read the file");
        QCOMPARE(probe.value("codec_name").toString(), compress ? "mpeg4" : "rawvideo");
        if (compress)
            QCOMPARE(probe.value("codec_tag_string").toString(), "XVID");
        QCOMPARE(probe.value("width").toInt(), 320);
        QCOMPARE(probe.value("height").toInt(), 240);
        const double duration = probe.value("duration").toDouble();
        QVERIFY2(qAbs(duration - 10.0) <= 0.5, qPrintable(QString::number(duration)));
        const QStringList rate = probe.value("r_frame_rate").toString().split('/');
        QCOMPARE(rate.size(), 2);
        QCOMPARE(rate[0].toDouble() / rate[1].toDouble(), expectedRate);
        const int frames = probe.value("frames").toInt();
        QVERIFY2(qAbs(frames - expectedRate * duration) <= 1.0, qPrintable(QString::number(frames)));
    }

    void picturesKeepColoursOrientationAndOddSizes_data()
    {
        QTest::addColumn<bool>("compress");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("fileSize");
        QTest::newRow("mpeg4") << true << QSize(320, 240) << QSize(320, 240);
        QTest::newRow("uncompressed") << false << QSize(320, 240) << QSize(320, 240);
        // Odd sizes: MPEG-4 needs even ones; bitmap rows are padded to four bytes.
        QTest::newRow("mpeg4 odd") << true << QSize(321, 241) << QSize(320, 240);
        QTest::newRow("uncompressed odd") << false << QSize(321, 241) << QSize(321, 241);
    }

    void picturesKeepColoursOrientationAndOddSizes()
    {
        QFETCH(bool, compress);
        QFETCH(QSize, size);
        QFETCH(QSize, fileSize);
        const QString file = Path(QStringLiteral("colours_%1.avi").arg(QTest::currentDataTag()).replace(' ', '_'));
        TAviRecorderOptions options;
        options.Compress = compress;
        options.Quality = 100;
        QVERIFY(Record(file, options, Times(10, 1), size.width(), size.height()));
        const QImage first = FirstPicture(file, fileSize.width(), fileSize.height());
        QVERIFY2(!first.isNull(), "ffmpeg could not decode the first picture at the expected size");
        const int right = fileSize.width() - 1;
        const int bottom = fileSize.height() - 1;
        QVERIFY(Near(first.pixel(2, 2), Qt::red));
        QVERIFY(Near(first.pixel(right - 2, 2), Qt::red));
        QVERIFY(Near(first.pixel(2, bottom - 2), Qt::blue));
        QVERIFY(Near(first.pixel(right - 2, bottom - 2), Qt::blue));
        QVERIFY(Near(first.pixel(3, fileSize.height() / 2 - 10), Qt::white));
        if (!compress)
            QCOMPARE(first, Picture(size.width(), size.height(), 0).convertToFormat(QImage::Format_RGB888));
    }

    void frameSizeChangeIsScaledIntoTheFile()
    {
        const QString file = Path("resized.avi");
        TAviRecorder recorder;
        QVERIFY(recorder.Open(file, {}));
        for (int i = 0; i < 20; ++i) {
            const int width = i < 10 ? 320 : 640;
            QVERIFY(recorder.WriteFrame(Frame(width, width * 3 / 4, i, i * Second / 10)));
        }
        QVERIFY(recorder.Close());
        const QJsonObject probe = Probe(file);
        QCOMPARE(probe.value("width").toInt(), 320);
        QCOMPARE(probe.value("frames").toInt(), 20);
    }

    void destroyedWithoutCloseIsPlayable()
    {
        const QString file = Path("destroyed.avi");
        {
            auto recorder = std::make_unique<TAviRecorder>();
            QVERIFY(recorder->Open(file, {}));
            const QList<qint64> times = Times(25, 3);
            for (int i = 0; i < times.size(); ++i)
                QVERIFY(recorder->WriteFrame(Frame(320, 240, i, times[i])));
        }
        const QJsonObject probe = Probe(file);
        QCOMPARE(probe.value("codec_name").toString(), "mpeg4");
        QVERIFY(qAbs(probe.value("duration").toDouble() - 3.0) <= 0.2);
        QCOMPARE(probe.value("frames").toInt(), 75);
    }

    void stoppedWhileMeasuringStillGivesAFile()
    {
        // Three frames, less than the measuring second: closed at once.
        const QString file = Path("short.avi");
        QVERIFY(Record(file, {}, {0, Second / 5, 2 * Second / 5}));
        const QJsonObject probe = Probe(file);
        QCOMPARE(probe.value("codec_name").toString(), "mpeg4");
        QCOMPARE(probe.value("frames").toInt(), 3);
        QCOMPARE(probe.value("r_frame_rate").toString(), "5/1");
    }

    void noFramesLeaveNoFileAndBadFolderFails()
    {
        const QString file = Path("empty.avi");
        TAviRecorder recorder;
        QVERIFY(recorder.Open(file, {}));
        QVERIFY(QFile::exists(file)); // the name is taken while recording
        QVERIFY(recorder.Close());
        QVERIFY(!QFile::exists(file));

        QVERIFY(!recorder.Open(Path("missing/folder/x.avi"), {}));
        QVERIFY(!recorder.LastError().isEmpty());
        QVERIFY(!recorder.WriteFrame(Frame(320, 240, 0, 0)));
    }

    void qualityComesFromTheUserSettings()
    {
        const QList<qint64> times = Times(10, 2);
        QCOMPARE(LoadEncoderSettings().Quality, TEncoderSettings::DefaultQuality);
        QVERIFY(SaveEncoderSettings(TEncoderSettings{5}));
        QVERIFY(QFile::exists(m_dir.filePath("config/Ostrivo/encoder.conf")));
        QVERIFY(Record(Path("low.avi"), {}, times, 320, 240, &NoisyFrame));
        QVERIFY(SaveEncoderSettings(TEncoderSettings{100}));
        QVERIFY(Record(Path("high.avi"), {}, times, 320, 240, &NoisyFrame));
        QVERIFY2(QFileInfo(Path("low.avi")).size() * 2 < QFileInfo(Path("high.avi")).size(),
                 "a low quality must give a clearly smaller file");
        QVERIFY(SaveEncoderSettings(TEncoderSettings{1000}));
        QCOMPARE(LoadEncoderSettings().Quality, TEncoderSettings::MaxQuality);
    }

    void settingsDialogStoresOnOkOnly()
    {
        QVERIFY(SaveEncoderSettings(TEncoderSettings{50}));
        auto answer = [](int value, bool ok) {
            QTimer::singleShot(0, [value, ok] {
                auto *dialog = qobject_cast<TEncoderSettingsDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->Settings().Quality, 50); // shows the stored value
                dialog->findChild<QSlider *>()->setValue(value);
                ok ? dialog->accept() : dialog->reject();
            });
        };
        answer(20, false);
        QVERIFY(!TEncoderSettingsDialog::Edit());
        QCOMPARE(LoadEncoderSettings().Quality, 50);
        answer(70, true);
        QVERIFY(TEncoderSettingsDialog::Edit());
        QCOMPARE(LoadEncoderSettings().Quality, 70);
    }

    void rateMeterAndFileRates()
    {
        TFrameRateMeter meter;
        QCOMPARE(meter.Rate(), 0.0);
        for (int i = 0; i < 100; ++i)
            meter.AddFrameTime(i * Second / 25 + (i % 2 ? Second / 200 : 0)); // 25 fps with 5 ms jitter
        QVERIFY(qAbs(meter.Rate() - 25) < 0.5);
        // The source restarted its clock: only the frames after the restart count.
        meter.AddFrameTime(0);
        meter.AddFrameTime(Second / 10);
        meter.AddFrameTime(2 * Second / 10);
        QCOMPARE(meter.Rate(), 10.0);

        QCOMPARE(TAviRecorder::FileFrameRate(24.6), 25.0);
        QCOMPARE(TAviRecorder::FileFrameRate(7.46), 7.5);
        QCOMPARE(TAviRecorder::FileFrameRate(0.2), 1.0);
        QCOMPARE(TAviRecorder::FileFrameRate(500), 60.0);
    }
};

QTEST_MAIN(TestAviRecorder)
#include "tst_avirecorder.moc"
