#include "capture/ipcamerasource.h"

#include <algorithm>

TIPCameraSource::TIPCameraSource(TCaptureEngine &engine, const TSourceSettings &settings)
    : TCaptureSource(engine), m_settings(settings), m_url(QUrl(settings.IPCameraURL, QUrl::TolerantMode))
{
    m_connectTimer.setSingleShot(true);
    m_fetchTimer.setSingleShot(true);
    m_graceTimer.setSingleShot(true);
    connect(&m_graceTimer, &QTimer::timeout, this, [this] { End(TSourceEnd::Lost); });
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (!m_running)
            End(TSourceEnd::Failed);
    });
    connect(&m_fetchTimer, &QTimer::timeout, this, &TIPCameraSource::Fetch);
    connect(&m_receiveTimer, &QTimer::timeout, this, &TIPCameraSource::CheckReceiveTimeout);
    m_http.OnHead = [this] { HeadReceived(); };
    m_http.OnBody = [this](QByteArrayView bytes) { BodyReceived(bytes); };
    m_http.OnEnd = [this](THttpGet::TEnd end) { Finished(end); };
}

TIPCameraSource::~TIPCameraSource()
{
    Halt();
}

void TIPCameraSource::Start()
{
    if (m_settings.ConnectionTimeoutMs > 0)
        m_connectTimer.start(m_settings.ConnectionTimeoutMs);
    Fetch();
}

void TIPCameraSource::Halt()
{
    m_halted = true;
    m_connectTimer.stop();
    m_receiveTimer.stop();
    m_fetchTimer.stop();
    m_graceTimer.stop();
    m_http.Abort();
}

void TIPCameraSource::End(TSourceEnd end)
{
    if (m_halted)
        return;
    const QString realm = m_realm;
    Halt();
    m_engine.SourceEnded(end, realm, m_url.host());
}

void TIPCameraSource::Fail()
{
    if (m_halted)
        return;
    if (!m_running) {
        End(TSourceEnd::Failed);
        return;
    }
    m_http.Abort();
    m_receiveTimer.stop();
    if (!m_retrying) {
        // A dropped connection or a failed fetch is usually a blip: try again at once, then every second.
        if (m_settings.LossGraceMs <= 0) {
            End(TSourceEnd::Lost);
            return;
        }
        m_retrying = true;
        m_graceTimer.start(m_settings.LossGraceMs);
        m_fetchTimer.start(0);
    } else {
        m_fetchTimer.start(RetryIntervalMs);
    }
}

void TIPCameraSource::Fetch()
{
    if (m_halted)
        return;
    m_mode = TMode::Unknown;
    m_picture.clear();
    m_answeredChallenge = false;
    m_sinceFetch.start();
    m_http.Start(m_url, m_authorization);
}

void TIPCameraSource::HeadReceived()
{
    const THttpGet::THead &head = m_http.Head();
    if (head.Status == 401) {
        // Answered once per fetch; a second refusal, or nothing to answer with, ends the source.
        const QByteArray answer = AuthorizationFor(head.AllFields("WWW-Authenticate"), m_settings.UserName,
                                                   m_settings.Password, THttpGet::Target(m_http.Url()), m_realm);
        if (m_settings.UserName.isEmpty() || m_answeredChallenge || answer.isEmpty()) {
            End(TSourceEnd::AuthenticationNeeded);
            return;
        }
        m_answeredChallenge = true;
        m_authorization = answer;
        m_http.Start(m_http.Url(), m_authorization);
        return;
    }
    if (head.Status < 200 || head.Status > 299) {
        Fail();  // an error page
        return;
    }
    const QByteArray contentType = head.Field("Content-Type");
    if (contentType.trimmed().toLower().startsWith("multipart/")) {
        m_mode = TMode::Stream;
        m_parser = TMjpegParser(TMjpegParser::BoundaryFromContentType(contentType));
    } else {
        m_mode = TMode::Picture;
    }
}

void TIPCameraSource::BodyReceived(QByteArrayView bytes)
{
    if (m_halted || m_engine.IsStopping())
        return;
    if (m_mode == TMode::Picture) {
        if (m_picture.size() + bytes.size() > MaxPictureSize) {
            Fail();
            return;
        }
        m_picture.append(bytes);
        return;
    }
    m_parser.Feed(bytes, [this](QByteArrayView jpeg) {
        // A camera that floods pictures costs no more than one at 30 a second: the rest are skipped before
        // they are decoded. The schedule keeps its pace (a 50 fps camera gives 30, not every other picture)
        // but saves up no more than one picture's time.
        const qint64 now = m_engine.SourceTime();
        if (m_running && now < m_nextFrameDue)
            return;
        m_nextFrameDue = std::max(m_nextFrameDue + FrameSpacing, now - FrameSpacing);
        if (!m_halted && m_engine.DeliverJpeg(jpeg, now))
            PictureDecoded();
    });
}

void TIPCameraSource::PictureDecoded()
{
    m_sinceFrame.start();
    if (m_retrying) {
        m_retrying = false;
        m_graceTimer.stop();
    }
    if (m_running) {
        if (!m_receiveTimer.isActive() && m_settings.ReceiveTimeoutMs > 0)
            m_receiveTimer.start(std::clamp(m_settings.ReceiveTimeoutMs / 4, 50, 1000));
        return;
    }
    m_running = true;
    m_connectTimer.stop();
    if (m_settings.ReceiveTimeoutMs > 0)
        m_receiveTimer.start(std::clamp(m_settings.ReceiveTimeoutMs / 4, 50, 1000));
}

void TIPCameraSource::CheckReceiveTimeout()
{
    if (m_sinceFrame.elapsed() > m_settings.ReceiveTimeoutMs)
        Fail();
}

void TIPCameraSource::Finished(THttpGet::TEnd end)
{
    if (m_halted)
        return;
    if (end != THttpGet::TEnd::Complete || m_mode != TMode::Picture) {
        // A stream that ends, in whatever way, ends the picture (after the grace period).
        Fail();
        return;
    }
    if (m_engine.DeliverJpeg(m_picture, m_engine.SourceTime()))
        PictureDecoded();
    // The next picture as soon as this one is decoded (a corrupt one is simply fetched again).
    m_picture.clear();
    m_fetchTimer.start(std::max<qint64>(0, MinFetchIntervalMs - m_sinceFetch.elapsed()));
}
