#include "capturetesthelpers.h"

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

// Red upper half, blue lower half, a white bar that moves with the frame number; `noisy` adds noise that
// changes every frame, as a camera's sensor gives.
TVideoFrame Frame(int width, int height, int number, qint64 time, bool noisy = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    QPainter painter(&image);
    painter.fillRect(0, height / 2, width, height - height / 2, QColor(0, 0, 255));
    painter.fillRect((number * 7) % width, height / 4, 8, height / 2, Qt::white);
    painter.end();
    QRandomGenerator random{quint32(number)};
    for (int y = 0; noisy && y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, image.pixel(x, y) ^ random.bounded(32u) * 0x010101u);
    return TVideoFrame{image, time, quint32(number + 1)};
}

// Capture times of a source at `fps` over `seconds`, with no frames from stallFrom to stallTo.
QList<qint64> Times(double fps, double seconds, double stallFrom = -1, double stallTo = -1)
{
    QList<qint64> times;
    for (int i = 0; i < int(std::lround(fps * seconds)); ++i)
        if (i / fps < stallFrom || i / fps >= stallTo)
            times << qint64(i / fps * Second);
    return times;
}

// The first picture of the file as ffmpeg decodes it.
QImage FirstPicture(const QString &file, int width, int height)
{
    const QByteArray bytes =
        Run("ffmpeg", {"-v", "error", "-i", file, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (bytes.size() != width * height * 3)
        return {};
    return QImage(reinterpret_cast<const uchar *>(bytes.constData()), width, height, width * 3, QImage::Format_RGB888)
        .copy();
}

bool Near(QRgb actual, QColor expected)
{
    return qAbs(qRed(actual) - expected.red()) <= 40 && qAbs(qGreen(actual) - expected.green()) <= 40
        && qAbs(qBlue(actual) - expected.blue()) <= 40;
}

} // namespace

class TestAviRecorder : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    bool Record(const QString &file, const TAviRecorderOptions &options, const QList<qint64> &times, int width = 320,
                int height = 240, bool noisy = false)
    {
        TAviRecorder recorder;
        if (!recorder.Open(file, options))
            return false;
        for (int i = 0; i < times.size(); ++i)
            if (!recorder.WriteFrame(Frame(width, height, i, times[i], noisy)))
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
        QTest::addColumn<QList<qint64>>("times");
        // 0: measured by the recorder; otherwise measured during preview and handed over.
        QTest::addColumn<double>("givenRate");
        QTest::addColumn<double>("expectedRate");
        QTest::newRow("mpeg4 10 fps") << true << Times(10, 10) << 0.0 << 10.0;
        QTest::newRow("mpeg4 25 fps") << true << Times(25, 10) << 0.0 << 25.0;
        QTest::newRow("uncompressed 25 fps") << false << Times(25, 10) << 0.0 << 25.0;
        QTest::newRow("mpeg4 7.5 fps") << true << Times(7.5, 10) << 0.0 << 7.5;
        // The camera froze for three seconds: the last picture stands for them.
        QTest::newRow("mpeg4 25 fps, stall") << true << Times(25, 10, 4, 7) << 0.0 << 25.0;
        // The source restarted after five seconds, its clock beginning again at zero.
        QTest::newRow("mpeg4 clock restart") << true << Times(25, 5) + Times(25, 5) << 0.0 << 25.0;
        // A handed-over rate a little off the real one: placement still keeps time.
        QTest::newRow("mpeg4 given rate") << true << Times(25, 10) << 24.0 << 24.0;
    }

    void realSpeedFiles()
    {
        QFETCH(bool, compress);
        QFETCH(QList<qint64>, times);
        QFETCH(double, givenRate);
        QFETCH(double, expectedRate);
        const QString file = Path(QStringLiteral("%1.avi").arg(QTest::currentDataTag()).replace(' ', '_'));
        TAviRecorderOptions options;
        options.Compress = compress;
        options.FrameRate = givenRate;
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
            QCOMPARE(first, Frame(size.width(), size.height(), 0, 0).Image.convertToFormat(QImage::Format_RGB888));
    }

    void destroyedWithoutCloseIsPlayable()
    {
        const QString file = Path("destroyed.avi");
        {
            auto recorder = std::make_unique<TAviRecorder>();
            QVERIFY(recorder->Open(file, {}));
            const QList<qint64> times = Times(25, 3);
            for (int i = 0; i < times.size(); ++i) {
                const int width = i < 40 ? 320 : 640; // the camera changed its picture size
                QVERIFY(recorder->WriteFrame(Frame(width, width * 3 / 4, i, times[i])));
            }
        }
        const QJsonObject probe = Probe(file);
        QCOMPARE(probe.value("codec_name").toString(), "mpeg4");
        QCOMPARE(probe.value("width").toInt(), 320);
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
        QVERIFY(Record(Path("low.avi"), {}, times, 320, 240, true));
        QVERIFY(SaveEncoderSettings(TEncoderSettings{100}));
        QVERIFY(Record(Path("high.avi"), {}, times, 320, 240, true));
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
        answer(20, false); // Cancel keeps the stored value
        QVERIFY(!TEncoderSettingsDialog::Edit());
        QCOMPARE(LoadEncoderSettings().Quality, 50);
        answer(70, true);
        QVERIFY(TEncoderSettingsDialog::Edit());
        QCOMPARE(LoadEncoderSettings().Quality, 70);
    }

    void rateMeter()
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
    }
};

QTEST_MAIN(TestAviRecorder)
#include "tst_avirecorder.moc"
