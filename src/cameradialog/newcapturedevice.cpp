#include "cameradialog/newcapturedevice.h"

#include "cameradialog/devformscan.h"
#include "cameradialog/devformtools.h"
#include "cameradialog/proxysettings.h"
#include "cameradialog/scheduleeditor.h"
#include "capture/capturecomponent.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/subsystems.h"
#include "core/translation.h"
#include "notify/email.h"
#include "notify/smsalerts.h"
#include "runtime/streamaddress.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum TPage { pgCamera, pgDetection, pgAlarm, pgNotifications, pgScheduler };

const QString DefaultCameraPort = QStringLiteral("80");
const QString DefaultSMTPPort = QStringLiteral("25");
const QString DefaultProxyPort = QStringLiteral("80");

void SetEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

// A whole number as typed: an optional minus sign and decimal digits, nothing else, within int.
std::optional<int> StrictInteger(const QString &text)
{
    const qsizetype digits = text.startsWith(u'-') ? 1 : 0;
    if (text.size() == digits || text.size() > digits + 10)
        return std::nullopt;
    for (qsizetype i = digits; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool IsPort(const QString &text)
{
    const std::optional<int> port = StrictInteger(text);
    return port && *port >= 1 && *port <= 65535;
}

} // namespace

TDevForm::TDevForm(ISettingsCommands *settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    for (int page = pgCamera; page <= pgScheduler; ++page)
        PageControl1->addTab(new QWidget, QString());
    BuildCameraPage(PageControl1->widget(pgCamera));
    BuildDetectionPage(PageControl1->widget(pgDetection));
    BuildAlarmPage(PageControl1->widget(pgAlarm));
    BuildNotificationsPage(PageControl1->widget(pgNotifications));
    auto *schedulePage = new QVBoxLayout(PageControl1->widget(pgScheduler));
    schedulePage->setContentsMargins(0, 0, 0, 0);
    Schedule = new TScheduleEditor(PageControl1->widget(pgScheduler));
    schedulePage->addWidget(Schedule);
    layout->addWidget(PageControl1, 1);

    auto *bottom = new QHBoxLayout;
    btnHelp = new QPushButton(this);
    btnOK = new QPushButton(this);
    btnCancel = new QPushButton(this);
    bottom->addWidget(btnHelp);
    bottom->addStretch();
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    layout->addLayout(bottom);

    // Enter is OK wherever the focus is; the other buttons react to the space bar and the mouse.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    btnOK->setDefault(true);

    ProxyForm = new TProxyForm(this);
    WireHandlers();
    SetCaptions();
    ClearCameraControls();
}

TDevForm::~TDevForm() = default;

void TDevForm::WireHandlers()
{
    connect(btnOK, &QPushButton::clicked, this, &TDevForm::OKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbIPCamera, &QRadioButton::toggled, this, [this] { SetDevType(DevType()); });
    connect(cmbBrands, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_preparing)
            cmbBrandsChange();
    });
    connect(cmbModels, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_preparing)
            cmbModelsChange();
    });
    connect(Label9, &QPushButton::clicked, this, &TDevForm::Label9Click);
    connect(chCameraAuthentication, &QCheckBox::toggled, this, &TDevForm::UpdateCameraAuthenticationEnabling);
    connect(CheckBox2, &QCheckBox::toggled, this, &TDevForm::UpdateRecordingEnabling);
    connect(CheckBox3, &QCheckBox::toggled, this, &TDevForm::UpdateSnapshotEnabling);
    connect(CheckBox4, &QCheckBox::toggled, this, &TDevForm::UpdateSoundEnabling);
    connect(CheckBox15, &QCheckBox::toggled, this, &TDevForm::UpdateEmailEnabling);
    connect(chckAuthentication, &QCheckBox::toggled, this, &TDevForm::UpdateEmailEnabling);
    connect(CheckBox1, &QCheckBox::toggled, this, &TDevForm::UpdateSMSEnabling);
    connect(CheckBox6, &QCheckBox::clicked, this, &TDevForm::CheckBox6Click);
    connect(btnTestEmail, &QPushButton::clicked, this, &TDevForm::SendTestEmailClick);
    connect(btnTestSMS, &QPushButton::clicked, this, &TDevForm::SendTestSMSClick);
    connect(lblProxy, &QPushButton::clicked, this, &TDevForm::ProxySettingsClick);
    connect(lblOutputFolder, &QPushButton::clicked, this, &TDevForm::OutputFolderClick);

    connect(btnConnectTest, &QPushButton::clicked, this, &TDevForm::ConnectTestIPCamera);
    connect(btnConnectTest2, &QPushButton::clicked, this, &TDevForm::ConnectTestWebcam);
    connect(btnPreviewStart, &QToolButton::clicked, this, &TDevForm::PreviewStart);
    connect(btnPreviewStop, &QToolButton::clicked, this, &TDevForm::PreviewStop);
    connect(btnPreviewStart2, &QToolButton::clicked, this, &TDevForm::PreviewStart2);
    connect(btnPreviewStop2, &QToolButton::clicked, this, &TDevForm::PreviewStop2);
    // Picking a device, also the same one again, rebuilds its resolution list.
    connect(cmbWebcamDevice, &QComboBox::activated, this, &TDevForm::RefreshResolutionList);
    connect(btnConfigureCodec, &QPushButton::clicked, this, &TDevForm::ConfigureCodecClick);
    connect(btnTestSound, &QPushButton::clicked, this, &TDevForm::TestSoundClick);
    connect(btnHelp, &QPushButton::clicked, this, &TDevForm::HelpClick);
    connect(btnEmailHelp, &QToolButton::clicked, this, &TDevForm::EmailHelpClick);
    connect(btnSMSHelp, &QToolButton::clicked, this, &TDevForm::SMSHelpClick);
    connect(btnScanLAN, &QPushButton::clicked, this, &TDevForm::ScanLocalNetworkClick);
}

