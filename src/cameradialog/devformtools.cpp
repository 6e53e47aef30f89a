// The camera dialog's tools: previews, capture device lists, codec, sound test, help pages and the local
// network scan. None of them changes a camera record; a preview that cannot connect simply shows no
// picture (the component opens its source in the background, so no tool waits for a camera).
#include "cameradialog/devformtools.h"
#include "core/services.h"

#include "cameradialog/devformscan.h"
#include "cameradialog/newcapturedevice.h"
#include "capture/avirecorder.h"
#include "capture/capturecomponent.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/startup.h"
#include "core/translation.h"
#include "platform/folders.h"
#include "runtime/siren.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QUrl>

#include <array>

using namespace Qt::StringLiterals;

namespace {

QStringList Lines(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// Starts a preview under the busy cursor; the start itself returns at once.
void StartWithBusyCursor(TCaptureComponent *preview)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    preview->StartPreview();
    QGuiApplication::restoreOverrideCursor();
}

void SelectFirst(QComboBox *list)
{
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

} // namespace

// --- device lists and codec -------------------------------------------------------------------------------

QStringList TComponentDeviceLists::Devices()
{
    m_component.RefreshDevicesAndCompressorsLists();
    return Lines(m_component.VideoDevices());
}

QStringList TComponentDeviceLists::Sizes(int device)
{
    m_component.SetVideoSource(vs_VideoCaptureDevice);
    m_component.SetVideoDevice(device);
    return Lines(m_component.VideoSizes());
}

void ConfigureCodec(TCaptureComponent &component, int compressorIndex, QWidget *mainWindow)
{
    if (compressorIndex >= 0) {
        // The codec keeps its settings itself; nothing goes into the camera.
        component.SetVideoCompressor(compressorIndex);
        component.ShowDialog(dlg_VideoCompressor);
        return;
    }
    const QString question =
        Translate(u"Xvid codec is not installed although we asked to do this on setup process."_s) + u'\n'
        + Translate(u"Do you want to install the codec now?"_s) + u"\n\n"_s
        + Translate(u"If you choose \"No\", a video will be recorded into big uncompressed AVI files."_s) + u"\n\n"_s
        + Translate(u"If you choose \"Yes\", the program will be closed, and Xvid Setup will be launched."_s);
    if (!Prompts().Ask(TPromptKind::Confirmation, ApplicationTitle, question))
        return;
    Prompts().OpenUrl(QUrl::fromLocalFile(QDir(ProgramFolder()).filePath(u"xvid.exe"_s)).toString());
    if (mainWindow)
        mainWindow->close();
}

// --- the dialog's handlers --------------------------------------------------------------------------------

void TDevForm::SetDeviceLists(TCaptureDeviceLists *lists)
{
    m_deviceLists = lists;
}

TCaptureDeviceLists &TDevForm::DeviceLists()
{
    if (m_deviceLists)
        return *m_deviceLists;
    if (!m_componentDeviceLists)
        m_componentDeviceLists = std::make_unique<TComponentDeviceLists>(*PreviewCapture);
    return *m_componentDeviceLists;
}

void TDevForm::ConnectTestIPCamera()
{
    PreviewCapture->StopPreview();
    PreviewCapture->SetVideoSource(vs_IPCamera);
    PreviewCapture->SetIPCameraURL(PreviewAddress());
    // Credentials of an earlier test must not travel to this camera.
    const bool authenticate = chCameraAuthentication->isChecked() && !edUserName->text().isEmpty();
    PreviewCapture->SetAuthentication(at_IPCamera, authenticate ? edUserName->text() : QString(),
                                      authenticate ? edPassword->text() : QString());
    StartWithBusyCursor(PreviewCapture);
}

void TDevForm::ConnectTestWebcam()
{
    PreviewCapture2->SetVideoSource(vs_VideoCaptureDevice);
    PreviewCapture2->SetVideoDevice(cmbWebcamDevice->currentIndex());
    PreviewCapture2->SetVideoSize(cmbWebcamResol->currentIndex());
    StartWithBusyCursor(PreviewCapture2);
}

void TDevForm::PreviewStart() { PreviewCapture->StartPreview(); }
void TDevForm::PreviewStop() { PreviewCapture->StopPreview(); }
void TDevForm::PreviewStart2() { PreviewCapture2->StartPreview(); }
void TDevForm::PreviewStop2() { PreviewCapture2->StopPreview(); }

void TDevForm::FillWebcamDeviceList()
{
    cmbWebcamDevice->clear();
    cmbWebcamDevice->addItems(DeviceLists().Devices());
    SelectFirst(cmbWebcamDevice);
    RefreshResolutionList();
}

void TDevForm::RefreshResolutionList()
{
    cmbWebcamResol->clear();
    if (cmbWebcamDevice->currentIndex() >= 0)
        cmbWebcamResol->addItems(DeviceLists().Sizes(cmbWebcamDevice->currentIndex()));
    SelectFirst(cmbWebcamResol);
}

void TDevForm::ConfigureCodecClick()
{
    ConfigureCodec(*PreviewCapture2, PreviewCapture2->VideoCompressorIndex(XvidCompressorName),
                   parentWidget() ? parentWidget()->window() : nullptr);
}

void TDevForm::TestSoundClick()
{
    PreviewCapture2->SetPlayerFileName(SirenSoundFile(ComboBox1->currentIndex()));
    PreviewCapture2->SetAudioVolume(SirenVolume(TrackBar4->value()));
    PreviewCapture2->OpenPlayer();
}

QString TDevForm::HelpTopicOfPage() const
{
    static const std::array<const QString *, 5> topics = {nullptr, &HelpTopic::Detection, &HelpTopic::Sirene,
                                                           &HelpTopic::DeliveryOfNotifications, &HelpTopic::Scheduler};
    const int page = PageControl1->currentIndex();
    if (page == 0)
        return DevType() == 0 ? HelpTopic::AddingIPCamera : HelpTopic::AddingWebcam;
    return page > 0 && page < int(topics.size()) ? *topics[size_t(page)] : QString();
}

void TDevForm::HelpClick() { Prompts().OpenUrl(App().HelpPage + HelpTopicOfPage()); }
void TDevForm::EmailHelpClick() { Prompts().OpenUrl(App().HelpPage + HelpTopic::DeliveryOfNotifications); }
void TDevForm::SMSHelpClick() { Prompts().OpenUrl(App().HelpPage + HelpTopic::SMS); }

void TDevForm::ScanLocalNetworkClick()
{
    if (!m_lanScan)
        m_lanScan = std::make_unique<TDevFormLanScan>(*this);
    m_lanScan->ScanLocalNetwork();
}

void TDevForm::StopPreviews()
{
    PreviewCapture->StopPreview();
    PreviewCapture2->StopPreview();
}
