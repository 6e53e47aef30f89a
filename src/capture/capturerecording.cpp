// Recording, still frames, the sound-file player and local capture devices of the capture component.
#include "capture/capturecomponent.h"

#include "capture/avirecorder.h"
#include "capture/encodersettingsdialog.h"
#include "capture/filenaming.h"
#include "capture/jpegencoder.h"
#include "capture/recordingsink.h"
#include "capture/soundplayer.h"
#include "capture/webcamsource.h"

#include "core/safefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

// ------------------------------------------------------------------------------------------ recording

int TCaptureComponent::VideoCompressorIndex(const QString &name) const
{
    return AviCompressorIndex(name);
}

bool TCaptureComponent::StartRecording()
{
    if (m_state != cs_Preview && m_state != cs_Recording)
        return false;
    CloseRecording();
    TAviRecorderOptions options;
    options.Compress = m_compressionMode != cm_NoCompression;
    // The one compressor stands in for an index that names none.
    const int compressors = int(AviCompressorNames().size());
    options.CompressorIndex = m_videoCompressor >= 0 && m_videoCompressor < compressors ? m_videoCompressor : 0;
    if (!m_storagePath.isEmpty())
        QDir().mkpath(m_storagePath);
    const QString fileName = NextSequentialFileName(m_storagePath, m_autoFilePrefix, QStringLiteral("avi"));
    QString error;
    if (!m_recording->Start(fileName, options, error)) {
        m_recordingStartFailed = true;
        if (OnLog && !m_recordingFailureLogged->exchange(true))
            OnLog(this, QStringLiteral("Cannot start recording to ") + fileName + QStringLiteral(": ") + error);
        if (m_state == cs_Recording) // the recording it replaced is closed already
            m_state = cs_Preview;
        return false;
    }
    m_recordingStartFailed = false;
    m_state = cs_Recording;
    QMetaObject::invokeMethod(
        this,
        [this, fileName] {
            if (OnRecordingStarted)
                OnRecordingStarted(this, fileName);
        },
        Qt::QueuedConnection);
    return true;
}

void TCaptureComponent::StopRecording()
{
    CloseRecording();
    if (m_state == cs_Recording)
        m_state = cs_Preview;
}

bool TCaptureComponent::RecordingFailed()
{
    if (m_recordingStartFailed)
        return true;
    if (m_state != cs_Recording)
        return false;
    if (m_recording->WriteFailed())
        return true;
    if (m_recording->FramesWritten() > 0)
        *m_recordingFailureLogged = false;
    return false;
}

void TCaptureComponent::CloseRecording()
{
    if (!m_recording->IsRecording())
        return;
    // A recording that already reported its failure is not reported again for its unfinished file.
    const bool failed = m_recording->WriteFailed();
    if (!m_recording->Stop() && !failed && OnLog)
        OnLog(this, QStringLiteral("The recording file could not be finished properly"));
}

// ------------------------------------------------------------------------------------------- stills

bool TCaptureComponent::CaptureFrameTo(TFrameCaptureDest dest, const QString &fileName)
{
    return WriteStill(dest, fileName);
}

bool TCaptureComponent::CaptureFrameSyncTo(TFrameCaptureDest dest, const QString &fileName)
{
    return WriteStill(dest, fileName);
}

bool TCaptureComponent::WriteStill(TFrameCaptureDest dest, const QString &fileName)
{
    if (dest != fc_JpegFile && dest != fc_BmpFile)
        return false;
    const TVideoFrame frame = LatestFrame();
    if (frame.Image.isNull())
        return false;
    QString target = fileName;
    if (target.isEmpty()) {
        if (!m_storagePath.isEmpty())
            QDir().mkpath(m_storagePath);
        target = NextSequentialFileName(m_storagePath, m_autoFilePrefix,
                                        dest == fc_JpegFile ? QStringLiteral("jpg") : QStringLiteral("bmp"));
    }
    if (dest == fc_BmpFile) {
        QByteArray bitmap;
        QBuffer buffer(&bitmap);
        return buffer.open(QIODevice::WriteOnly) && frame.Image.save(&buffer, "BMP")
               && ReplaceFileContent(target, bitmap);
    }
    if (!m_stillEncoder)
        m_stillEncoder = std::make_unique<TJpegEncoder>();
    if (m_stillEncoder->EncodeToFile(frame.Image, m_jpegQuality, target)) {
        m_stillFailureLogged = false;
        return true;
    }
    // A full disk fails every still: the reason is logged once, until a still is written again.
    if (OnLog && !std::exchange(m_stillFailureLogged, true))
        OnLog(this, QStringLiteral("Cannot write ") + target + QStringLiteral(": ") + m_stillEncoder->LastError());
    return false;
}

