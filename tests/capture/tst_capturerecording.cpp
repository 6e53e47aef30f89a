// Recording and still frames through the real capture component: pushed frames with their own time
// stamps (so ten seconds of video take far less than ten seconds), and the camera simulator for a camera
// that is lost while recording.
#include "camsimprocess.h"
#include "capturetesthelpers.h"

#include "capture/filenaming.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr qint64 Second = 10000000;  // frame times are in 100-ns units

// A dark picture with a bar that moves with the frame number, so the encoder has something to do.
QImage MovingPicture(int number)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(30, 40, 50));
    QPainter painter(&image);
    painter.fillRect((number * 9) % 300, 60, 20, 120, Qt::yellow);
    return image;
}

std::unique_ptr<TAdvancedCaptureComponent> PushedCamera(const QString &folder)
{
    auto c = std::make_unique<TAdvancedCaptureComponent>();
    c->resize(160, 120);
    c->SetVideoSource(vs_JPEGsOrBitmaps);
    c->SetStoragePath(folder);
    c->SetAutoFilePrefix(QStringLiteral("Cam_"));
    c->show();
    return c;
}

// Pushes frames number first..last (1-based) of a source at `fps` and waits until the capture thread
// has taken all of them.
bool PushFrames(TCaptureComponent &c, double fps, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const qint64 time = qint64((i - 1) / fps * Second);
        if (!QTest::qWaitFor([&] { return c.PushFrame(MovingPicture(i), time); }, 5000))
            return false;
    }
    return QTest::qWaitFor([&] { return c.LatestFrame().Number == quint32(last); }, 10000);
}

// The file is one ffmpeg can decode from start to end, and how long it plays.
double PlayableSeconds(const QString &file)
{
    if (!QFile::exists(file))
        return -1;
    if (QProcess::execute("ffmpeg", {"-v", "error", "-xerror", "-i", file, "-f", "null", "-"}) != 0)
        return -1;
    return Probe(file).value("duration").toDouble();
}

} // namespace

