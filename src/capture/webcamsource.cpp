#include "capture/webcamsource.h"

#include <QAudioDevice>
#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMutexLocker>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <cstring>

namespace {

QList<TMediaDeviceWatcher::TDevice> VideoInputs()
{
    QList<TMediaDeviceWatcher::TDevice> list;
    for (const QCameraDevice &device : QMediaDevices::videoInputs())
        list.append({device.id(), device.description()});
    return list;
}

QList<TMediaDeviceWatcher::TDevice> AudioOutputs()
{
    QList<TMediaDeviceWatcher::TDevice> list;
    for (const QAudioDevice &device : QMediaDevices::audioOutputs())
        list.append({device.id(), device.description()});
    return list;
}

QCameraDevice DeviceById(const QByteArray &id)
{
    for (const QCameraDevice &device : QMediaDevices::videoInputs())
        if (device.id() == id)
            return device;
    return {};
}

bool IsRgb32Layout(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

bool ConvertVideoFrame(const QVideoFrame &source, TVideoFrame &into)
{
    const QImage::Format layout = QVideoFrameFormat::imageFormatFromPixelFormat(source.pixelFormat());
    if (IsRgb32Layout(layout)) {
        QVideoFrame frame(source);
        if (!frame.map(QVideoFrame::ReadOnly))
            return false;
        const QSize size = frame.size();
        if (into.Image.size() != size || into.Image.format() != QImage::Format_RGB32)
            into.Image = QImage(size, QImage::Format_RGB32);
        const int rowBytes = size.width() * 4;
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(into.Image.scanLine(y), frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0), size_t(rowBytes));
        frame.unmap();
        return !into.Image.isNull();
    }
    QImage image = source.toImage();
    if (image.isNull())
        return false;
    if (image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB32);
    into.Image = std::move(image);
    return true;
}

TWebcamSource::TWebcamSource(QObject *parent)
    : QObject(parent)
{
    RefreshDevices();
}

TWebcamSource::~TWebcamSource()
{
    Stop();
}

void TWebcamSource::RefreshDevices()
{
    const QString selected = m_device >= 0 ? m_names.value(m_device) : QString();
    m_ids.clear();
    m_names.clear();
    for (const TMediaDeviceWatcher::TDevice &device : VideoInputs()) {
        m_ids << device.Id;
        m_names << device.Name;
    }
    const int size = m_size;
    m_device = selected.isEmpty() ? -1 : int(m_names.indexOf(selected));
    ReadSizes();
    if (m_device >= 0)
        SetVideoSize(size);
}

int TWebcamSource::VideoDeviceIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TWebcamSource::SetVideoDevice(int index)
{
    m_device = index >= 0 && index < m_names.size() ? index : -1;
    ReadSizes();
}

void TWebcamSource::ReadSizes()
{
    m_sizes.clear();
    if (m_device >= 0) {
        for (const QCameraFormat &format : DeviceById(m_ids[m_device]).videoFormats())
            if (!format.resolution().isEmpty() && !m_sizes.contains(format.resolution()))
                m_sizes << format.resolution();
        std::sort(m_sizes.begin(), m_sizes.end(), [](const QSize &a, const QSize &b) {
            return qint64(a.width()) * a.height() != qint64(b.width()) * b.height()
                ? qint64(a.width()) * a.height() < qint64(b.width()) * b.height()
                : a.width() < b.width();
        });
    }
    m_size = m_sizes.isEmpty() ? -1 : 0;
}

QString TWebcamSource::VideoSizes() const
{
    QStringList lines;
    for (const QSize &size : m_sizes)
        lines << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    return lines.join(QLatin1Char('\n'));
}

void TWebcamSource::SetVideoSize(int index)
{
    m_size = index >= 0 && index < m_sizes.size() ? index : -1;
}

bool TWebcamSource::Start()
{
    Stop();
    m_lastError.clear();
    if (m_device < 0) {
        m_lastError = QStringLiteral("no capture device selected");
        return false;
    }
    const QCameraDevice device = DeviceById(m_ids[m_device]);
    if (device.isNull()) {
        m_lastError = QStringLiteral("capture device not found: ") + m_names[m_device];
        return false;
    }
    // Of the formats of the chosen size, the one with the highest frame rate.
    QCameraFormat chosen;
    if (m_size >= 0) {
        for (const QCameraFormat &format : device.videoFormats())
            if (format.resolution() == m_sizes[m_size]
                && (chosen.isNull() || format.maxFrameRate() > chosen.maxFrameRate()))
                chosen = format;
    }

    m_camera = new QCamera(device, this);
    if (!chosen.isNull())
        m_camera->setCameraFormat(chosen);
    m_session = new QMediaCaptureSession(this);
    m_sink = new QVideoSink(this);
    m_session->setCamera(m_camera);
    m_session->setVideoSink(m_sink);
    m_runningId = device.id();
    {
        QMutexLocker locker(&m_deliverLock);
        m_delivering = true;
        m_number = 0;
        m_clock.start();
    }
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &TWebcamSource::DeliverFrame, Qt::DirectConnection);
    connect(m_camera, &QCamera::errorOccurred, this, [this](QCamera::Error error, const QString &text) {
        if (error != QCamera::NoError)
            Lose(text);
    });
    if (!m_devices) {
        m_devices = new QMediaDevices(this);
        connect(m_devices, &QMediaDevices::videoInputsChanged, this, &TWebcamSource::CheckDeviceStillPresent);
    }
    m_camera->start();
    if (m_camera->error() != QCamera::NoError) {
        m_lastError = m_camera->errorString();
        Stop();
        return false;
    }
    return true;
}