void TDevForm::SetCaptions()
{
    PageControl1->setTabText(pgCamera, Translate(u"Camera"_s));
    PageControl1->setTabText(pgDetection, Translate(u"Detection && Recording"_s));
    PageControl1->setTabText(pgAlarm, Translate(u"Alarm"_s));
    PageControl1->setTabText(pgNotifications, Translate(u"Email && SMS Notifications"_s));
    PageControl1->setTabText(pgScheduler, Translate(u"Scheduler"_s));

    lblTitle->setText(Translate(u"Device Title:"_s));
    rgDevType->setTitle(Translate(u"Device Type"_s));
    rbIPCamera->setText(Translate(u"IP Camera"_s));
    rbWebcam->setText(Translate(u"Webcam"_s));
    gbDeviceSettings->setTitle(Translate(u"Device Settings"_s));
    lblBrand->setText(Translate(u"Brand:"_s));
    lblModel->setText(Translate(u"Model:"_s));
    Label9->setText(Translate(u"Your camera is not listed here?"_s));
    lblIP->setText(Translate(u"IP Address:"_s));
    lblPort->setText(Translate(u"Port:"_s));
    chCameraAuthentication->setText(Translate(u"IP Camera requires authentication:"_s));
    lblUserName->setText(Translate(u"Username:"_s));
    lblPassword->setText(Translate(u"Password:"_s));
    btnScanLAN->setText(Translate(u"Scan Local Network..."_s));
    btnConnectTest->setText(Translate(u"Connect && Test"_s));
    btnConnectTest2->setText(Translate(u"Connect && Test"_s));
    PreviewCapture->SetCaption(Translate(u"Preview"_s));
    PreviewCapture2->SetCaption(Translate(u"Preview"_s));
    lblDevice->setText(Translate(u"Device:"_s));
    lblResolution->setText(Translate(u"Resolution:"_s));

    lblSensitivity->setText(Translate(u"Sensitivity for motion detection:"_s));
    CheckBox2->setText(Translate(u"On motion detection, record videos in AVI / MPEG-4 format"_s));
    lblVideoQuality->setText(Translate(u"Quality:"_s));
    btnConfigureCodec->setText(Translate(u"Configure Codec..."_s));
    lblContinue->setText(Translate(u"After last motion event, continue recording for "_s));
    lblContinueSeconds->setText(Translate(u"seconds"_s));
    CheckBox3->setText(Translate(u"On motion detection, take snapshots in JPEG format"_s));
    lblSnapshotQuality->setText(Translate(u"Quality:"_s));
    lblEvery->setText(Translate(u"Take snapshot every"_s));
    lblSecondsForNext->setText(Translate(u"seconds for next"_s));
    lblSnapshotSeconds->setText(Translate(u"seconds"_s));
    lblOutputFolder->setText(Translate(u"Configure output directory for video and snapshots..."_s));

    CheckBox4->setText(Translate(u"Play sound file when motion is detected"_s));
    lblSound->setText(Translate(u"Audio alarm to be played:"_s));
    lblPlayFor->setText(Translate(u"Play audio alarm for"_s));
    lblPlaySeconds->setText(Translate(u"seconds"_s));
    lblPause->setText(Translate(u"Pause between sound alerts:"_s));
    lblPauseMinutes->setText(Translate(u"minutes"_s));
    lblVolume->setText(Translate(u"Audio alarm volume"_s));
    lblMute->setText(Translate(u"Mute"_s));
    lblVeryLoud->setText(Translate(u"Very Loud"_s));
    btnTestSound->setText(Translate(u"Test"_s));
    chckAuthentication->setText(Translate(u"Outgoing server requires authentication"_s));

    CheckBox15->setText(Translate(u"Send email when motion is detected"_s));
    lblFrom->setText(Translate(u"From (email):"_s));
    lblTo->setText(Translate(u"To email:"_s));
    lblHost->setText(Translate(u"SMTP Host:"_s));
    lblSMTPPort->setText(Translate(u"Port:"_s));
    lblSMTPUserName->setText(Translate(u"Username:"_s));
    lblSMTPPassword->setText(Translate(u"Password:"_s));
    lblSecurity->setText(Translate(u"Security:"_s));
    cbxSecurity->setItemText(0, Translate(u"None"_s)); // the selection stays
    btnTestEmail->setText(Translate(u"Send Test Email"_s));
    CheckBox6->setText(Translate(u"Attach snapshots to email"_s));
    lblProxy->setText(Translate(u"Proxy Settings..."_s));
    CheckBox1->setText(Translate(u"Send SMS when motion is detected. You need an account on TextMagic (www.textmagic.com)"_s));
    lblSMSUserName->setText(Translate(u"User name:"_s));
    lblAPIKey->setText(Translate(u"API Key:"_s));
    lblPhone->setText(Translate(u"Mobile phone number:"_s));
    btnTestSMS->setText(Translate(u"Send Test SMS"_s));

    Schedule->SetCaptions();
    btnOK->setText(Translate(u"OK"_s));
    btnCancel->setText(Translate(u"Cancel"_s));
    btnHelp->setText(Translate(u"Help"_s));
    ProxyForm->SetCaptions();
    FitToScreen();
}

