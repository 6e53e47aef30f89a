#pragma once
// A local capture device as a source of the capture pipeline: a TWebcamSource running on the capture
// thread, its pictures handed to the engine like those of a network camera.
//
// Qt Multimedia delivers pictures on a media thread; they wait in a one-frame slot (a newer picture
// replaces one not yet taken, so a busy capture thread skips pictures instead of queueing them) and are
// taken on the capture thread. A device that gives no picture within the connection timeout failed; one
// that falls silent for the receive timeout, fails or is unplugged is lost.
#include "capture/captureengine.h"

#include <QElapsedTimer>
#include <QMutex>

class QTimer;
class TWebcamSource;

class TWebcamCaptureSource : public TCaptureSource
{
    Q_OBJECT
public:
    TWebcamCaptureSource(TCaptureEngine &engine, const TSourceSettings &settings);
    ~TWebcamCaptureSource() override;
    void Start() override;
    void Halt() override;

private:
    void TakePending();
    void CheckSilence();

    TSourceSettings m_settings;
    TWebcamSource *m_webcam = nullptr;
    QTimer *m_watchdog = nullptr;
    QElapsedTimer m_sinceLast;  // since the start, then since the last picture
    bool m_hadPicture = false;
    bool m_halted = false;

    QMutex m_mutex;             // guards the two below (media thread -> capture thread)
    TVideoFrame m_pending;
    bool m_posted = false;
};
