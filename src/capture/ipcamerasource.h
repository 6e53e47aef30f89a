#pragma once
// A network camera reached by HTTP GET: a multipart/x-mixed-replace answer is a motion-JPEG stream, any
// other answer is one JPEG picture, fetched again as soon as it is decoded (at most 30 times a second).
//
// Ends (TCaptureEngine::SourceEnded):
//  - no picture within the connection time-out, refused connection, HTTP error, unusable stream: Failed;
//  - after pictures have come: the stream ends or fails, a fetch fails, or no picture for the receive
//    time-out: Lost;
//  - a 401 that the given credentials cannot answer (none given, or refused): AuthenticationNeeded.
#include "capture/captureengine.h"
#include "capture/mjpegparser.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <array>

class QAuthenticator;
class QNetworkReply;

class TIPCameraSource : public TCaptureSource
{
    Q_OBJECT
public:
    // A single picture larger than this is refused.
    static constexpr qsizetype MaxPictureSize = TMjpegParser::MaxPartSize;
    static constexpr int MinFetchIntervalMs = 34;  // at most 30 pictures a second

    TIPCameraSource(TCaptureEngine &engine, const TSourceSettings &settings);
    ~TIPCameraSource() override;
    void Start() override;
    void Halt() override;

private:
    enum class TMode
    {
        Unknown,
        Stream,
        Picture
    };

    void Fetch();
    void ReadyRead();
    void Finished();
    void AuthenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    void PictureDecoded();
    void CheckReceiveTimeout();
    void End(TSourceEnd end);
    bool DetermineMode();

    TSourceSettings m_settings;
    QUrl m_url;
    QNetworkReply *m_reply = nullptr;
    TMode m_mode = TMode::Unknown;
    TMjpegParser m_parser;
    QByteArray m_picture;
    std::array<char, 64 * 1024> m_readBuffer;
    QTimer m_connectTimer;   // the first picture must come within the connection time-out
    QTimer m_receiveTimer;   // checks the time since the last picture once running
    QTimer m_fetchTimer;     // the next single picture
    QElapsedTimer m_sinceFrame;
    QElapsedTimer m_sinceFetch;
    bool m_running = false;          // a picture has come
    bool m_credentialsOffered = false;  // for the current request
    bool m_refused = false;          // credentials missing or refused for the current request
    bool m_halted = false;
    QString m_realm;
};
