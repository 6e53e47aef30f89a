#pragma once
// The capture thread of a capture component. Every component owns one worker QThread on which a
// TCaptureEngine lives: the source (network camera, pushed frames, ...), JPEG decoding, the motion detector,
// the frame sinks (recorder) and the hand-off of finished frames to the UI thread.
//
// Per frame, on the capture thread:  source -> decode -> motion analysis -> -1 overlays -> frame sinks
// -> latest-frame slot (+ motion result) -> one queued "frames ready" call to the UI thread.
// The slot holds only the newest frame, so a slow UI skips pictures but never grows memory.
#include "capture/captureenums.h"
#include "capture/frame.h"
#include "capture/jpegdecoder.h"
#include "capture/motiondetector.h"
#include "capture/overlays.h"
#include "capture/stagetimes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Takes every frame of a running component on the capture thread (a recorder, a still writer). The frame
// carries the -1 overlays and none of the -2 ones. It must not block for long: the capture thread waits.
class TFrameSink
{
public:
    virtual ~TFrameSink() = default;
    virtual void TakeFrame(const TVideoFrame &frame) = 0;
};

// What a started source needs to know; a copy is handed to the capture thread at each start.
struct TSourceSettings
{
    TVideoSource Source = vs_IPCamera;
    QString IPCameraURL;
    QString UserName;
    QString Password;
    int ConnectionTimeoutMs = 15000;  // <= 0: no limit
    int ReceiveTimeoutMs = 10000;     // no frame for this long after having run: lost
    int LossGraceMs = 5000;           // after a drop, tries again for this long before reporting a loss
    // vs_VideoCaptureDevice: the device (by name when given, else by index) and its picture-size index.
    QString VideoDeviceName;
    int VideoDeviceIndex = -1;
    int VideoSize = 0;
};

enum class TSourceEnd
{
    Failed,                // could not start or never delivered a picture
    Lost,                  // ran and then ended, failed or went silent
    AuthenticationNeeded   // the camera wants credentials that were not given or were refused
};

struct TMotionEvent
{
    bool Detected = false;
    double GlobalMotionRatio = 0;
    int MaxMotionCellX = 0;
    int MaxMotionCellY = 0;
    quint32 FrameNumber = 0;
    qint64 FrameTime = 0;
};

// State shared by a component (UI thread) and its engine (capture thread). Everything below Mutex is
// guarded by it.
struct TCaptureShared
{
    static constexpr int MaxPendingPushes = 8;
    static constexpr int MaxPendingMotionEvents = 256;

    TMotionDetector *Detector = nullptr;       // owned by the component, used by both threads
    std::atomic<bool> MotionEnabled{false};    // events are raised for frames analysed while this was set
    std::atomic<bool> Stopping{false};         // the component is going away: finish quickly
    std::atomic<quint64> AnalysedFrames{0};    // frames compared by the switched-on detector, ever
    TStageClock Stages;                        // processor time per stage, once switched on (stagetimes.h)

    // Set by the component: post work to the UI thread (safe to call from the capture thread).
    std::function<void()> NotifyFrames;
    std::function<void(quint64 session, TSourceEnd end, QString realm, QString server)> NotifyEnded;
    std::function<void(QString text)> NotifyLog;

    QMutex Mutex;
    quint64 Session = 0;                       // bumped by the UI at every start and stop
    TVideoFrame Latest;                        // newest finished frame (kept for still captures)
    QImage LatestShown;                        // its picture for the live view (displaypicture.h)
    QSize ViewArea;                            // the live view's size in device pixels; empty: not on screen
    TAspectRatio ViewAspect = ar_Box;
    bool HasNewFrame = false;
    std::deque<TMotionEvent> Motion;           // results not yet raised on the UI thread (bounded)
    bool NotifyPosted = false;
    struct TPushed
    {
        quint64 Session = 0;
        QByteArray Jpeg;
        QImage Image;
        qint64 Time = 0;
    };
    std::deque<TPushed> Pushed;                // frames pushed by code, not yet taken (bounded)
    bool PushPosted = false;
    std::shared_ptr<const TOverlaySet> FrameOverlays;  // the -1 overlays, or null when there are none
    std::vector<std::shared_ptr<TFrameSink>> Sinks;
    int SinksVersion = 0;                      // bumped at every change of Sinks
};

class TCaptureEngine;

// A source of pictures running on the capture thread, created by the engine at a start. When it ends or the
// picture is stopped the engine calls Halt() (after which it delivers nothing and reports nothing) and
// deletes it later, so a source may report its own end from inside its handlers.
class TCaptureSource : public QObject
{
    Q_OBJECT
public:
    explicit TCaptureSource(TCaptureEngine &engine) : m_engine(engine) {}
    virtual void Start() = 0;
    virtual void Halt() = 0;

protected:
    TCaptureEngine &m_engine;
};

class TCaptureEngine : public QObject
{
    Q_OBJECT
public:
    explicit TCaptureEngine(std::shared_ptr<TCaptureShared> shared);
    ~TCaptureEngine() override;

    // Queued from the UI thread.
    void Start(quint64 session, const TSourceSettings &settings);
    void Stop();
    void ProcessPushed();

    // For sources, on the capture thread. DeliverJpeg / DeliverImage run one frame through the pipeline
    // (in a frame turn, capture/framebuffers.h) and tell whether it became a frame (false: corrupt picture,
    // skipped).
    bool DeliverJpeg(QByteArrayView jpeg, qint64 time);
    bool DeliverImage(QImage image, qint64 time);
    // The source ended by itself; it is deleted once control is back in the event loop.
    void SourceEnded(TSourceEnd end, const QString &realm = {}, const QString &server = {});
    // 100-ns units since the source was started.
    qint64 SourceTime() const { return m_sinceStart.nsecsElapsed() / 100; }
    bool IsStopping() const { return m_shared->Stopping.load(); }

private:
    void DropSource();
    bool Process(QImage image, qint64 time, TFrameStages &stages);
    void Publish(const TVideoFrame &frame, QImage shown, const TMotionResult *motion);

    std::shared_ptr<TCaptureShared> m_shared;
    TCaptureSource *m_source = nullptr;
    TJpegDecoder m_decoder;
    TFramePool m_pool;
    quint64 m_session = 0;
    quint32 m_frameNumber = 0;
    QElapsedTimer m_sinceStart;
    std::vector<std::shared_ptr<TFrameSink>> m_sinks;  // copy of the shared list, refreshed on change
    int m_sinksVersion = 0;
};
