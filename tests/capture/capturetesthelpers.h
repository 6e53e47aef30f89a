#pragma once
// Shared pieces of the capture tests: the camera simulator and ffmpeg as real peers, a UI-stall meter,
// an event recorder for the component, and small frame and process helpers.
#include "capture/capturecomponent.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

quint16 FreeLoopbackPort();
// A socket listens on 127.0.0.1:port (from /proc/net/tcp, so nothing connects to find out).
bool IsListening(quint16 port);
qint64 ResidentBytes();
qint64 ProcessCpuMs();
QByteArray EncodeJpeg(const QImage &image, int quality = 85);
QImage SolidFrame(QSize size, const QColor &colour);
// Pixels of `image` inside `area` that are close to `colour`.
int CountPixels(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 40);
// Standard output of a program that exits with 0 within 30 s; empty otherwise.
QByteArray Run(const QString &program, const QStringList &arguments);
// What ffprobe reads from a file's video stream, with "duration" and "frames" (decoded) as numbers.
QJsonObject Probe(const QString &file);
// A mono 16-bit PCM WAV file with a tone of the given length.
bool WriteWav(const QString &path, double seconds);

struct THttpAnswer
{
    int Status = 0;  // 0: no answer
    QByteArray Head;
    QByteArray Body;
};
// One GET on a fresh loopback connection; reads until the server closes, the announced length is in, or
// the time is up.
THttpAnswer HttpGet(quint16 port, const QByteArray &target, int timeoutMs = 2000);

// ffmpeg's own MJPEG HTTP server (serves one client, then exits).
class TFfmpegServer
{
public:
    explicit TFfmpegServer(quint16 port);
    ~TFfmpegServer();
    bool WaitListening(int timeoutMs = 5000);
    QString Url() const;
    void Kill();

private:
    QProcess m_process;
    quint16 m_port;
};

// The longest gap between the ticks of a 5 ms timer on the UI thread, i.e. the longest UI stall.
class TStallMeter
{
public:
    TStallMeter();
    qint64 LongestGapMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Counts what a component raises and checks that it comes on the UI thread.
struct TEventRecorder
{
    explicit TEventRecorder(TCaptureComponent &component);

    struct TMotion
    {
        bool Detected;
        double Ratio;
        quint32 Number;
        qint64 Time;
    };
    int Frames = 0;               // OnFrameBitmap calls
    qint64 FirstFrameMs = -1;     // since the recorder was made
    int DeviceLost = 0;
    int AuthenticationNeeded = 0;
    QString Realm;
    QString Server;
    QString UserName;
    QList<TMotion> Motion;
    QStringList RecordingsStarted;                            // OnRecordingStarted file names
    QList<QPair<TPlayerState, TPlayerState>> PlayerChanges;   // OnPlayerStateChanged (old, new)
    bool AllOnUiThread = true;
    QElapsedTimer Clock;
};
