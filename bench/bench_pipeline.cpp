// ostrivo-bench pipeline: what a 1280 x 720 MJPEG stream costs in the capture component (JPEG decoding,
// motion analysis with the default options, the frame sinks and the hand-off of frames and motion
// events to the UI thread) against TurboJPEG decoding alone of the same pictures.
//
// The pictures are the synthetic scene of the benchmarks, compressed as a camera would (quality 85,
// 4:2:0) before the clocks start; they are pushed into a component with the vs_JPEGsOrBitmaps source.
// Options: --frames N (default 400).
#include "capture/capturecomponent.h"
#include "capture/jpegencoder.h"

#include "benchscene.h"

#include <QApplication>
#include <QElapsedTimer>

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr qint64 FrameInterval = 400000;  // 25 fps in 100-ns units

double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct TCost
{
    double WallMs = 0;
    double CpuMs = 0;
};

TCost DecodeAlone(const std::vector<QByteArray> &jpegs, int frames)
{
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> pixels(size_t(BenchSceneSize.width()) * BenchSceneSize.height() * 4);
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    for (int i = 0; i < frames; ++i) {
        const QByteArray &jpeg = jpegs[size_t(i) % jpegs.size()];
        tjDecompress2(handle, reinterpret_cast<const unsigned char *>(jpeg.constData()), (unsigned long)jpeg.size(),
                      pixels.data(), BenchSceneSize.width(), 0, BenchSceneSize.height(), TJPF_BGRX, TJFLAG_LIMITSCANS);
    }
    TCost cost{double(wall.nsecsElapsed()) / 1e6 / frames, (CpuSeconds() - cpu) * 1000 / frames};
    tjDestroy(handle);
    return cost;
}

TCost ThroughComponent(const std::vector<QByteArray> &jpegs, int frames, int &motionEvents)
{
    TAdvancedCaptureComponent component;
    component.SetVideoSource(vs_JPEGsOrBitmaps);
    component.SetMotionDetector_Enabled(true);
    component.OnMotionDetected = [&](TCaptureComponent *, double, int, int, const QImage *, quint32, qint64, int,
                                     bool &) { ++motionEvents; };
    component.OnMotionNotDetected = [&](TCaptureComponent *, const QImage *, quint32, qint64, int, bool &) {
        ++motionEvents;
    };
    component.StartPreview();
    QCoreApplication::processEvents();

    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    for (int i = 0; i < frames; ++i)
        while (!component.PushJPEG(jpegs[size_t(i) % jpegs.size()], i * FrameInterval))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);  // woken by each finished frame
    while (component.LatestFrame().Number < quint32(frames))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();  // the last hand-off
    return {double(wall.nsecsElapsed()) / 1e6 / frames, (CpuSeconds() - cpu) * 1000 / frames};
}

} // namespace

int BenchPipeline(int argc, char **argv)
{
    int frames = 400;
    for (int i = 0; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--frames") == 0)
            frames = std::max(10, std::atoi(argv[i + 1]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char name[] = "ostrivo-bench";
    char *appArgv[] = {name, nullptr};
    QApplication app(appArgc, appArgv);

    std::vector<QByteArray> jpegs;
    TJpegEncoder encoder;
    for (const QImage &picture : BenchScene(40)) {
        if (!encoder.Encode(picture, 85))
            return std::printf("pipeline: cannot encode the scene: %s\n", qPrintable(encoder.LastError())), 1;
        jpegs.emplace_back(encoder.Data().data(), encoder.Data().size());
    }
    qint64 bytes = 0;
    for (const QByteArray &jpeg : jpegs)
        bytes += jpeg.size();

    int motionEvents = 0;
    DecodeAlone(jpegs, std::min(frames, 40));  // warm-up
    const TCost decode = DecodeAlone(jpegs, frames);
    const TCost pipeline = ThroughComponent(jpegs, frames, motionEvents);

    std::printf("pipeline: %d frames of %dx%d, JPEG %.0f KB each on average\n", frames, BenchSceneSize.width(),
                BenchSceneSize.height(), double(bytes) / jpegs.size() / 1024);
    std::printf("  TurboJPEG decode alone        %7.2f ms/frame wall  %7.2f ms/frame CPU\n", decode.WallMs,
                decode.CpuMs);
    std::printf("  decode + analyse + hand-off   %7.2f ms/frame wall  %7.2f ms/frame CPU  (%d motion events)\n",
                pipeline.WallMs, pipeline.CpuMs, motionEvents);
    std::printf("  ratio                         %7.2f x wall         %7.2f x CPU        (target <= 1.3 x)\n",
                pipeline.WallMs / decode.WallMs, pipeline.CpuMs / decode.CpuMs);
    return 0;
}
