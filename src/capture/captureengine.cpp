#include "capture/captureengine.h"

#include "capture/displaypicture.h"
#include "capture/framebuffers.h"
#include "capture/ipcamerasource.h"
#include "capture/webcamcapturesource.h"

#include <QMutexLocker>
#include <QPainter>

TCaptureEngine::TCaptureEngine(std::shared_ptr<TCaptureShared> shared) : m_shared(std::move(shared))
{
    m_sinceStart.start();
}

TCaptureEngine::~TCaptureEngine()
{
    if (m_source) {
        m_source->Halt();
        delete m_source;
    }
}

void TCaptureEngine::Start(quint64 session, const TSourceSettings &settings)
{
    Stop();
    m_session = session;
    m_frameNumber = 0;
    m_sinceStart.start();
    switch (settings.Source) {
    case vs_IPCamera:
        m_source = new TIPCameraSource(*this, settings);
        break;
    case vs_VideoCaptureDevice:
        m_source = new TWebcamCaptureSource(*this, settings);
        break;
    case vs_JPEGsOrBitmaps:
        // Frames arrive through ProcessPushed; some may already wait for this session.
        ProcessPushed();
        return;
    default:
        // Sources this build cannot open end at once, leaving the component down.
        if (m_shared->NotifyEnded)
            m_shared->NotifyEnded(m_session, TSourceEnd::Failed, {}, {});
        return;
    }
    m_source->setParent(this);
    m_source->Start();
}

void TCaptureEngine::Stop()
{
    DropSource();
    m_shared->Detector->PictureRestarted();
    m_session = 0;
}

void TCaptureEngine::DropSource()
{
    if (!m_source)
        return;
    m_source->Halt();
    m_source->deleteLater();
    m_source = nullptr;
}

void TCaptureEngine::SourceEnded(TSourceEnd end, const QString &realm, const QString &server)
{
    if (!m_source)
        return;
    DropSource();
    m_shared->Detector->PictureRestarted();
    if (m_shared->NotifyEnded)
        m_shared->NotifyEnded(m_session, end, realm, server);
}

void TCaptureEngine::ProcessPushed()
{
    while (!IsStopping()) {
        TCaptureShared::TPushed item;
        {
            QMutexLocker lock(&m_shared->Mutex);
            if (m_shared->Pushed.empty() || m_shared->Pushed.front().Session > m_session) {
                // Nothing, or frames for a start that this thread has not seen yet: Start() comes back here.
                m_shared->PushPosted = false;
                return;
            }
            item = std::move(m_shared->Pushed.front());
            m_shared->Pushed.pop_front();
        }
        if (item.Session != m_session)
            continue;
        if (!item.Jpeg.isEmpty())
            DeliverJpeg(item.Jpeg, item.Time);
        else
            DeliverImage(std::move(item.Image), item.Time);
    }
}

bool TCaptureEngine::DeliverJpeg(QByteArrayView jpeg, qint64 time)
{
    const TFrameTurn turn;
    TFrameStages stages(m_shared->Stages);
    QImage image;
    if (!m_decoder.Decode(jpeg, m_pool, image))
        return false;  // a corrupt picture is skipped
    stages.Lap(&TStageTimes::DecodeNs);
    return Process(std::move(image), time, stages);
}

bool TCaptureEngine::DeliverImage(QImage image, qint64 time)
{
    const TFrameTurn turn;
    TFrameStages stages(m_shared->Stages);
    return Process(std::move(image), time, stages);
}

bool TCaptureEngine::Process(QImage image, qint64 time, TFrameStages &stages)
{
    if (image.isNull() || m_session == 0)
        return false;
    if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            return false;
    }
    TVideoFrame frame{std::move(image), time, ++m_frameNumber};

    const bool analysed = m_shared->MotionEnabled.load();
    stages.Skip();
    const TMotionResult motion = m_shared->Detector->ProcessFrame(frame);
    stages.Lap(&TStageTimes::DetectNs);
    if (motion.Analysed)
        m_shared->AnalysedFrames.fetch_add(1, std::memory_order_relaxed);

    std::shared_ptr<const TOverlaySet> overlays;
    QSize viewArea;
    TAspectRatio viewAspect = ar_Box;
    {
        QMutexLocker lock(&m_shared->Mutex);
        overlays = m_shared->FrameOverlays;
        viewArea = m_shared->ViewArea;
        viewAspect = m_shared->ViewAspect;
        if (m_sinksVersion != m_shared->SinksVersion) {
            m_sinks = m_shared->Sinks;
            m_sinksVersion = m_shared->SinksVersion;
        }
    }
    if (overlays) {
        // The detector keeps the frame as it came: painting copies it first.
        QPainter painter(&frame.Image);
        overlays->Draw(painter, frame.Image.rect(), TOverlayLayer::Frames);
    }
    for (const auto &sink : m_sinks)
        sink->TakeFrame(frame);
    stages.Skip();
    QImage shown = DisplayPicture(frame.Image, viewArea, viewAspect);
    stages.Lap(&TStageTimes::DisplayNs);
    Publish(frame, std::move(shown), analysed ? &motion : nullptr);
    stages.Finish();
    return true;
}

void TCaptureEngine::Publish(const TVideoFrame &frame, QImage shown, const TMotionResult *motion)
{
    {
        QMutexLocker lock(&m_shared->Mutex);
        if (m_shared->Session != m_session)
            return;  // stopped meanwhile
        m_shared->Latest = frame;
        m_shared->LatestShown = std::move(shown);
        m_shared->HasNewFrame = true;
        if (motion) {
            if (int(m_shared->Motion.size()) >= TCaptureShared::MaxPendingMotionEvents)
                m_shared->Motion.pop_front();
            m_shared->Motion.push_back({motion->Motion, motion->GlobalMotionRatio, motion->MaxMotionCellX,
                                        motion->MaxMotionCellY, frame.Number, frame.Time});
        }
        if (m_shared->NotifyPosted)
            return;
        m_shared->NotifyPosted = true;
    }
    m_shared->NotifyFrames();
}
