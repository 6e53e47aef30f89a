#include "capture/ipcamerasource.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

TIPCameraSource::TIPCameraSource(TCaptureEngine &engine, const TSourceSettings &settings)
    : TCaptureSource(engine), m_settings(settings), m_url(QUrl(settings.IPCameraURL, QUrl::TolerantMode))
{
    m_connectTimer.setSingleShot(true);
    m_fetchTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (!m_running)
            End(TSourceEnd::Failed);
    });
    connect(&m_fetchTimer, &QTimer::timeout, this, &TIPCameraSource::Fetch);
    connect(&m_receiveTimer, &QTimer::timeout, this, &TIPCameraSource::CheckReceiveTimeout);
    connect(&m_engine.Network(), &QNetworkAccessManager::authenticationRequired, this,
            &TIPCameraSource::AuthenticationRequired);
}

TIPCameraSource::~TIPCameraSource()
{
    Halt();
}

void TIPCameraSource::Start()
{
    // Credentials and connections of an earlier attempt must not decide this one.
    m_engine.Network().clearAccessCache();
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
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void TIPCameraSource::End(TSourceEnd end)
{
    if (m_halted)
        return;
    const QString realm = m_realm;
    Halt();
    m_engine.SourceEnded(end, realm, m_url.host());
}

void TIPCameraSource::Fetch()
{
    if (m_halted)
        return;
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    m_mode = TMode::Unknown;
    m_picture.clear();
    m_credentialsOffered = false;
    m_refused = false;
    m_sinceFetch.start();
    m_reply = m_engine.Network().get(request);
    // Unread data is left in the socket, so a stalled reader never makes the reply grow.
    m_reply->setReadBufferSize(1024 * 1024);
    connect(m_reply, &QNetworkReply::readyRead, this, &TIPCameraSource::ReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &TIPCameraSource::Finished);
}

bool TIPCameraSource::DetermineMode()
{
    if (m_mode != TMode::Unknown)
        return true;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299)
        return false;  // an error page: the reply finishes with an error
    const QByteArray contentType = m_reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    if (contentType.trimmed().toLower().startsWith("multipart/")) {
        m_mode = TMode::Stream;
        m_parser = TMjpegParser(TMjpegParser::BoundaryFromContentType(contentType));
    } else {
        m_mode = TMode::Picture;
    }
    return true;
}

void TIPCameraSource::ReadyRead()
{
    if (!DetermineMode()) {
        m_reply->skip(m_reply->bytesAvailable());
        return;
    }
    while (!m_halted && !m_engine.IsStopping()) {
        const qint64 n = m_reply->read(m_readBuffer.data(), qint64(m_readBuffer.size()));
        if (n <= 0)
            return;
        if (m_mode == TMode::Picture) {
            if (m_picture.size() + n > MaxPictureSize) {
                End(m_running ? TSourceEnd::Lost : TSourceEnd::Failed);
                return;
            }
            m_picture.append(m_readBuffer.data(), n);
            continue;
        }
        m_parser.Feed(QByteArrayView(m_readBuffer.data(), n), [this](QByteArrayView jpeg) {
            if (!m_halted && m_engine.DeliverJpeg(jpeg, m_engine.SourceTime()))
                PictureDecoded();
        });
    }
}

void TIPCameraSource::PictureDecoded()
{
    m_sinceFrame.start();
    if (m_running)
        return;
    m_running = true;
    m_connectTimer.stop();
    if (m_settings.ReceiveTimeoutMs > 0)
        m_receiveTimer.start(std::clamp(m_settings.ReceiveTimeoutMs / 4, 50, 1000));
}

void TIPCameraSource::CheckReceiveTimeout()
{
    if (m_sinceFrame.elapsed() > m_settings.ReceiveTimeoutMs)
        End(TSourceEnd::Lost);
}

void TIPCameraSource::AuthenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator)
{
    if (reply != m_reply || m_halted)
        return;
    m_realm = authenticator->realm();
    if (!m_credentialsOffered && !m_settings.UserName.isEmpty()) {
        m_credentialsOffered = true;
        authenticator->setUser(m_settings.UserName);
        authenticator->setPassword(m_settings.Password);
        return;
    }
    // Asked again for the same request (refused), or nothing to offer: leaving the authenticator empty
    // makes the reply finish with an authentication error.
    m_refused = true;
}

void TIPCameraSource::Finished()
{
    QNetworkReply *reply = m_reply;
    if (!reply || m_halted)
        return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_refused || reply->error() == QNetworkReply::AuthenticationRequiredError || status == 401) {
        End(TSourceEnd::AuthenticationNeeded);
        return;
    }
    if (reply->error() == QNetworkReply::NoError)
        DetermineMode();  // an empty answer never went through ReadyRead
    if (reply->error() != QNetworkReply::NoError || m_mode != TMode::Picture) {
        // A stream that ends, in whatever way, ends the picture.
        End(m_running ? TSourceEnd::Lost : TSourceEnd::Failed);
        return;
    }
    m_reply = nullptr;
    if (m_engine.DeliverJpeg(m_picture, m_engine.SourceTime()))
        PictureDecoded();
    // The next picture as soon as this one is decoded (a corrupt one is simply fetched again).
    m_picture.clear();
    m_fetchTimer.start(std::max<qint64>(0, MinFetchIntervalMs - m_sinceFetch.elapsed()));
}
