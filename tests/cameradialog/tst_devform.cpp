// The camera dialog: new-camera defaults, loading and storing whole records, the device type switch, the
// catalogue lists, the enabling rules, the OK checks and the hint.
#include "cameradialog/newcapturedevice.h"
#include "cameradialog/proxysettings.h"
#include "cameradialog/scheduleeditor.h"
#include "core/clock.h"
#include "core/dateformat.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/translation.h"
#include "runtime/streamaddress.h"
#include "testpaths.h"

#include "devformhelpers.h"
#include "scriptedprompts.h"
#include "smsgatewayprocess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

class TestDevForm : public QObject
{
    Q_OBJECT

    TDevFormFixture m_fixture;

    TDevForm &Form() { return *m_fixture.Form; }

    // Puts a camera into the camera list and loads it into the prepared dialog.
    TCamera &Load(const TCamera &camera)
    {
        App().Cameras.push_back(std::make_unique<TCamera>(camera));
        Form().ClearCameraControls();
        Form().CameraToControls(int(App().Cameras.size()) - 1);
        return *App().Cameras.back();
    }
    TCamera Stored()
    {
        TCamera camera;
        Form().ControlsToRecord(camera);
        return camera;
    }
    // Both device lists are filled by the capture devices; the tests give them fixed items.
    TFixedDeviceLists m_webcams;
    void GiveWebcams()
    {
        Form().SetDeviceLists(&m_webcams);
        Form().cmbWebcamDevice->clear();
        Form().cmbWebcamDevice->addItems({"Front Webcam", "USB Camera"});
        Form().cmbWebcamDevice->setCurrentIndex(0);
        Form().cmbWebcamResol->clear();
        Form().cmbWebcamResol->addItems({"640x480", "1280x720"});
        Form().cmbWebcamResol->setCurrentIndex(0);
    }
    QStringList Messages() const
    {
        QStringList texts;
        for (const auto &entry : m_fixture.Prompts->log)
            if (entry.call == "Message")
                texts << entry.text;
        return texts;
    }
    void ShowForm()
    {
        Form().show();
        QVERIFY(QTest::qWaitForWindowActive(&Form()));
    }

private slots:
    void init() { m_fixture.Begin(); }
    void cleanup() { m_fixture.End(); }

    void newCameraDefaults()
    {
        // Values left from an earlier use are reset by the preparation.
        Load(FullyConfiguredCamera());
        Form().ClearCameraControls();
        TCamera c = Stored();
        QCOMPARE(c.CustomTitle, QString());
        QCOMPARE(c.Kind, 0);
        QCOMPARE(c.ActualName, QString("Acme*A1"));
        QCOMPARE(c.ipcam_URL, QString("a1.jpg")); // the model shown is the model stored
        QCOMPARE(c.ipcam_Port, QString("80"));
        QVERIFY(c.ipcam_IP.isEmpty() && c.ipcam_Username.isEmpty() && c.ipcam_Password.isEmpty());
        QVERIFY(!c.ipcam_Authentication);
        QVERIFY(c.ipcam_UniqueDeviceName.isEmpty());
        QCOMPARE(c.detector_Sensitivity, 5);
        QVERIFY(!c.recording_RecordVideo);
        QCOMPARE(c.recording_ContinueVideoRecordingAfterLastMotion_sec, 10);
        QVERIFY(!c.recording_TakeSnapshots);
        QCOMPARE(c.recording_SnapshotQuality, 10);
        QCOMPARE(c.recording_TakeSnapshotsInterval_sec, 2);
        QCOMPARE(c.recording_DurationOfSnapshots_sec, 30);
        QVERIFY(c.alarm_PlayAudioAlarm);
        QCOMPARE(c.alarm_SoundIndex, 0);
        QCOMPARE(c.alarm_DurationOfAlarm_sec, 20);
        QCOMPARE(c.alarm_DelayBetweenSoundAlarms_min, 1);
        QCOMPARE(c.alarm_Volume, 10);
        QVERIFY(!c.notification_SendToEmail && !c.notification_AttachSnapshotsToEmail);
        QVERIFY(c.notification_SMTPAuthentication);
        QCOMPARE(c.notification_SMTPPort, 25);
        QCOMPARE(c.notification_SMTPSecurity, 0);
        QVERIFY(c.notification_SMTPFrom.isEmpty() && c.notification_SMTPHost.isEmpty());
        QCOMPARE(c.notification_PROXYType, 0);
        QCOMPARE(c.notification_PROXYPort, 80);
        QVERIFY(!c.notification_PROXYAuthentication && c.notification_PROXYHost.isEmpty());
        QVERIFY(!c.notification_SendSMS && c.notification_SMSAPIKey.isEmpty());
        QVERIFY(!c.scheduler_daily && !c.scheduler_dates);
        for (int day = 1; day <= 7; ++day) {
            QCOMPARE(TimeToStrFmt(c.SchedulerStart(day)), QString("00:00:00"));
            QCOMPARE(TimeToStrFmt(c.SchedulerEnd(day)), QString("23:59:59"));
        }
        QCOMPARE(c.scheduler_AdditionalDates.size(), 1);
        QCOMPARE(c.scheduler_AdditionalDates[0].Date, dt::DateOf(Now() + 1));
        QCOMPARE(Form().PageControl1->currentIndex(), 0);
        QVERIFY(Form().rbIPCamera->isChecked());
        QVERIFY(Form().edPassword->echoMode() == QLineEdit::Password);
        QVERIFY(Form().edtPassword->echoMode() == QLineEdit::Password);
        QVERIFY(Form().ProxyForm->edtProxyPassword->echoMode() == QLineEdit::Normal);
    }