class TestCaptureRecording : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetSequentialFileNames(); }

    // Ten seconds of a 10 or 25 fps camera make a ten-second AVI in the chosen mode, encoded on the capture
    // thread while the picture goes on; the component reports the file and goes back to preview without
    // reopening the source.
    void tenSecondsOfCaptureMakeTenSecondsOfVideo_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("tag");
        QTest::newRow("MPEG-4 10 fps") << 10.0 << int(cm_CompressOnTheFly) << "mpeg4" << "XVID";
        QTest::newRow("MPEG-4 25 fps") << 25.0 << int(cm_CompressOnTheFly) << "mpeg4" << "XVID";
        QTest::newRow("uncompressed 10 fps") << 10.0 << int(cm_NoCompression) << "rawvideo" << "";
    }
    void tenSecondsOfCaptureMakeTenSecondsOfVideo()
    {
        QFETCH(double, fps);
        QFETCH(int, mode);
        QFETCH(QString, codec);
        QFETCH(QString, tag);
        QTemporaryDir dir;
        auto c = PushedCamera(dir.path());
        TEventRecorder events(*c);
        c->SetCompressionMode(TCompressionMode(mode));
        c->SetVideoCompressor(c->VideoCompressorIndex(QStringLiteral("Xvid MPEG-4 Codec")));
        QVERIFY(!c->StartRecording());  // not previewing
        c->StartPreview();
        const int preview = int(2 * fps);
        QVERIFY(PushFrames(*c, fps, 1, preview));  // the rate is measured from the preview

        QVERIFY(c->StartRecording());
        QCOMPARE(c->CurrentState(), cs_Recording);
        const QString file = QDir(dir.path()).filePath(QStringLiteral("Cam_000001.avi"));
        QTRY_COMPARE(events.RecordingsStarted, QStringList{file});
        const int recorded = int(10 * fps);
        QVERIFY(PushFrames(*c, fps, preview + 1, preview + recorded));
        c->StopRecording();
        QCOMPARE(c->CurrentState(), cs_Preview);

        // What the program does after stopping: the same source keeps running (frame numbers go on).
        c->StartPreview();
        QVERIFY(PushFrames(*c, fps, preview + recorded + 1, preview + recorded + 1));
        QVERIFY(events.AllOnUiThread);

        const QJsonObject probe = Probe(file);
        QCOMPARE(probe.value("codec_name").toString(), codec);
        if (!tag.isEmpty())
            QCOMPARE(probe.value("codec_tag_string").toString(), tag);
        const double duration = probe.value("duration").toDouble();
        QVERIFY2(std::abs(duration - 10) <= 0.5, qPrintable(QString::number(duration)));
        QVERIFY2(std::abs(probe.value("frames").toInt() - recorded) <= 2,
                 qPrintable(QString::number(probe.value("frames").toInt())));
    }

    // A recording that is cut off by stopping the picture or by destroying the component is finished
    // properly: the whole file decodes and plays its length.
    void interruptedRecordingsArePlayable_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("StopPreview") << false;
        QTest::newRow("component destroyed") << true;
    }
    void interruptedRecordingsArePlayable()
    {
        QFETCH(bool, destroy);
        QTemporaryDir dir;
        auto c = PushedCamera(dir.path());
        c->SetCompressionMode(cm_CompressOnTheFly);
        c->StartPreview();
        QVERIFY(PushFrames(*c, 10, 1, 20));
        QVERIFY(c->StartRecording());
        QVERIFY(PushFrames(*c, 10, 21, 50));
        if (destroy) {
            c.reset();
        } else {
            c->StopPreview();
            QCOMPARE(c->CurrentState(), cs_Down);
        }
        const double seconds = PlayableSeconds(QDir(dir.path()).filePath(QStringLiteral("Cam_000001.avi")));
        QVERIFY2(std::abs(seconds - 3) <= 0.3, qPrintable(QString::number(seconds)));
    }

    // A network camera that drops its stream while recording: the component goes down and the file is
    // finished.
    void recordingOfALostCameraIsPlayable()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--size", "320x240", "--fps", "10"}));
        QTemporaryDir dir;
        auto c = std::make_unique<TAdvancedCaptureComponent>();
        TEventRecorder events(*c);
        c->SetStoragePath(dir.path());
        c->SetAutoFilePrefix(QStringLiteral("Cam_"));
        c->SetCompressionMode(cm_CompressOnTheFly);
        c->SetIPCameraURL(camera.Url(QStringLiteral("/video.mjpg")));
        c->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames >= 5, 10000);
        QVERIFY(c->StartRecording());
        QTRY_VERIFY_WITH_TIMEOUT(events.Frames >= 20, 10000);
        QVERIFY(camera.Control("fault=drop"));
        QTRY_COMPARE_WITH_TIMEOUT(c->CurrentState(), cs_Down, 15000);
        QCOMPARE(events.DeviceLost, 1);
        const double seconds = PlayableSeconds(QDir(dir.path()).filePath(QStringLiteral("Cam_000001.avi")));
        QVERIFY2(seconds >= 1, qPrintable(QString::number(seconds)));
    }

    // Still frames: named after the largest number present (the .avi numbers counted apart), on disk when
    // the call returns, carrying the -1 overlays and none of the -2 ones; nothing without a frame.
    void stillFramesAreNamedInSequenceAndLeaveLiveOverlaysOut()
    {
        QTemporaryDir dir;
        for (const char *name : {"Cam_000007.jpg", "Cam_000003.jpg"}) {
            QFile file(QDir(dir.path()).filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString overlayFile = QDir(dir.path()).filePath(QStringLiteral("overlay.png"));
        auto c = PushedCamera(dir.path());
        QVERIFY(!c->CaptureFrameSyncTo(fc_JpegFile, QString()));  // no frame yet
        const struct
        {
            QColor Colour;
            int Target;
            TVideoAlignment Corner;
        } overlays[] = {{Qt::green, TargetDisplay_LiveOnly, oa_LeftTop}, {Qt::red, TargetDisplay_InFrames, oa_RightBottom}};
        for (int i = 0; i < 2; ++i) {
            QImage picture(64, 64, QImage::Format_RGB32);
            picture.fill(overlays[i].Colour);
            QVERIFY(picture.save(overlayFile));
            QVERIFY(c->SetImageOverlayFromImageFile2(i, overlayFile));
            c->SetImageOverlay_VideoAlignment(i, overlays[i].Corner);
            c->SetImageOverlay_TargetDisplay(i, overlays[i].Target);
            c->SetImageOverlay_Enabled(i, true);
        }
        QCoreApplication::processEvents();  // the -1 overlays reach the capture thread
        c->StartPreview();
        QVERIFY(c->PushFrame(SolidFrame({320, 240}, Qt::blue), 0));
        QTRY_VERIFY(!c->LatestFrame().Image.isNull());

        c->SetJPEGQuality(90);
        QVERIFY(c->CaptureFrameSyncTo(fc_JpegFile, QString()));
        const QString still = QDir(dir.path()).filePath(QStringLiteral("Cam_000008.jpg"));
        QVERIFY(QFile::exists(still));  // at once, no waiting
        QVERIFY(c->CaptureFrameTo(fc_JpegFile, QString()));
        QVERIFY(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("Cam_000009.jpg"))));

        const QImage written(still);
        QCOMPARE(written.size(), QSize(320, 240));
        QCOMPARE(CountPixels(written, written.rect(), Qt::green, 60), 0);
        QVERIFY(CountPixels(written, QRect(256, 176, 64, 64), Qt::red, 60) > 3000);
        QVERIFY(CountPixels(written, QRect(0, 0, 64, 64), Qt::blue, 60) > 3000);

        QVERIFY(c->StartRecording());
        QVERIFY(c->PushFrame(SolidFrame({320, 240}, Qt::blue), Second / 10));
        QTRY_COMPARE(c->LatestFrame().Number, 2u);
        c->StopRecording();
        QVERIFY(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("Cam_000001.avi"))));

        QVERIFY(!c->CaptureFrameSyncTo(fc_JpegFile, QDir(dir.path()).filePath(QStringLiteral("missing/x.jpg"))));
    }
};

QTEST_MAIN(TestCaptureRecording)
#include "tst_capturerecording.moc"
