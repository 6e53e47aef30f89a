#pragma once
// Local capture devices (webcams) through Qt Multimedia, and notice of devices that come and go.
//
// TWebcamSource keeps a snapshot of the capture devices (read at creation and by RefreshDevices, so a
// device plugged in later becomes selectable after a refresh), the selected device and picture size, and
// runs the selected device: QCamera -> QMediaCaptureSession -> QVideoSink, each picture converted into a
// TVideoFrame (Format_RGB32) and handed to OnFrame.
//
// Threads: create and call a source on one thread that runs an event loop (the UI thread or the capture
// component's worker). OnFrame is called on the thread on which Qt Multimedia delivers pictures (a media
// thread or the owner's): it must be quick and must not wait for the owner's thread. Once Stop has
// returned, no OnFrame call is running or follows. OnDeviceLost comes on the owner's thread.
// With no device every call returns at once: empty lists, negative indexes, Start gives false.
#include "capture/frame.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QStringList>

#include <functional>

class QCamera;
class QMediaCaptureSession;
class QMediaDevices;
class QVideoFrame;
class QVideoSink;

// Converts a picture of Qt Multimedia into Format_RGB32 pixels in `into` (its buffer is reused when
// nobody else holds it and the size is unchanged). 32-bit BGR pictures are copied row by row; other pixel
// formats are converted by Qt. False when the picture cannot be read.
bool ConvertVideoFrame(const QVideoFrame &source, TVideoFrame &into);

class TWebcamSource : public QObject
{
    Q_OBJECT
public:
    explicit TWebcamSource(QObject *parent = nullptr);
    ~TWebcamSource() override; // stops

    // Reads the list of capture devices again. The selection stays on the device of the same name when it
    // is still there and becomes -1 otherwise. (The capture component's RefreshDevicesAndCompressorsLists:
    // the compressor list is read afresh on every call of AviCompressorNames.)
    void RefreshDevices();

    // Device names in index order; VideoDevices gives them as one text, one name a line.
    QStringList VideoDeviceNames() const { return m_names; }
    QString VideoDevices() const { return m_names.join(QLatin1Char('\n')); }
    // Index of the device of that name (letter case ignored), or -1.
    int VideoDeviceIndex(const QString &name) const;
    // Selects a device; an index that is negative or out of range selects none (VideoDevice() is then -1).
    // Selecting a device selects its first picture size.
    int VideoDevice() const { return m_device; }
    void SetVideoDevice(int index);

    // Picture sizes of the selected device ("640x480"), smallest first; VideoSizes gives them as one text.
    QList<QSize> VideoSizeList() const { return m_sizes; }
    QString VideoSizes() const;
    // Selects a picture size; out of range gives -1, which lets the device use its default.
    int VideoSize() const { return m_size; }
    void SetVideoSize(int index);

    // Starts the selected device (stopping a running one first). False with LastError when no device is
    // selected or the camera refuses at once; a later failure comes through OnDeviceLost.
    bool Start();
    void Stop();
    bool IsRunning() const { return m_camera != nullptr; }
    QString LastError() const { return m_lastError; }

    // Each converted picture: Time counts 100-ns units from Start, Number from 1.
    std::function<void(const TVideoFrame &)> OnFrame;
    // The running device failed or was unplugged; the source has stopped.
    std::function<void(const QString &)> OnDeviceLost;

private:
    void ReadSizes();
    void DeliverFrame(const QVideoFrame &frame);
    void CheckDeviceStillPresent();
    void Lose(const QString &reason);

    QList<QByteArray> m_ids;
    QStringList m_names;
    QList<QSize> m_sizes;
    int m_device = -1;
    int m_size = -1;
    QString m_lastError;

    QMediaDevices *m_devices = nullptr;
    QCamera *m_camera = nullptr;
    QMediaCaptureSession *m_session = nullptr;
    QVideoSink *m_sink = nullptr;
    QByteArray m_runningId;

    QMutex m_deliverLock;     // held while a picture is delivered; Stop takes it to end deliveries
    bool m_delivering = false; // under m_deliverLock
    QElapsedTimer m_clock;
    quint32 m_number = 0;
    TVideoFrame m_frame;
};

// Reports capture devices and sound outputs that are plugged in or removed, as the capture component's
// OnDeviceArrivalOrRemoval (IsDeviceArrival, IsVideoDevice, DeviceName, DeviceIndex). The index is the
// device's position in the list after an arrival and before a removal. Owner's thread (with an event
// loop); events come there.
class TMediaDeviceWatcher : public QObject
{
    Q_OBJECT
public:
    struct TDevice
    {
        QByteArray Id;
        QString Name;
    };
    struct TChange
    {
        bool IsArrival = false;
        QString Name;
        int Index = -1;
    };

    explicit TMediaDeviceWatcher(QObject *parent = nullptr);

    std::function<void(bool isDeviceArrival, bool isVideoDevice, const QString &deviceName, int deviceIndex)>
        OnDeviceArrivalOrRemoval;

    // What turned a device list into another: removals first (indexes in the old list), then arrivals
    // (indexes in the new list).
    static QList<TChange> Changes(const QList<TDevice> &before, const QList<TDevice> &after);

private:
    void Compare(QList<TDevice> &known, const QList<TDevice> &now, bool isVideo);

    QMediaDevices *m_devices = nullptr;
    QList<TDevice> m_video;
    QList<TDevice> m_audio;
};
