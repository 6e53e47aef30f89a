#include "capture/webcamcapturesource.h"

#include "capture/webcamsource.h"

#include <QMutexLocker>
#include <QTimer>

TWebcamCaptureSource::TWebcamCaptureSource(TCaptureEngine &engine, const TSourceSettings &settings)
    : TCaptureSource(engine), m_settings(settings)
{
}

TWebcamCaptureSource::~TWebcamCaptureSource()
{
    Halt();
}

void TWebcamCaptureSource::Start()
{
    m_webcam = new TWebcamSource(this);
    const int byName = m_webcam->VideoDeviceIndex(m_settings.VideoDeviceName);
    m_webcam->SetVideoDevice(m_settings.VideoDeviceName.isEmpty() ? m_settings.VideoDeviceIndex : byName);
    m_webcam->SetVideoSize(m_settings.VideoSize);
    m_webcam->OnFrame = [this](const TVideoFrame &frame) {
        QMutexLocker lock(&m_mutex);
        m_pending = frame;
        if (m_posted)
            return;
        m_posted = true;
        QMetaObject::invokeMethod(this, &TWebcamCaptureSource::TakePending, Qt::QueuedConnection);
    };
    m_webcam->OnDeviceLost = [this](const QString &) {
        if (!m_halted)
            m_engine.SourceEnded(m_hadPicture ? TSourceEnd::Lost : TSourceEnd::Failed);
    };
    if (!m_webcam->Start()) {
        m_engine.SourceEnded(TSourceEnd::Failed);
        return;
    }
    m_sinceLast.start();
    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(500);
    connect(m_watchdog, &QTimer::timeout, this, &TWebcamCaptureSource::CheckSilence);
    m_watchdog->start();
}

void TWebcamCaptureSource::Halt()
{
    m_halted = true;
    if (m_watchdog)
        m_watchdog->stop();
    if (m_webcam)
        m_webcam->Stop();  // no picture is delivered once this returns
}

void TWebcamCaptureSource::TakePending()
{
    TVideoFrame frame;
    {
        QMutexLocker lock(&m_mutex);
        frame = std::move(m_pending);
        m_pending = {};
        m_posted = false;
    }
    if (m_halted || frame.Image.isNull())
        return;
    if (m_engine.DeliverImage(std::move(frame.Image), frame.Time)) {
        m_hadPicture = true;
        m_sinceLast.start();
    }
}

void TWebcamCaptureSource::CheckSilence()
{
    if (m_halted)
        return;
    const int limit = m_hadPicture ? m_settings.ReceiveTimeoutMs : m_settings.ConnectionTimeoutMs;
    if (limit > 0 && m_sinceLast.elapsed() > limit)
        m_engine.SourceEnded(m_hadPicture ? TSourceEnd::Lost : TSourceEnd::Failed);
}