    void enablingFollowsTheGoverningOptions()
    {
        TDevForm &f = Form();
        f.ClearCameraControls();
        // New camera: only the sound group is on.
        QVERIFY(!f.edUserName->isEnabled() && !f.lblPassword->isEnabled());
        QVERIFY(!f.Edit1->isEnabled() && !f.btnConfigureCodec->isEnabled());
        QVERIFY(!f.TrackBar3->isEnabled() && !f.Edit3->isEnabled());
        QVERIFY(f.ComboBox1->isEnabled() && f.TrackBar4->isEnabled() && f.lblVeryLoud->isEnabled());
        QVERIFY(!f.edFrom->isEnabled() && !f.btnTestEmail->isEnabled() && !f.CheckBox6->isEnabled());
        QVERIFY(!f.lblProxy->isEnabled() && !f.edtUserName->isEnabled());
        QVERIFY(!f.Edit9->isEnabled() && !f.btnTestSMS->isEnabled());
        QVERIFY(!f.Schedule->StringGrid1->isEnabled() && !f.Schedule->SpeedButton5->isEnabled());

        f.chCameraAuthentication->click();
        QVERIFY(f.edUserName->isEnabled() && f.edPassword->isEnabled());
        f.CheckBox2->click();
        QVERIFY(f.Edit1->isEnabled() && f.lblContinueSeconds->isEnabled());
        f.CheckBox3->click();
        QVERIFY(f.TrackBar3->isEnabled() && f.Edit2->isEnabled() && f.lblSnapshotSeconds->isEnabled());
        f.CheckBox4->click();
        QVERIFY(!f.ComboBox1->isEnabled() && !f.btnTestSound->isEnabled() && !f.lblMute->isEnabled());
        f.CheckBox15->click();
        QVERIFY(f.edFrom->isEnabled() && f.edtPort->isEnabled() && f.cbxSecurity->isEnabled());
        QVERIFY(f.lblProxy->isEnabled() && f.CheckBox6->isEnabled() && f.btnTestEmail->isEnabled());
        QVERIFY(f.edtUserName->isEnabled() && f.edtPassword->isEnabled());
        f.CheckBox1->click();
        QVERIFY(f.Edit4->isEnabled() && f.Edit6->isEnabled() && f.btnTestSMS->isEnabled());
        f.Schedule->CheckBox7->click();
        QVERIFY(f.Schedule->StringGrid1->isEnabled());
        f.Schedule->CheckBox8->click();
        QVERIFY(f.Schedule->StringGrid2->isEnabled() && f.Schedule->SpeedButton6->isEnabled());

        // A stored camera without SMTP authentication: its user name and password stay off, email on or not.
        TCamera camera = FullyConfiguredCamera();
        camera.notification_SMTPAuthentication = false;
        Load(camera);
        QVERIFY(f.edFrom->isEnabled());
        QVERIFY(!f.edtUserName->isEnabled() && !f.lblSMTPPassword->isEnabled());
        QVERIFY(!f.chckAuthentication->isVisible());
        f.ClearCameraControls();
        QVERIFY(Stored().notification_SMTPAuthentication);

        // Proxy dialog: host and port with a SOCKS type, the login fields also need "Login to proxy:".
        TProxyForm &p = *f.ProxyForm;
        QVERIFY(!p.edtProxyHost->isEnabled() && !p.chtProxyAuthentication->isEnabled());
        p.cmbConnectionType->setCurrentIndex(1);
        QVERIFY(p.edtProxyHost->isEnabled() && p.edtProxyPort->isEnabled() && !p.edtProxyUsername->isEnabled());
        p.chtProxyAuthentication->click();
        QVERIFY(p.edtProxyUsername->isEnabled() && p.edtProxyPassword->isEnabled());
        p.cmbConnectionType->setCurrentIndex(0);
        QVERIFY(!p.edtProxyUsername->isEnabled() && !p.edtProxyPort->isEnabled());
    }

