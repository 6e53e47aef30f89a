#pragma once
// TDevForm: the modal dialog in which the user creates or edits one camera ("New Capture Device", "Edit
// Capture Device"). It shows every setting of a camera record on five pages and copies values between a
// record and its controls; it never touches the camera list, the files or a running camera itself: the
// camera list commands prepare it, show it and, when it was accepted, let it store into a record.
//
// One instance lives for the whole run and is hidden between uses, so the controls keep their last values
// until the next preparation.
#include "cameradialog/catalogue.h"
#include "core/camera.h"

#include <QDialog>

#include <functional>
#include <memory>

class ISettingsCommands;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class TCaptureComponent;
class TCaptureDeviceLists;
class TComponentDeviceLists;
class TProxyForm;
class TScheduleEditor;

class TDevFormLanScan;

class TDevForm : public QDialog
{
    Q_OBJECT
public:
    // settings opens the general settings dialog for the output-folder link (may be null: the link then
    // does nothing).
    explicit TDevForm(ISettingsCommands *settings, QWidget *parent = nullptr);
    ~TDevForm() override;

    // The dialog result: 0 not accepted, 1 accepted. Reset to 0 by ShowModal.
    int Tag = 0;

    // Captions of every control through the translation table (at creation; again after a language change).
    void SetCaptions();
    // Prepares the dialog for a new camera; also the first step before loading one for editing. Reads the
    // catalogue file again.
    void ClearCameraControls();
    // Loads camera number index of the camera list (always after ClearCameraControls).
    void CameraToControls(int index);
    // Stores the controls into camera number index; false (and nothing stored) when the index is out of range
    // or a port is no whole number, which OK has already refused.
    bool ControlsToCamera(int index);
    // The same for any record; the camera's run-time fields are left alone.
    bool ControlsToRecord(TCamera &camera) const;
    // Shows the dialog modally; the result (Tag).
    int ShowModal();

    // The OK button: the checks in order; the first failing one shows its message, activates its page and
    // focuses its control. When all pass, Tag becomes 1 and the dialog closes.
    void OKClick();
    bool Validate();

    // The catalogue as last read, and its lists' handlers.
    const TIPCamList &Catalogue() const { return m_catalogue; }
    void FillOutIPCamBrandsAndModelsList();
    void cmbBrandsChange();
    void cmbModelsChange();
    // Selects brand and model from a stored ActualName; the stored template wins.
    void SelectStoredModel(const QString &actualName, const QString &urlTemplate);
    // The address the IP camera preview connects to, from the dialog's fields.
    QString PreviewAddress() const;
    void Label9Click(); // "Your camera is not listed here?"
    void ReleaseCatalogue();

    // Where the webcam page reads the capture devices and their picture sizes; nullptr (the default): the
    // IP camera preview component. Not owned.
    void SetDeviceLists(TCaptureDeviceLists *lists);
    // The user guide page of the "Help" button: by the active page, and on the camera page by device type.
    QString HelpTopicOfPage() const;

    // Device type 0 IP camera, 1 webcam; selecting one shows its page.
    int DevType() const;
    void SetDevType(int kind);

    // Enabling rules.
    void UpdateCameraAuthenticationEnabling();
    void UpdateRecordingEnabling();
    void UpdateSnapshotEnabling();
    void UpdateSoundEnabling();
    void UpdateEmailEnabling();
    void UpdateSMSEnabling();

    QString MyIPCam_URL;
    QString strUniqueDeviceName;