void TDevForm::FitToScreen()
{
    // Big enough for the captions of the language in use, never beyond the work area of the screen.
    adjustSize();
    QSize size = sizeHint().expandedTo(QSize(760, 0));
    if (const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen()) {
        const QSize available = screen->availableGeometry().size() - QSize(16, 40); // room for the frame
        size = size.boundedTo(available);
    }
    resize(size);
}

// --- preparation, loading, storing ------------------------------------------------------------------------

void TDevForm::ClearCameraControls()
{
    m_preparing = true;
    FillOutIPCamBrandsAndModelsList();
    FillWebcamDeviceList();

    MyIPCam_URL.clear();
    edUserName->clear();
    edPassword->clear();
    edIP->clear();
    edPort->setText(DefaultCameraPort);
    edTitle->clear();
    SetDevType(0);

    TrackBar1->setValue(5);
    CheckBox2->setChecked(false);
    Edit1->setValue(10);
    CheckBox3->setChecked(false);
    TrackBar3->setValue(10);
    Edit2->setValue(2);
    Edit3->setValue(30);
    CheckBox4->setChecked(true);
    ComboBox1->setCurrentIndex(0);
    Edit5->setValue(20);
    Edit8->setValue(1);
    TrackBar4->setValue(TrackBar4->maximum());

    CheckBox15->setChecked(false);
    chCameraAuthentication->setChecked(false);
    edFrom->clear();
    edtTo->clear();
    edtHost->clear();
    edtUserName->clear();
    edtPassword->clear();
    cbxSecurity->setCurrentIndex(0);
    edtPort->setText(DefaultSMTPPort);
    chckAuthentication->setChecked(true);

    ProxyForm->cmbConnectionType->setCurrentIndex(0);
    ProxyForm->edtProxyHost->clear();
    ProxyForm->edtProxyPort->setText(DefaultProxyPort);
    ProxyForm->edtProxyUsername->clear();
    ProxyForm->edtProxyPassword->clear();
    ProxyForm->chtProxyAuthentication->setChecked(false);

    CheckBox1->setChecked(false);
    Edit4->clear();
    Edit6->clear();
    Edit9->clear();
    strUniqueDeviceName.clear();

    UpdateCameraAuthenticationEnabling();
    UpdateEmailEnabling();
    UpdateSMSEnabling();
    ProxyForm->UpdateEnabling();
    CheckBox6->setChecked(false);

    PageControl1->setCurrentIndex(pgCamera);
    Schedule->SetDefaults();

    UpdateRecordingEnabling();
    UpdateSnapshotEnabling();
    UpdateSoundEnabling();
    Schedule->UpdateEnabling();
    m_preparing = false;

    // The model shown is the one a new camera gets: its template goes with it, as if it had been picked.
    cmbModelsChange();
}