    void ipCameraRoundTrip()
    {
        TCamera original = FullyConfiguredCamera();
        Load(original);
        TCamera stored = Stored();
        QCOMPARE(StoredFields(stored), StoredFields(original));
        // The picker is hidden by loading; the title keeps its blanks.
        QVERIFY(!Form().Schedule->DateTimePicker1->isVisible());
        QCOMPARE(stored.CustomTitle, QString("  Gate  "));
    }

    void webcamRoundTripAndTheTypeSwitch()
    {
        TCamera webcam = FullyConfiguredCamera();
        webcam.Kind = 1;
        webcam.ActualName = "usb camera"; // matched in any letter case
        webcam.webcam_resolutionindex = 1;
        webcam.ipcam_Username = webcam.ipcam_Password = webcam.ipcam_IP = webcam.ipcam_URL = QString();
        webcam.ipcam_UniqueDeviceName = QString();
        webcam.ipcam_Port = "80";
        webcam.ipcam_Authentication = false;
        App().Cameras.push_back(std::make_unique<TCamera>(webcam));
        Form().ClearCameraControls();
        GiveWebcams();
        Form().CameraToControls(0);
        QVERIFY(Form().rbWebcam->isChecked());
        QCOMPARE(Form().cmbWebcamDevice->currentText(), QString("USB Camera"));
        QCOMPARE(Form().cmbWebcamResol->currentIndex(), 1);
        // The IP camera page shows the first brand and model, nothing of the webcam.
        QCOMPARE(Form().cmbBrands->currentText(), QString("Acme"));
        QCOMPARE(Form().cmbModels->currentText(), QString("A1"));
        QVERIFY(Form().edIP->text().isEmpty());
        TCamera stored = Stored();
        webcam.ActualName = "USB Camera";
        QCOMPARE(StoredFields(stored), StoredFields(webcam));

        // An IP camera accepted as a webcam loses its network fields; switching back first keeps them.
        Load(FullyConfiguredCamera());
        GiveWebcams();
        Form().rbWebcam->click();
        QCOMPARE(Form().DevicePages->currentIndex(), 1);
        stored = Stored();
        QCOMPARE(stored.Kind, 1);
        QCOMPARE(stored.ActualName, QString("Front Webcam"));
        QCOMPARE(stored.ipcam_Port, QString("80"));
        QVERIFY(stored.ipcam_IP.isEmpty() && stored.ipcam_URL.isEmpty() && stored.ipcam_Username.isEmpty()
                && stored.ipcam_Password.isEmpty() && stored.ipcam_UniqueDeviceName.isEmpty());
        QVERIFY(!stored.ipcam_Authentication);
        Form().rbIPCamera->click();
        QCOMPARE(Form().DevicePages->currentIndex(), 0);
        TCamera original = FullyConfiguredCamera();
        QCOMPARE(StoredFields(stored = Stored()), StoredFields(original));
    }

