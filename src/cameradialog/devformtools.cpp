// The camera dialog's tools: previews, capture device lists, codec, sound test, help pages and the local
// network scan. The buttons are in place and wired; what they do is built with the dialog tools and the
// network discovery, which fill in these handlers.
#include "cameradialog/newcapturedevice.h"

#include "capture/capturecomponent.h"

void TDevForm::ConnectTestIPCamera() {}
void TDevForm::ConnectTestWebcam() {}
void TDevForm::PreviewStart() {}
void TDevForm::PreviewStop() {}
void TDevForm::PreviewStart2() {}
void TDevForm::PreviewStop2() {}
// Leaves the device list as it is until the capture devices are enumerated here.
void TDevForm::FillWebcamDeviceList() {}
void TDevForm::RefreshResolutionList() {}
void TDevForm::ConfigureCodecClick() {}
void TDevForm::TestSoundClick() {}
void TDevForm::HelpClick() {}
void TDevForm::EmailHelpClick() {}
void TDevForm::SMSHelpClick() {}
void TDevForm::ScanLocalNetworkClick() {}

void TDevForm::StopPreviews()
{
    PreviewCapture->StopPreview();
    PreviewCapture2->StopPreview();
}