void TCaptureComponent::ShowDialog(TDialog dialog)
{
    // The compressor's settings are the encoder's own, stored per user; other dialogs do not exist here.
    if (dialog == dlg_VideoCompressor)
        TEncoderSettingsDialog::Edit(this);
}

// ------------------------------------------------------------------------------------ sound player

TSoundPlayer &TCaptureComponent::Player()
{
    if (!m_player) {
        m_player = new TSoundPlayer(this);
        m_player->OnPlayerStateChanged = [this](TPlayerState oldState, TPlayerState newState) {
            m_playerState = newState;
            if (OnPlayerStateChanged)
                OnPlayerStateChanged(this, oldState, newState);
        };
        WatchDevices();
    }
    return *m_player;
}

void TCaptureComponent::SetAudioVolume(int value)
{
    m_audioVolume = std::clamp(value, 0, 65535);
    if (m_player)
        m_player->SetAudioVolume(m_audioVolume);
}

bool TCaptureComponent::OpenPlayer()
{
    TSoundPlayer &player = Player();
    player.SetPlayerFileName(m_playerFileName);
    player.SetAudioVolume(m_audioVolume);
    if (player.OpenPlayer())
        return true;
    if (OnLog)
        OnLog(this, QStringLiteral("Cannot play ") + m_playerFileName + QStringLiteral(": ") + player.LastError());
    return false;
}

bool TCaptureComponent::RunPlayer()
{
    return m_player && m_player->RunPlayer();
}

void TCaptureComponent::ClosePlayer()
{
    if (m_player)
        m_player->ClosePlayer();
}

// ---------------------------------------------------------------------------------- capture devices

TWebcamSource &TCaptureComponent::DeviceList()
{
    if (!m_deviceList) {
        m_deviceList = new TWebcamSource(this);
        WatchDevices();
    }
    return *m_deviceList;
}

void TCaptureComponent::WatchDevices()
{
    if (m_deviceWatcher)
        return;
    m_deviceWatcher = new TMediaDeviceWatcher(this);
    m_deviceWatcher->OnDeviceArrivalOrRemoval = [this](bool arrival, bool video, const QString &name, int index) {
        if (OnDeviceArrivalOrRemoval)
            OnDeviceArrivalOrRemoval(this, arrival, video, name, index);
    };
}

QString TCaptureComponent::VideoDevices() const
{
    return const_cast<TCaptureComponent *>(this)->DeviceList().VideoDevices();
}

int TCaptureComponent::VideoDeviceIndex(const QString &name) const
{
    return const_cast<TCaptureComponent *>(this)->DeviceList().VideoDeviceIndex(name);
}

void TCaptureComponent::SetVideoDevice(int index)
{
    TWebcamSource &list = DeviceList();
    list.SetVideoDevice(index);
    m_videoDevice = list.VideoDevice();
    const QString name = m_videoDevice >= 0 ? list.VideoDeviceNames().value(m_videoDevice) : QString();
    if (name == m_settings.VideoDeviceName && m_videoDevice == m_settings.VideoDeviceIndex)
        return;
    m_settings.VideoDeviceName = name;
    m_settings.VideoDeviceIndex = m_videoDevice;
    if (m_settings.Source == vs_VideoCaptureDevice)
        SourceSettingsChanged();
}

QString TCaptureComponent::VideoSizes() const
{
    return m_videoDevice >= 0 ? const_cast<TCaptureComponent *>(this)->DeviceList().VideoSizes() : QString();
}

void TCaptureComponent::SetVideoSize(int index)
{
    m_videoSize = index;
    if (m_settings.VideoSize == index)
        return;
    m_settings.VideoSize = index;
    if (m_settings.Source == vs_VideoCaptureDevice)
        SourceSettingsChanged();
}

void TCaptureComponent::RefreshDevicesAndCompressorsLists()
{
    // The compressor list is read afresh by every AviCompressorNames call.
    TWebcamSource &list = DeviceList();
    list.RefreshDevices();
    SetVideoDevice(list.VideoDevice());
}