    void catalogueListsAndTheStoredTemplate()
    {
        TDevForm &f = Form();
        f.ClearCameraControls();
        QCOMPARE(f.cmbBrands->count(), 2);
        f.cmbBrands->setCurrentIndex(1); // as the user picks it
        QCOMPARE(f.cmbModels->currentText(), QString("B1"));
        QCOMPARE(f.MyIPCam_URL, QString("b1.mjpg"));
        f.cmbBrands->setCurrentIndex(0);
        f.cmbModels->setCurrentIndex(1);
        QCOMPARE(Stored().ActualName, QString("Acme*A2"));

        // The preview address is the stored camera's address for the same fields, credentials encoded.
        f.edIP->setText("127.0.0.1");
        f.edPort->setText("8081");
        f.edUserName->setText("ad min");
        f.edPassword->setText("p&w");
        QCOMPARE(f.PreviewAddress(),
                 QString("http://127.0.0.1:8081/a2/video.mjpg?user=ad%20min&pass=p%26w&u2=ad%20min"));
        f.edTitle->setText("x");
        TCamera stored = Stored();
        QCOMPARE(StreamAddress(stored), f.PreviewAddress());

        // A stored camera whose brand left the catalogue: no brand selected, its template still in force.
        TCamera gone = FullyConfiguredCamera();
        gone.ActualName = "Vanished*A2";
        Load(gone);
        QCOMPARE(f.cmbBrands->currentIndex(), -1);
        stored = Stored();
        QCOMPARE(stored.ipcam_URL, gone.ipcam_URL);
        QCOMPARE(stored.ActualName, QString("*A2")); // the model list still shows the first brand's models
        // Only the model is gone: the brand is selected, the model list has no selection.
        gone.ActualName = "Bolt*Z9";
        Load(gone);
        QCOMPARE(f.cmbBrands->currentText(), QString("Bolt"));
        QCOMPARE(f.cmbModels->currentIndex(), -1);
        QCOMPARE(Stored().ActualName, QString("Bolt*"));
        QCOMPARE(Stored().ipcam_URL, gone.ipcam_URL);

        // The file is read again at every preparation; without it the lists are empty and an IP camera
        // can still be stored.
        m_fixture.Folder->WriteCatalogue("<Manufacturer name=\"New\"><url version=\"N1\" Source=\"JPEG\" url=\"n.jpg\" /></Manufacturer>");
        f.ClearCameraControls();
        QCOMPARE(f.cmbBrands->count(), 1);
        QCOMPARE(f.MyIPCam_URL, QString("n.jpg"));
        m_fixture.Folder->RemoveCatalogue();
        f.ClearCameraControls();
        QCOMPARE(f.cmbBrands->count(), 0);
        f.edTitle->setText("No catalogue");
        f.edIP->setText("127.0.0.1");
        QVERIFY(f.Validate());
        QCOMPARE(Stored().ActualName, QString("*"));
        QVERIFY(Stored().ipcam_URL.isEmpty());
        f.Label9Click();
        QCOMPARE(m_fixture.Prompts->log.last().call, QString("OpenUrl"));
    }

    void okChecksInOrderWithMessageAndFocus()
    {
        TDevForm &f = Form();
        f.ClearCameraControls();
        ShowForm();
        f.PageControl1->setCurrentIndex(3);
        f.edTitle->setText("   ");
        f.btnOK->click();
        QCOMPARE(Messages(), QStringList{"Please specify Device Title"});
        QCOMPARE(f.PageControl1->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), f.edTitle);
        QVERIFY(f.isVisible());
        QCOMPARE(f.Tag, 0);

        f.edTitle->setText(" Porch ");
        f.edIP->setText("  ");
        f.btnOK->click();
        QCOMPARE(Messages().last(), QString("Please specify IP address or domain URL"));
        QCOMPARE(QApplication::focusWidget(), f.edIP);