void TWebcamSource::Stop()
{
    {
        QMutexLocker locker(&m_deliverLock);
        m_delivering = false;
    }
    if (!m_camera)
        return;
    m_sink->disconnect(this);
    m_camera->disconnect(this);
    m_camera->stop();
    m_session->setVideoSink(nullptr);
    m_session->setCamera(nullptr);
    delete m_session;
    delete m_camera;
    delete m_sink;
    m_session = nullptr;
    m_camera = nullptr;
    m_sink = nullptr;
    m_runningId.clear();
}

void TWebcamSource::DeliverFrame(const QVideoFrame &frame)
{
    QMutexLocker locker(&m_deliverLock);
    if (!m_delivering || !frame.isValid() || !ConvertVideoFrame(frame, m_frame))
        return;
    m_frame.Time = m_clock.nsecsElapsed() / 100;
    m_frame.Number = ++m_number;
    if (OnFrame)
        OnFrame(m_frame);
}

void TWebcamSource::CheckDeviceStillPresent()
{
    if (m_camera && DeviceById(m_runningId).isNull())
        Lose(QStringLiteral("capture device removed"));
}

void TWebcamSource::Lose(const QString &reason)
{
    m_lastError = reason;
    // Not from inside the camera's own signal: stop once control is back in the event loop.
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            if (!m_camera)
                return;
            Stop();
            if (OnDeviceLost)
                OnDeviceLost(reason);
        },
        Qt::QueuedConnection);
}

TMediaDeviceWatcher::TMediaDeviceWatcher(QObject *parent)
    : QObject(parent)
    , m_devices(new QMediaDevices(this))
    , m_video(VideoInputs())
    , m_audio(AudioOutputs())
{
    connect(m_devices, &QMediaDevices::videoInputsChanged, this, [this] { Compare(m_video, VideoInputs(), true); });
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, [this] { Compare(m_audio, AudioOutputs(), false); });
}

QList<TMediaDeviceWatcher::TChange> TMediaDeviceWatcher::Changes(const QList<TDevice> &before,
                                                                  const QList<TDevice> &after)
{
    auto indexOf = [](const QList<TDevice> &list, const QByteArray &id) {
        for (int i = 0; i < list.size(); ++i)
            if (list[i].Id == id)
                return i;
        return -1;
    };
    QList<TChange> changes;
    for (int i = 0; i < before.size(); ++i)
        if (indexOf(after, before[i].Id) < 0)
            changes.append({false, before[i].Name, i});
    for (int i = 0; i < after.size(); ++i)
        if (indexOf(before, after[i].Id) < 0)
            changes.append({true, after[i].Name, i});
    return changes;
}

void TMediaDeviceWatcher::Compare(QList<TDevice> &known, const QList<TDevice> &now, bool isVideo)
{
    const QList<TChange> changes = Changes(known, now);
    known = now;
    for (const TChange &change : changes)
        if (OnDeviceArrivalOrRemoval)
            OnDeviceArrivalOrRemoval(change.IsArrival, isVideo, change.Name, change.Index);
}
