// ostrivo-bench record: what recording costs per 1280 x 720 frame and how much file a minute makes, for
// MPEG-4 (XVID) and for uncompressed AVI, plus the cost of a JPEG snapshot.
//
// The frames are a synthetic scene (gradients with a fixed texture, a moving object, sensor noise), generated before the
// clock starts. Options: --seconds N (recorded seconds per mode, default 8), --fps N (default 25).
#include "capture/avirecorder.h"
#include "capture/encodersettings.h"
#include "capture/jpegencoder.h"

#include "benchscene.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int Width = 1280;
constexpr int Height = 720;

double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct TResult
{
    double wallPerFrameMs = 0;
    double cpuPerFrameMs = 0;
    double megabytesPerMinute = 0;
};

TResult Record(const std::vector<QImage> &scene, bool compress, double seconds, int fps, const QString &file)
{
    TAviRecorderOptions options;
    options.Compress = compress;
    options.Quality = TEncoderSettings::DefaultQuality;
    options.FrameRate = fps;
    TAviRecorder recorder;
    TResult result;
    if (!recorder.Open(file, options)) {
        std::printf("record: cannot open %s: %s\n", qPrintable(file), qPrintable(recorder.LastError()));
        return result;
    }
    const int frames = int(seconds * fps);
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    for (int i = 0; i < frames; ++i)
        recorder.WriteFrame(TVideoFrame{scene[size_t(i) % scene.size()], qint64(i) * 10000000 / fps, quint32(i + 1)});
    recorder.Close();
    result.wallPerFrameMs = double(wall.nsecsElapsed()) / 1e6 / frames;
    result.cpuPerFrameMs = (CpuSeconds() - cpu) * 1000 / frames;
    result.megabytesPerMinute = double(QFileInfo(file).size()) / 1e6 * 60 / seconds;
    QFile::remove(file);
    return result;
}

} // namespace

int BenchRecord(int argc, char **argv)
{
    double seconds = 8;
    int fps = 25;
    for (int i = 0; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--seconds")
            seconds = qMax(1.0, QByteArray(argv[i + 1]).toDouble());
        else if (QByteArray(argv[i]) == "--fps")
            fps = qBound(1, QByteArray(argv[i + 1]).toInt(), 60);
    }
    QTemporaryDir dir;
    const std::vector<QImage> scene = BenchScene(fps);
    std::printf("record: %dx%d frames, %d fps, %.0f s per mode, synthetic textured scene with sensor noise\n", Width, Height,
                fps, seconds);

    const TResult mpeg4 = Record(scene, true, seconds, fps, dir.filePath("mpeg4.avi"));
    std::printf("record: MPEG-4 (XVID, quality %d, quantiser %d): %.2f ms per frame (CPU %.2f ms, %.0f fps on one "
                "core), %.1f MB per minute\n",
                TEncoderSettings::DefaultQuality, QuantiserForQuality(TEncoderSettings::DefaultQuality),
                mpeg4.wallPerFrameMs, mpeg4.cpuPerFrameMs, 1000 / qMax(0.001, mpeg4.cpuPerFrameMs),
                mpeg4.megabytesPerMinute);

    const TResult raw = Record(scene, false, qMin(seconds, 3.0), fps, dir.filePath("raw.avi"));
    std::printf("record: uncompressed BGR24: %.2f ms per frame (CPU %.2f ms), %.0f MB per minute\n",
                raw.wallPerFrameMs, raw.cpuPerFrameMs, raw.megabytesPerMinute);

    TJpegEncoder jpeg;
    const int snapshots = 50;
    QElapsedTimer wall;
    wall.start();
    qint64 bytes = 0;
    for (int i = 0; i < snapshots; ++i) {
        jpeg.Encode(scene[size_t(i) % scene.size()], 80);
        bytes += jpeg.Data().size();
    }
    std::printf("record: JPEG snapshot at quality 80: %.2f ms per frame, %.0f KB each\n",
                double(wall.nsecsElapsed()) / 1e6 / snapshots, double(bytes) / snapshots / 1024);
    return 0;
}