void TDevForm::CameraToControls(int index)
{
    const auto &cameras = App().Cameras;
    if (index < 0 || index >= int(cameras.size()))
        return;
    TCamera &camera = *cameras[size_t(index)];
    m_preparing = true;

    edTitle->setText(camera.CustomTitle);
    SetDevType(camera.Kind == 1 ? 1 : 0);
    TrackBar1->setValue(camera.detector_Sensitivity);
    Schedule->Load(ScheduleOf(camera));

    CheckBox2->setChecked(camera.recording_RecordVideo);
    Edit1->setValue(camera.recording_ContinueVideoRecordingAfterLastMotion_sec);
    CheckBox3->setChecked(camera.recording_TakeSnapshots);
    TrackBar3->setValue(camera.recording_SnapshotQuality);
    Edit2->setValue(camera.recording_TakeSnapshotsInterval_sec);
    Edit3->setValue(camera.recording_DurationOfSnapshots_sec);
    CheckBox4->setChecked(camera.alarm_PlayAudioAlarm);
    ComboBox1->setCurrentIndex(camera.alarm_SoundIndex >= 0 && camera.alarm_SoundIndex < ComboBox1->count()
                                   ? camera.alarm_SoundIndex
                                   : -1);
    Edit5->setValue(camera.alarm_DurationOfAlarm_sec);
    Edit8->setValue(camera.alarm_DelayBetweenSoundAlarms_min);
    TrackBar4->setValue(camera.alarm_Volume);

    CheckBox15->setChecked(camera.notification_SendToEmail);
    CheckBox6->setChecked(camera.notification_AttachSnapshotsToEmail);
    edFrom->setText(camera.notification_SMTPFrom);
    edtTo->setText(camera.notification_SMTPRecipient);
    edtHost->setText(camera.notification_SMTPHost);
    edtPort->setText(QString::number(camera.notification_SMTPPort));
    edtUserName->setText(camera.notification_SMTPUsername);
    edtPassword->setText(camera.notification_SMTPPassword);
    cbxSecurity->setCurrentIndex(camera.notification_SMTPSecurity >= 0
                                         && camera.notification_SMTPSecurity < cbxSecurity->count()
                                     ? camera.notification_SMTPSecurity
                                     : -1);
    chckAuthentication->setChecked(camera.notification_SMTPAuthentication);
    TProxyForm &proxy = *ProxyForm;
    proxy.cmbConnectionType->setCurrentIndex(
        camera.notification_PROXYType >= 0 && camera.notification_PROXYType < proxy.cmbConnectionType->count()
            ? camera.notification_PROXYType
            : -1);
    proxy.edtProxyHost->setText(camera.notification_PROXYHost);
    proxy.edtProxyPort->setText(QString::number(camera.notification_PROXYPort));
    proxy.edtProxyUsername->setText(camera.notification_PROXYUsername);
    proxy.edtProxyPassword->setText(camera.notification_PROXYPassword);
    proxy.chtProxyAuthentication->setChecked(camera.notification_PROXYAuthentication);
    CheckBox1->setChecked(camera.notification_SendSMS);
    Edit4->setText(camera.notification_SMSUsername);
    Edit6->setText(camera.notification_SMSAPIKey);
    Edit9->setText(camera.notification_SMSMobilePhoneNumber);

    UpdateEmailEnabling();
    proxy.UpdateEnabling();
    m_preparing = false;

    if (camera.Kind == 0) {
        SelectStoredModel(camera.ActualName, camera.ipcam_URL);
        edUserName->setText(camera.ipcam_Username);
        edPassword->setText(camera.ipcam_Password);
        chCameraAuthentication->setChecked(camera.ipcam_Authentication);
        edIP->setText(camera.ipcam_IP);
        MyIPCam_URL = camera.ipcam_URL;
        edPort->setText(camera.ipcam_Port);
        strUniqueDeviceName = camera.ipcam_UniqueDeviceName;
        cmbWebcamDevice->setCurrentIndex(cmbWebcamDevice->count() > 0 ? 0 : -1);
        RefreshResolutionList();
        cmbWebcamResol->setCurrentIndex(cmbWebcamResol->count() > 0 ? 0 : -1);
    } else {
        cmbWebcamDevice->setCurrentIndex(IndexOfText(
            [this] {
                QStringList items;
                for (int i = 0; i < cmbWebcamDevice->count(); ++i)
                    items << cmbWebcamDevice->itemText(i);
                return items;
            }(),
            camera.ActualName));
        RefreshResolutionList();
        const int resolution = camera.webcam_resolutionindex;
        cmbWebcamResol->setCurrentIndex(resolution >= 0 && resolution < cmbWebcamResol->count() ? resolution : -1);
        m_preparing = true;
        cmbBrands->setCurrentIndex(cmbBrands->count() > 0 ? 0 : -1);
        m_preparing = false;
        cmbBrandsChange();
        edUserName->clear();
        edPassword->clear();
        edIP->clear();
        MyIPCam_URL.clear();
        edPort->setText(DefaultCameraPort);
        strUniqueDeviceName.clear();
    }
    UpdateCameraAuthenticationEnabling();
    UpdateRecordingEnabling();
    UpdateSnapshotEnabling();
    UpdateSoundEnabling();
    UpdateSMSEnabling();
}

