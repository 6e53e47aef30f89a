#pragma once
// Shared by the camera dialog tests: a catalogue file in a program folder of its own, a dialog made fresh
// for each test function, and every stored field of a camera record for whole-record comparisons.
#include "cameradialog/devformtools.h"
#include "cameradialog/newcapturedevice.h"
#include "core/camera.h"
#include "core/services.h"
#include "core/subsystems.h"
#include "platform/folders.h"

#include "freshservices.h"
#include "scriptedprompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

// A program folder holding the given ipcamdata.xml (none when content is empty); restored at the end.
class TProgramFolder
{
public:
    explicit TProgramFolder(const QByteArray &catalogue)
    {
        Services().ProgramFolder = m_dir.path();
        if (!catalogue.isEmpty())
            WriteCatalogue(catalogue);
    }
    ~TProgramFolder() { Services().ProgramFolder = QString(); }
    void WriteCatalogue(const QByteArray &content) const
    {
        QFile file(m_dir.filePath("ipcamdata.xml"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(content);
    }
    void RemoveCatalogue() const { QFile::remove(m_dir.filePath("ipcamdata.xml")); }

private:
    QTemporaryDir m_dir;
};

inline const QByteArray SmallCatalogue = "<IPCameras>\n"
    "  <Manufacturer name=\"Acme\">\n"
    "    <url version=\"A1\" Source=\"JPEG\" url=\"a1.jpg\" />\n"
    "    <url version=\"A2\" Source=\"MJPEG\" url=\"a2/video.mjpg?user=[USERNAME]&pass=[PASSWORD]&u2=[USERNAME]\" />\n"
    "  </Manufacturer>\n"
    "  <Manufacturer name=\"Bolt\">\n"
    "    <url version=\"B1\" Source=\"MJPEG\" url=\"b1.mjpg\" />\n"
    "  </Manufacturer>\n"
    "</IPCameras>\n"
    "";

// Fixed capture devices and picture sizes in place of the machine's (which usually has none).
class TFixedDeviceLists : public TCaptureDeviceLists
{
public:
    QStringList Devices() override
    {
        ++DeviceReads;
        return Names;
    }
    QStringList Sizes(int device) override { return SizesOf.value(device); }

    QStringList Names{"Front Webcam", "USB Camera"};
    QList<QStringList> SizesOf{{"640x480", "1280x720"}, {"640x480", "1280x720"}};
    int DeviceReads = 0;
};

class TSettingsCounter : public ISettingsCommands
{
public:
    void GeneralSettings() override { ++Calls; }
    int Calls = 0;
};

// What each dialog test function starts with: fresh services, a program folder with a small catalogue,
// scripted prompts and a new dialog. Begin() in init(), End() in cleanup().
struct TDevFormFixture
{
    TFreshServices Services;
    std::unique_ptr<TProgramFolder> Folder;
    std::unique_ptr<TScriptedPrompts> Prompts;
    std::unique_ptr<TSettingsCounter> Settings;
    std::unique_ptr<TDevForm> Form;

    void Begin()
    {
        Services.Renew();
        Folder = std::make_unique<TProgramFolder>(SmallCatalogue);
        Prompts = std::make_unique<TScriptedPrompts>();
        Settings = std::make_unique<TSettingsCounter>();
        Form = std::make_unique<TDevForm>(Settings.get());
    }
    void End()
    {
        Form.reset();
        Prompts.reset();
        Folder.reset();
        Services.End();
    }
};

// Every field a camera stores, in a comparable form.
inline QVariantList StoredFields(TCamera &c)
{
    QVariantList v{c.CustomTitle, c.ActualName, c.Kind, c.webcam_resolutionindex, c.ipcam_Authentication,
                   c.ipcam_Username, c.ipcam_Password, c.ipcam_Port, c.ipcam_IP, c.ipcam_URL,
                   c.ipcam_UniqueDeviceName, c.scheduler_daily, c.scheduler_dates};
    for (auto field : TCamera::SchedulerFields)
        v << c.*field;
    for (const TAdditionalDate &d : c.scheduler_AdditionalDates)
        v << d.Date << d.Start << d.Finish;
    v << c.detector_Sensitivity << c.recording_RecordVideo << c.recording_ContinueVideoRecordingAfterLastMotion_sec
      << c.recording_TakeSnapshots << c.recording_SnapshotQuality << c.recording_TakeSnapshotsInterval_sec
      << c.recording_DurationOfSnapshots_sec << c.alarm_PlayAudioAlarm << c.alarm_SoundIndex
      << c.alarm_DurationOfAlarm_sec << c.alarm_Volume << c.alarm_DelayBetweenSoundAlarms_min
      << c.notification_AttachSnapshotsToEmail << c.notification_SendToEmail << c.notification_SMTPAuthentication
      << c.notification_PROXYAuthentication << c.notification_SMTPFrom << c.notification_SMTPRecipient
      << c.notification_SMTPHost << c.notification_SMTPUsername << c.notification_SMTPPassword
      << c.notification_PROXYHost << c.notification_PROXYUsername << c.notification_PROXYPassword
      << c.notification_SMTPPort << c.notification_SMTPSecurity << c.notification_PROXYType
      << c.notification_PROXYPort << c.notification_SendSMS << c.notification_SMSUsername
      << c.notification_SMSAPIKey << c.notification_SMSMobilePhoneNumber;
    return v;
}

// A camera with every stored field away from its new-camera default.
inline TCamera FullyConfiguredCamera()
{
    TCamera c;
    c.CustomTitle = "  Gate  ";
    c.ActualName = "Acme*A2";
    c.Kind = 0;
    c.webcam_resolutionindex = 0;
    c.ipcam_Authentication = true;
    c.ipcam_Username = "admin";
    c.ipcam_Password = "p&ss w";
    c.ipcam_Port = "8080";
    c.ipcam_IP = "127.0.0.1";
    c.ipcam_URL = "stored/[USERNAME].mjpg"; // differs from the catalogue's template: it must win
    c.ipcam_UniqueDeviceName = "uuid:1234";
    c.scheduler_daily = true;
    c.scheduler_dates = true;
    for (int day = 1; day <= 7; ++day) {
        c.SchedulerStart(day) = dt::EncodeTime(day, 15, 0);
        c.SchedulerEnd(day) = dt::EncodeTime(20, day, 30);
    }
    c.scheduler_AdditionalDates = {{dt::EncodeDate(2031, 2, 3), dt::EncodeTime(1, 2, 3), dt::EncodeTime(4, 5, 6)},
                                   {dt::EncodeDate(2030, 12, 31), dt::EncodeTime(22, 0, 0), dt::EncodeTime(6, 0, 0)}};
    c.detector_Sensitivity = 8;
    c.recording_RecordVideo = true;
    c.recording_ContinueVideoRecordingAfterLastMotion_sec = 77;
    c.recording_TakeSnapshots = true;
    c.recording_SnapshotQuality = 3;
    c.recording_TakeSnapshotsInterval_sec = 9;
    c.recording_DurationOfSnapshots_sec = 10000;
    c.alarm_PlayAudioAlarm = false;
    c.alarm_SoundIndex = 4;
    c.alarm_DurationOfAlarm_sec = 0;
    c.alarm_DelayBetweenSoundAlarms_min = 15;
    c.alarm_Volume = 3;
    c.notification_SendToEmail = true;
    c.notification_AttachSnapshotsToEmail = true;
    c.notification_SMTPFrom = "cam@example.test";
    c.notification_SMTPRecipient = "me@example.test";
    c.notification_SMTPHost = "127.0.0.1";
    c.notification_SMTPPort = 2525;
    c.notification_SMTPAuthentication = true;
    c.notification_SMTPUsername = "smtpuser";
    c.notification_SMTPPassword = "smtppass";
    c.notification_SMTPSecurity = 2;
    c.notification_PROXYHost = "127.0.0.2";
    c.notification_PROXYPort = 1080;
    c.notification_PROXYType = 2;
    c.notification_PROXYAuthentication = true;
    c.notification_PROXYUsername = "proxyuser";
    c.notification_PROXYPassword = "proxypass";
    c.notification_SendSMS = true;
    c.notification_SMSUsername = "smsuser";
    c.notification_SMSAPIKey = "key";
    c.notification_SMSMobilePhoneNumber = "+100200300";
    return c;
}
