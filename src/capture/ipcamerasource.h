#pragma once
// A network camera reached by HTTP GET: a multipart/x-mixed-replace answer is a motion-JPEG stream (of
// which at most about 30 pictures a second are decoded), any other answer is one JPEG picture, fetched
// again as soon as it is decoded (at most 30 times a second).
//
// Ends (TCaptureEngine::SourceEnded):
//  - no picture within the connection time-out, refused connection, HTTP error, unusable stream: Failed;
//  - after pictures have come: the stream ends or fails, a fetch fails, or no picture for the receive
//    time-out, and no picture either within the grace period in which the source tries again by itself
//    (at once, then every second): Lost. A camera away for a moment thus never reports a loss;
//  - a 401 that the given credentials cannot answer (none given, or refused): AuthenticationNeeded.
#include "capture/captureengine.h"
#include "capture/httpget.h"
#include "capture/mjpegparser.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>


class TIPCameraSource : public TCaptureSource
{
    Q_OBJECT
public:
    // A single picture larger than this is refused.
    static constexpr qsizetype MaxPictureSize = TMjpegParser::MaxPartSize;
    static constexpr int MinFetchIntervalMs = 34;  // at most 30 pictures a second
    static constexpr qint64 FrameSpacing = 10000000 / 30;  // 100-ns units: a stream is decoded at most 30 times a second
    static constexpr int RetryIntervalMs = 1000;   // between the tries of the grace period

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
    void HeadReceived();
    void BodyReceived(QByteArrayView bytes);
    void Finished(THttpGet::TEnd end);
    void PictureDecoded();
    void CheckReceiveTimeout();
    void End(TSourceEnd end);
    // The picture stopped: Failed before the first picture, else try again within the grace period.
    void Fail();
    void DropReply();
    bool DetermineMode();

    TSourceSettings m_settings;
    QUrl m_url;
    THttpGet m_http;
    TMode m_mode = TMode::Unknown;
    TMjpegParser m_parser;
    QByteArray m_picture;
    QByteArray m_authorization;      // the answer to the camera's last challenge, offered with every request
    QTimer m_connectTimer;   // the first picture must come within the connection time-out
    QTimer m_receiveTimer;   // checks the time since the last picture once running
    QTimer m_fetchTimer;     // the next single picture, or the next try after a loss
    QTimer m_graceTimer;     // a loss not mended in time is reported
    QElapsedTimer m_sinceFrame;
    QElapsedTimer m_sinceFetch;
    bool m_running = false;          // a picture has come
    bool m_answeredChallenge = false;  // the current fetch answered a challenge of its own
    bool m_halted = false;
    bool m_retrying = false;         // lost, trying again within the grace period
    qint64 m_nextFrameDue = 0;       // source time before which a stream's picture is skipped
    QString m_realm;
};