bool TDevForm::ControlsToCamera(int index)
{
    const auto &cameras = App().Cameras;
    if (index < 0 || index >= int(cameras.size()))
        return false;
    return ControlsToRecord(*cameras[size_t(index)]);
}

bool TDevForm::ControlsToRecord(TCamera &camera) const
{
    // OK has refused a port field in use that holds no port; one that is not in use (its option is off) and
    // holds no whole number gets the default, so that nothing here can fail half-way.
    const int smtpPort = StrictInteger(edtPort->text()).value_or(DefaultSMTPPort.toInt());
    const int proxyPort = StrictInteger(ProxyForm->edtProxyPort->text()).value_or(DefaultProxyPort.toInt());

    camera.CustomTitle = edTitle->text();
    camera.Kind = DevType();
    camera.detector_Sensitivity = TrackBar1->value();
    camera.recording_RecordVideo = CheckBox2->isChecked();
    camera.recording_ContinueVideoRecordingAfterLastMotion_sec = Edit1->value();
    camera.recording_TakeSnapshots = CheckBox3->isChecked();
    camera.recording_SnapshotQuality = TrackBar3->value();
    camera.recording_TakeSnapshotsInterval_sec = Edit2->value();
    camera.recording_DurationOfSnapshots_sec = Edit3->value();
    camera.alarm_PlayAudioAlarm = CheckBox4->isChecked();
    camera.alarm_SoundIndex = ComboBox1->currentIndex();
    camera.alarm_DurationOfAlarm_sec = Edit5->value();
    camera.alarm_DelayBetweenSoundAlarms_min = Edit8->value();
    camera.alarm_Volume = TrackBar4->value();
    camera.notification_SendToEmail = CheckBox15->isChecked();
    camera.notification_AttachSnapshotsToEmail = CheckBox6->isChecked();
    camera.notification_SMTPFrom = edFrom->text();
    camera.notification_SMTPRecipient = edtTo->text();
    camera.notification_SMTPHost = edtHost->text();
    camera.notification_SMTPPort = smtpPort;
    camera.notification_SMTPAuthentication = chckAuthentication->isChecked();
    camera.notification_SMTPUsername = edtUserName->text();
    camera.notification_SMTPPassword = edtPassword->text();
    camera.notification_SMTPSecurity = cbxSecurity->currentIndex();
    const TProxyForm &proxy = *ProxyForm;
    camera.notification_PROXYType = proxy.cmbConnectionType->currentIndex();
    camera.notification_PROXYHost = proxy.edtProxyHost->text();
    camera.notification_PROXYPort = proxyPort;
    camera.notification_PROXYAuthentication = proxy.chtProxyAuthentication->isChecked();
    camera.notification_PROXYUsername = proxy.edtProxyUsername->text();
    camera.notification_PROXYPassword = proxy.edtProxyPassword->text();
    camera.notification_SendSMS = CheckBox1->isChecked();
    camera.notification_SMSUsername = Edit4->text();
    camera.notification_SMSAPIKey = Edit6->text();
    camera.notification_SMSMobilePhoneNumber = Edit9->text();
    ApplySchedule(camera, Schedule->Values());

    if (camera.Kind == 0) {
        camera.ActualName = JoinActualName(cmbBrands->currentText(), cmbModels->currentText());
        camera.ipcam_Authentication = chCameraAuthentication->isChecked();
        camera.ipcam_Username = edUserName->text();
        camera.ipcam_Password = edPassword->text();
        camera.ipcam_IP = edIP->text();
        camera.ipcam_URL = MyIPCam_URL;
        camera.ipcam_Port = edPort->text();
        camera.ipcam_UniqueDeviceName = strUniqueDeviceName;
    } else {
        camera.ActualName = cmbWebcamDevice->currentIndex() >= 0 ? cmbWebcamDevice->currentText() : QString();
        camera.webcam_resolutionindex = cmbWebcamResol->currentIndex();
        camera.ipcam_Username.clear();
        camera.ipcam_Password.clear();
        camera.ipcam_IP.clear();
        camera.ipcam_URL.clear();
        camera.ipcam_UniqueDeviceName.clear();
        camera.ipcam_Port = DefaultCameraPort;
        camera.ipcam_Authentication = false;
    }
    return true;
}