    QTabWidget *PageControl1;
    // Page 0 "Camera"
    QLabel *lblTitle;
    QLineEdit *edTitle;
    QGroupBox *rgDevType;
    QRadioButton *rbIPCamera, *rbWebcam;
    QGroupBox *gbDeviceSettings;
    QStackedWidget *DevicePages;
    QLabel *lblBrand, *lblModel;
    QComboBox *cmbBrands, *cmbModels;
    QPushButton *Label9; // link "Your camera is not listed here?"
    QLabel *lblIP, *lblPort;
    QLineEdit *edIP, *edPort;
    QCheckBox *chCameraAuthentication;
    QLabel *lblUserName, *lblPassword;
    QLineEdit *edUserName, *edPassword;
    QPushButton *btnScanLAN;
    QPushButton *btnConnectTest;
    QToolButton *btnPreviewStart, *btnPreviewStop;
    TCaptureComponent *PreviewCapture;
    QLabel *lblDevice, *lblResolution;
    QComboBox *cmbWebcamDevice, *cmbWebcamResol;
    QPushButton *btnConnectTest2;
    QToolButton *btnPreviewStart2, *btnPreviewStop2;
    TCaptureComponent *PreviewCapture2;
    // Page 1 "Detection && Recording"
    QLabel *lblSensitivity;
    QSlider *TrackBar1;
    QCheckBox *CheckBox2;
    QLabel *lblVideoQuality;
    QPushButton *btnConfigureCodec;
    QLabel *lblContinue, *lblContinueSeconds;
    QSpinBox *Edit1;
    QCheckBox *CheckBox3;
    QLabel *lblSnapshotQuality;
    QSlider *TrackBar3;
    QLabel *lblEvery, *lblSecondsForNext, *lblSnapshotSeconds;
    QSpinBox *Edit2, *Edit3;
    QPushButton *lblOutputFolder; // link to the general settings
    // Page 2 "Alarm"
    QCheckBox *CheckBox4;
    QLabel *lblSound;
    QComboBox *ComboBox1;
    QLabel *lblPlayFor, *lblPlaySeconds, *lblPause, *lblPauseMinutes;
    QSpinBox *Edit5, *Edit8;
    QLabel *lblVolume, *lblVolume0, *lblVolume100, *lblMute, *lblVeryLoud;
    QSlider *TrackBar4;
    QPushButton *btnTestSound;
    QCheckBox *chckAuthentication; // never visible
    // Page 3 "Email && SMS Notifications"
    QCheckBox *CheckBox15;
    QToolButton *btnEmailHelp;
    QLabel *lblFrom, *lblTo, *lblHost, *lblSMTPPort, *lblSMTPUserName, *lblSMTPPassword, *lblSecurity;
    QLineEdit *edFrom, *edtTo, *edtHost, *edtPort, *edtUserName, *edtPassword;
    QComboBox *cbxSecurity;
    QPushButton *btnTestEmail;
    QCheckBox *CheckBox6;
    QPushButton *lblProxy; // link "Proxy Settings..."
    QCheckBox *CheckBox1;
    QToolButton *btnSMSHelp;
    QLabel *lblSMSUserName, *lblAPIKey, *lblPhone;
    QLineEdit *Edit4, *Edit6, *Edit9;
    QPushButton *btnTestSMS;
    // Page 4 "Scheduler"
    TScheduleEditor *Schedule;
    // Bottom row
    QPushButton *btnHelp, *btnOK, *btnCancel;

    TProxyForm *ProxyForm;

protected:
    void done(int result) override;

private:
    void BuildCameraPage(QWidget *page);
    QWidget *BuildIPCameraPage();
    QWidget *BuildWebcamPage();
    void BuildDetectionPage(QWidget *page);
    void BuildAlarmPage(QWidget *page);
    void BuildNotificationsPage(QWidget *page);
    void WireHandlers();
    void FitToScreen();
    bool CheckPort(QLineEdit *field, const QString &message, int page, bool inProxyForm);
    void RejectWith(const QString &message, int page, QWidget *focus);
    void CheckBox6Click(bool checked);
    void SendTestEmailClick();
    void SendTestSMSClick();
    void RunTest(QPushButton *button, void (*send)(const TCamera &, QObject *, std::function<void()>));
    void ProxySettingsClick();
    void OutputFolderClick();

    // Dialog tools and the network scan wire in here.
    void ConnectTestIPCamera();   // "Connect && Test" on the IP camera page
    void ConnectTestWebcam();     // "Connect && Test" on the webcam page
    void PreviewStart();          // start and stop above the IP camera preview
    void PreviewStop();
    void PreviewStart2();         // start and stop above the webcam preview
    void PreviewStop2();
    void FillWebcamDeviceList();  // preparation: the capture devices, then RefreshResolutionList
    void RefreshResolutionList(); // the selected device's frame sizes; also when the device list closes
    void ConfigureCodecClick();
    void TestSoundClick();
    void HelpClick();             // "Help" at the bottom, by the active page
    void EmailHelpClick();
    void SMSHelpClick();
    void ScanLocalNetworkClick(); // "Scan Local Network..."
    void StopPreviews();          // whenever the dialog closes
    TCaptureDeviceLists &DeviceLists();

    ISettingsCommands *m_settings;
    TIPCamList m_catalogue;
    bool m_preparing = false;
    TCaptureDeviceLists *m_deviceLists = nullptr;
    std::unique_ptr<TComponentDeviceLists> m_componentDeviceLists;
    std::unique_ptr<TDevFormLanScan> m_lanScan; // "Scan Local Network...", made on first use
};