        f.cmbWebcamDevice->clear();
        f.rbWebcam->click();
        f.btnOK->click();
        QCOMPARE(Messages().last(), QString("There is no webcam on selected computer.\nPlease choose another Capture Device"));
        QCOMPARE(QApplication::focusWidget(), f.cmbWebcamDevice);

        // Ports in use must be ports; the dialog stays open and nothing is stored.
        f.rbIPCamera->click();
        f.edIP->setText("127.0.0.1");
        f.CheckBox15->click();
        for (const char *bad : {"", "25a", " 25", "0", "65536", "+25"}) {
            f.edtPort->setText(bad);
            f.btnOK->click();
            QVERIFY2(Messages().last().contains("SMTP port"), qPrintable(bad));
            QCOMPARE(f.PageControl1->currentIndex(), 3);
            QCOMPARE(QApplication::focusWidget(), f.edtPort);
        }
        f.edtPort->setText("465");
        f.ProxyForm->cmbConnectionType->setCurrentIndex(2);
        f.ProxyForm->edtProxyPort->setText("socks");
        f.btnOK->click();
        QVERIFY(Messages().last().contains("proxy port"));
        QCOMPARE(QApplication::focusWidget(), f.lblProxy);
        QVERIFY(f.isVisible());
        // With email off the ports are not in use: accepted, an unusable text gives the default.
        f.CheckBox15->click();
        f.edtPort->setText("");
        const int messages = int(Messages().size());
        f.btnOK->click();
        QCOMPARE(Messages().size(), messages);
        QCOMPARE(f.Tag, 1);
        QVERIFY(!f.isVisible());
        TCamera stored = Stored();
        QCOMPARE(stored.CustomTitle, QString(" Porch "));
        QCOMPARE(stored.notification_SMTPPort, 25);
        QCOMPARE(stored.notification_PROXYPort, 80);
    }

    void keyboardEnterAcceptsEscapeCancels()
    {
        TDevForm &f = Form();
        f.ClearCameraControls();
        QWidget *focused = nullptr;
        QTimer::singleShot(0, this, [&f, &focused] {
            (void)QTest::qWaitFor([&f] { return f.isActiveWindow(); }, 2000);
            focused = QApplication::focusWidget();
            QTest::keyClicks(f.edTitle, "Yard");
            f.edIP->setText("127.0.0.1");
            QTest::keyClick(f.edIP, Qt::Key_Return);
        });
        QTimer::singleShot(10000, &f, &QDialog::reject); // never hang
        QCOMPARE(f.ShowModal(), 1);
        QCOMPARE(focused, f.edTitle); // the dialog opens with the cursor in the title
        QTimer::singleShot(0, this, [&f] { QTest::keyClick(f.edTitle, Qt::Key_Escape); });
        QCOMPARE(f.ShowModal(), 0);
        QVERIFY(!f.isVisible());
        // Cancel leaves the changed values in the controls until the next preparation.
        QCOMPARE(f.edTitle->text(), QString("Yard"));
    }

    void attachHintOnlyForTheUserAndWithoutSnapshots()
    {
        TDevForm &f = Form();
        TCamera camera = FullyConfiguredCamera();
        camera.recording_TakeSnapshots = false; // loading an attach option on shows nothing
        Load(camera);
        ShowForm();
        QVERIFY(Messages().isEmpty());
        f.CheckBox6->click(); // off
        f.CheckBox6->click(); // on again, with snapshots off
        QCOMPARE(Messages(), QStringList{"Please enable the option \"Take snapshots on motion detection\" at first!"});
        QCOMPARE(f.PageControl1->currentIndex(), 1);
        QVERIFY(f.CheckBox6->isChecked());
        f.CheckBox3->click();
        f.CheckBox6->click();
        f.CheckBox6->click();
        QCOMPARE(Messages().size(), 1);
    }

    void proxyValuesTravelWithTheCamera()
    {
        TDevForm &f = Form();
        Load(FullyConfiguredCamera());
        TProxyForm &p = *f.ProxyForm;
        QCOMPARE(p.cmbConnectionType->currentIndex(), 2);
        QCOMPARE(p.edtProxyPort->text(), QString("1080"));
        QTimer::singleShot(0, this, [&p] {
            p.edtProxyHost->setText("127.0.0.9");
            p.btnOK->click();
        });
        p.ShowModal();
        QVERIFY(!p.isVisible());
        QCOMPARE(Stored().notification_PROXYHost, QString("127.0.0.9"));
        f.ClearCameraControls();
        QCOMPARE(p.cmbConnectionType->currentIndex(), 0);
        QCOMPARE(p.edtProxyPort->text(), QString("80"));
        QVERIFY(p.edtProxyHost->text().isEmpty());
    }

    void testEmailButtonAndTheSettingsLink()
    {
        TDevForm &f = Form();
        f.ClearCameraControls();
        f.CheckBox15->click();
        // When the sending reports back, the button and the cursor are restored.
        f.btnTestEmail->click();
        QTRY_VERIFY(f.btnTestEmail->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        f.lblOutputFolder->click();
        QCOMPARE(m_fixture.Settings->Calls, 1);
    }

    // "Send Test SMS" sends the values as they stand in the dialog, through the SMS library of the program's
    // folder, to a stand-in of the gateway.
    void testSMSGoesOutWithTheDialogValues()
    {
        TSMSGateway gateway;
        QVERIFY(gateway.Start({"--user", "dialog-user", "--key", "dialog-key"}));
        Services().ProgramFolder = TestBinDir(); // where libsmsengine lies
        TDevForm &f = Form();
        f.ClearCameraControls();
        f.CheckBox1->click();
        f.Edit4->setText("dialog-user");
        f.Edit6->setText("dialog-key");
        f.Edit9->setText("+15550001");
        f.btnTestSMS->click();
        QVERIFY(!f.btnTestSMS->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(f.btnTestSMS->isEnabled(), 15000);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Messages(), QStringList{"SMS has been sent successfully!"});
        const QJsonArray sent = gateway.Sent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].toObject()["username"].toString(), QString("dialog-user"));
        QVERIFY(sent[0].toObject()["phones"].toString().contains("15550001"));
        QVERIFY(App().Cameras.empty());
    }

    // The dialog's natural size fits a 1280 x 800 screen with a task bar in every language, and the keyboard
    // never jumps back up and to the left.
    void fitsTheScreenInEveryLanguageAndTabsInVisualOrder()
    {
        LoadTranslationTable(BuiltFile(QStringLiteral("transl.dt")));
        QVERIFY(!TranslationTable().IsEmpty());
        TDevForm &f = Form();
        for (int language = 0; language < 5; ++language) {
            App().GlobalSettings.Language = language;
            f.SetCaptions();
            const QSize size = f.sizeHint();
            QVERIFY2(size.width() <= 1264 && size.height() <= 720,
                     qPrintable(QString("language %1: %2 x %3").arg(language).arg(size.width()).arg(size.height())));
        }
        f.ClearCameraControls();
        f.resize(f.sizeHint());
        ShowForm();
        for (int page = 0; page < f.PageControl1->count(); ++page) {
            f.PageControl1->setCurrentIndex(page);
            QWidget *container = f.PageControl1->widget(page);
            QList<QWidget *> chain;
            for (QWidget *w = f.PageControl1->nextInFocusChain(); w != f.PageControl1; w = w->nextInFocusChain())
                if (container->isAncestorOf(w) && w->isVisibleTo(&f) && (w->focusPolicy() & Qt::TabFocus))
                    chain << w;
            QVERIFY(chain.size() > 2);
            for (int i = 1; i < chain.size(); ++i) {
                const QPoint a = chain[i - 1]->mapTo(&f, QPoint(0, 0)), b = chain[i]->mapTo(&f, QPoint(0, 0));
                QVERIFY2(b.y() >= a.y() - 4 || b.x() > a.x(),
                         qPrintable(QString("page %1: %2 before %3").arg(page).arg(chain[i - 1]->metaObject()->className(),
                                                                                   chain[i]->metaObject()->className())));
            }
        }
    }
};

QTEST_MAIN(TestDevForm)
#include "tst_devform.moc"