int TDevForm::ShowModal()
{
    Tag = 0;
    // Typing starts in the title.
    if (PageControl1->currentIndex() == pgCamera)
        edTitle->setFocus();
    exec();
    return Tag;
}

void TDevForm::done(int result)
{
    StopPreviews();
    QDialog::done(result);
}

// --- OK -----------------------------------------------------------------------------------------------------

void TDevForm::RejectWith(const QString &message, int page, QWidget *focus)
{
    Prompts().Message(TPromptKind::Warning, windowTitle(), message);
    PageControl1->setCurrentIndex(page);
    if (focus)
        focus->setFocus();
}

bool TDevForm::CheckPort(QLineEdit *field, const QString &message, int page, bool inProxyForm)
{
    if (!field->isEnabled() || IsPort(field->text()))
        return true;
    // The proxy port lies in the proxy dialog: the focus goes to the link that opens it.
    RejectWith(message, page, inProxyForm ? static_cast<QWidget *>(lblProxy) : field);
    return false;
}

bool TDevForm::Validate()
{
    if (edTitle->text().trimmed().isEmpty()) {
        RejectWith(Translate(u"Please specify Device Title"_s), pgCamera, edTitle);
        return false;
    }
    if (DevType() == 0 && edIP->text().trimmed().isEmpty()) {
        RejectWith(Translate(u"Please specify IP address or domain URL"_s), pgCamera, edIP);
        return false;
    }
    if (DevType() == 1 && cmbWebcamDevice->currentIndex() < 0) {
        RejectWith(Translate(u"There is no webcam on selected computer."_s) + u'\n' + Translate(u"Please choose another Capture Device"_s),
                   pgCamera, cmbWebcamDevice);
        return false;
    }
    // The two ports are stored as numbers: a field that is in use must hold one.
    if (!CheckPort(edtPort, Translate(u"Please enter the SMTP port as a whole number from 1 to 65535."_s), pgNotifications,
                   false))
        return false;
    if (lblProxy->isEnabled()
        && !CheckPort(ProxyForm->edtProxyPort, Translate(u"Please enter the proxy port as a whole number from 1 to 65535."_s),
                      pgNotifications, true))
        return false;
    return true;
}

