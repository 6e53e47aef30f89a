// ostrivo-bench pipeline: what a 1280 x 720 MJPEG stream costs in the capture engine of a component (JPEG
// decoding, motion analysis with the default options, the frame sinks and the hand-off of frames and motion
// results to the UI thread) against TurboJPEG decoding alone of the same pictures.
//
// The pictures are the synthetic scene of the benchmarks, compressed as a camera would (quality 85,
// 4:2:0) before the clocks start; they are pushed into an engine on its own capture thread with the
// vs_JPEGsOrBitmaps source, and the main thread takes frames and results the way the component does.
// The widget itself is left out, so that this program needs no Qt Widgets.
// Options: --frames N (default 400).
#include "capture/captureengine.h"
#include "capture/jpegencoder.h"
#include "capture/motiondetector.h"

#include "benchscene.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

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

// The engine of one component on its capture thread, with the component's UI-thread side reduced to taking
// the newest frame and the motion results.
class TBenchEngine
{
public:
    TBenchEngine() : m_shared(std::make_shared<TCaptureShared>())
    {
        m_shared->Detector = &m_detector;
        m_shared->MotionEnabled = true;
        m_shared->NotifyFrames = [this] { QMetaObject::invokeMethod(&m_context, [this] { TakeFrames(); }, Qt::QueuedConnection); };
        m_thread.start();
        m_engine = new TCaptureEngine(m_shared);
        m_engine->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
        TSourceSettings settings;
        settings.Source = vs_JPEGsOrBitmaps;
        {
            QMutexLocker lock(&m_shared->Mutex);
            m_session = ++m_shared->Session;
        }
        QMetaObject::invokeMethod(m_engine, [engine = m_engine, session = m_session, settings] {
            engine->Start(session, settings); }, Qt::QueuedConnection);
    }

    ~TBenchEngine()
    {
        m_shared->Stopping = true;
        m_thread.quit();
        m_thread.wait();
    }

    // False while the engine's queue of pushed frames is full.
    bool Push(const QByteArray &jpeg, qint64 time)
    {
        {
            QMutexLocker lock(&m_shared->Mutex);
            if (int(m_shared->Pushed.size()) >= TCaptureShared::MaxPendingPushes)
                return false;
            m_shared->Pushed.push_back({m_session, jpeg, QImage(), time});
            if (m_shared->PushPosted)
                return true;
            m_shared->PushPosted = true;
        }
        QMetaObject::invokeMethod(m_engine, [engine = m_engine] { engine->ProcessPushed(); }, Qt::QueuedConnection);
        return true;
    }

    quint32 LatestNumber() const { return m_latestNumber; }
    int MotionEvents() const { return m_motionEvents; }

private:
    void TakeFrames()
    {
        std::deque<TMotionEvent> motion;
        QMutexLocker lock(&m_shared->Mutex);
        motion.swap(m_shared->Motion);
        if (m_shared->HasNewFrame) {
            const TVideoFrame frame = m_shared->Latest;
            m_latestNumber = frame.Number;
        }
        m_shared->HasNewFrame = false;
        m_shared->NotifyPosted = false;
        m_motionEvents += int(motion.size());
    }

    TMotionDetector m_detector;
    std::shared_ptr<TCaptureShared> m_shared;
    QObject m_context;
    QThread m_thread;
    TCaptureEngine *m_engine = nullptr;
    quint64 m_session = 0;
    quint32 m_latestNumber = 0;
    int m_motionEvents = 0;
};

TCost ThroughEngine(const std::vector<QByteArray> &jpegs, int frames, int &motionEvents)
{
    TBenchEngine engine;
    QCoreApplication::processEvents();

    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    for (int i = 0; i < frames; ++i)
        while (!engine.Push(jpegs[size_t(i) % jpegs.size()], i * FrameInterval))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);  // woken by each finished frame
    while (engine.LatestNumber() < quint32(frames))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();  // the last hand-off
    motionEvents = engine.MotionEvents();
    return {double(wall.nsecsElapsed()) / 1e6 / frames, (CpuSeconds() - cpu) * 1000 / frames};
}

} // namespace

int BenchPipeline(int argc, char **argv)
{
    int frames = 400;
    for (int i = 0; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--frames") == 0)
            frames = std::max(10, std::atoi(argv[i + 1]));
    int appArgc = 1;
    char name[] = "ostrivo-bench";
    char *appArgv[] = {name, nullptr};
    QCoreApplication app(appArgc, appArgv);

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
    const TCost pipeline = ThroughEngine(jpegs, frames, motionEvents);

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
