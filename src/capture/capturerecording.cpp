// Recording, still frames, the sound-file player and local capture devices of the capture component.
// Stand-ins until the recorder, JPEG writer, player and webcam source are wired in.
#include "capture/capturecomponent.h"

int TCaptureComponent::VideoCompressorIndex(const QString &) const { return -1; }
bool TCaptureComponent::StartRecording() { return false; }
void TCaptureComponent::StopRecording() {}
bool TCaptureComponent::CaptureFrameTo(TFrameCaptureDest, const QString &) { return false; }
bool TCaptureComponent::CaptureFrameSyncTo(TFrameCaptureDest, const QString &) { return false; }
void TCaptureComponent::ShowDialog(TDialog) {}
bool TCaptureComponent::OpenPlayer() { return false; }
bool TCaptureComponent::RunPlayer() { return false; }
void TCaptureComponent::ClosePlayer() {}
QString TCaptureComponent::VideoDevices() const { return {}; }
int TCaptureComponent::VideoDeviceIndex(const QString &) const { return -1; }
QString TCaptureComponent::VideoSizes() const { return {}; }
void TCaptureComponent::RefreshDevicesAndCompressorsLists() {}