void TDevForm::OKClick()
{
    if (!Validate())
        return;
    Tag = 1;
    accept();
}

// --- device type, catalogue ---------------------------------------------------------------------------------

int TDevForm::DevType() const { return rbWebcam->isChecked() ? 1 : 0; }

void TDevForm::SetDevType(int kind)
{
    {
        const QSignalBlocker block(rbIPCamera);
        rbIPCamera->setChecked(kind == 0);
        rbWebcam->setChecked(kind == 1);
    }
    DevicePages->setCurrentIndex(kind == 1 ? 1 : 0);
}

void TDevForm::FillOutIPCamBrandsAndModelsList()
{
    m_catalogue = ReadCatalogueFile(CatalogueFilePath());
    const bool preparing = m_preparing;
    m_preparing = true;
    cmbBrands->clear();
    for (const TIPCam &cam : m_catalogue)
        cmbBrands->addItem(cam.Brand);
    cmbBrands->setCurrentIndex(cmbBrands->count() > 0 ? 0 : -1);
    if (m_catalogue.isEmpty())
        cmbModels->clear(); // no models are left over from a catalogue that has gone
    m_preparing = preparing;
    cmbBrandsChange();
}

void TDevForm::cmbBrandsChange()
{
    const int brand = cmbBrands->currentIndex();
    if (brand < 0 || brand >= m_catalogue.size() || m_catalogue[brand].Models.isEmpty())
        return;
    const bool preparing = m_preparing;
    m_preparing = true;
    cmbModels->clear();
    cmbModels->addItems(m_catalogue[brand].Models);
    cmbModels->setCurrentIndex(0);
    m_preparing = preparing;
    cmbModelsChange();
}

void TDevForm::cmbModelsChange()
{
    const int brand = cmbBrands->currentIndex();
    const int model = cmbModels->currentIndex();
    if (brand < 0 || model < 0 || brand >= m_catalogue.size() || model >= m_catalogue[brand].URLs.size())
        return;
    MyIPCam_URL = m_catalogue[brand].URLs[model];
}

void TDevForm::SelectStoredModel(const QString &actualName, const QString &urlTemplate)
{
    const TBrandAndModel names = SplitActualName(actualName);
    const auto items = [](const QComboBox *list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    };
    const bool preparing = m_preparing;
    m_preparing = true;
    cmbBrands->setCurrentIndex(IndexOfText(items(cmbBrands), names.Brand));
    m_preparing = preparing;
    cmbBrandsChange();
    m_preparing = true;
    cmbModels->setCurrentIndex(IndexOfText(items(cmbModels), names.Model));
    m_preparing = preparing;
    cmbModelsChange();
    MyIPCam_URL = urlTemplate;
}

QString TDevForm::PreviewAddress() const
{
    return StreamAddress(edIP->text(), edPort->text(), MyIPCam_URL, edUserName->text(), edPassword->text());
}

void TDevForm::Label9Click() { Prompts().OpenUrl(App().CameraNotListedPage); }

void TDevForm::ReleaseCatalogue() { m_catalogue.clear(); }

// --- enabling ------------------------------------------------------------------------------------------------

void TDevForm::UpdateCameraAuthenticationEnabling()
{
    SetEnabled({lblUserName, edUserName, lblPassword, edPassword}, chCameraAuthentication->isChecked());
}

void TDevForm::UpdateRecordingEnabling()
{
    SetEnabled({lblVideoQuality, btnConfigureCodec, lblContinue, Edit1, lblContinueSeconds}, CheckBox2->isChecked());
}

void TDevForm::UpdateSnapshotEnabling()
{
    SetEnabled({lblSnapshotQuality, TrackBar3, lblEvery, Edit2, lblSecondsForNext, Edit3, lblSnapshotSeconds},
               CheckBox3->isChecked());
}

void TDevForm::UpdateSoundEnabling()
{
    SetEnabled({ComboBox1, lblSound, lblPlayFor, Edit5, lblPlaySeconds, lblPause, Edit8, lblPauseMinutes, lblVolume,
                TrackBar4, lblVolume0, lblVolume100, lblMute, lblVeryLoud, btnTestSound},
               CheckBox4->isChecked());
}

void TDevForm::UpdateEmailEnabling()
{
    const bool email = CheckBox15->isChecked();
    SetEnabled({lblFrom, edFrom, lblTo, edtTo, lblHost, edtHost, lblSMTPPort, edtPort, lblSecurity, cbxSecurity,
                chckAuthentication, btnTestEmail, lblProxy, CheckBox6},
               email);
    SetEnabled({lblSMTPUserName, edtUserName, lblSMTPPassword, edtPassword}, email && chckAuthentication->isChecked());
}

void TDevForm::UpdateSMSEnabling()
{
    SetEnabled({lblSMSUserName, Edit4, lblAPIKey, Edit6, lblPhone, Edit9, btnTestSMS}, CheckBox1->isChecked());
}

// --- hint, test buttons, links -------------------------------------------------------------------------------

void TDevForm::CheckBox6Click(bool checked)
{
    if (!checked || m_preparing || !isVisible() || CheckBox3->isChecked())
        return;
    Prompts().Message(TPromptKind::Information, windowTitle(),
                      Translate(u"Please enable the option \"Take snapshots on motion detection\" at first!"_s));
    PageControl1->setCurrentIndex(pgDetection);
}

void TDevForm::RunTest(QPushButton *button, void (*send)(const TCamera &, QObject *, std::function<void()>))
{
    TCamera values;
    ControlsToRecord(values);
    button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    send(values, this, [this] {
        QApplication::restoreOverrideCursor();
        UpdateEmailEnabling();
        UpdateSMSEnabling();
    });
}

void TDevForm::SendTestEmailClick()
{
    if (CheckPort(edtPort, Translate(u"Please enter the SMTP port as a whole number from 1 to 65535."_s), pgNotifications, false)
        && CheckPort(ProxyForm->edtProxyPort, Translate(u"Please enter the proxy port as a whole number from 1 to 65535."_s),
                     pgNotifications, true))
        RunTest(btnTestEmail, &SendTestEmail);
}

void TDevForm::SendTestSMSClick() { RunTest(btnTestSMS, &SendTestSMS); }

void TDevForm::ProxySettingsClick() { ProxyForm->ShowModal(); }

void TDevForm::OutputFolderClick()
{
    if (m_settings)
        m_settings->GeneralSettings();
}
