// The camera dialog's tools: the help pages, the webcam lists, the codec configuration, the sound test and
// the previews against the camera simulator.
#include "cameradialog/devformtools.h"
#include "cameradialog/newcapturedevice.h"
#include "capture/capturecomponent.h"
#include "capture/encodersettingsdialog.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/startup.h"
#include "platform/folders.h"
#include "platform/shell.h"
#include "testpaths.h"

#include "camsimprocess.h"
#include "devformhelpers.h"
#include "scriptedprompts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QtTest>

namespace {

// A main window stand-in that counts the requests to close it.
class TClosingWindow : public QWidget
{
public:
    int Closes = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++Closes;
        QWidget::closeEvent(event);
    }
};

// Whether a picture shows something other than a single colour.
bool HasDetail(const QImage &image)
{
    if (image.isNull())
        return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

} // namespace

class TestDevFormTools : public QObject
{
    Q_OBJECT

    TDevFormFixture m_fixture;
    TFixedDeviceLists m_devices;

    TDevForm &Form() { return *m_fixture.Form; }
    QString LastOpened() const { return m_fixture.Prompts->log.isEmpty() ? QString() : m_fixture.Prompts->log.last().text; }

    // The IP camera fields for the simulator's stream.
    void AimAt(quint16 port, const QString &user = {}, const QString &password = {})
    {
        Form().edIP->setText("127.0.0.1");
        Form().edPort->setText(QString::number(port));
        Form().MyIPCam_URL = "video.mjpg";
        Form().chCameraAuthentication->setChecked(!user.isEmpty());
        Form().edUserName->setText(user);
        Form().edPassword->setText(password);
    }
    static bool ShowsPicture(TCaptureComponent *preview)
    {
        return !preview->LatestFrame().Image.isNull() && HasDetail(preview->grab().toImage());
    }

private slots:
    void init() { m_fixture.Begin(); }
    void cleanup() { m_fixture.End(); }

    void helpPagesByPageAndDeviceType()
    {
        // The addresses of the guide shipped with the program.
        Services().ProgramFolder = SourceTreeFile(QStringLiteral("data"));
        BuildWebAddresses(0);
        TDevForm &f = Form();
        const auto opens = [this](QAbstractButton *button, const QString &page) {
            m_fixture.Prompts->log.clear();
            button->click();
            QCOMPARE(m_fixture.Prompts->log.size(), 1);
            QCOMPARE(m_fixture.Prompts->log.last().call, QString("OpenUrl"));
            const QString file = platform::LocalFileOfUrl(LastOpened());
            QCOMPARE(QFileInfo(file).fileName(), page);
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
        };
        f.PageControl1->setCurrentIndex(0);
        f.rbIPCamera->click();
        opens(f.btnHelp, "adding-ip-camera.html");
        f.rbWebcam->click();
        opens(f.btnHelp, "adding-webcam.html");
        const QStringList pages{"detection.html", "sirene.html", "delivery-of-notifications.html", "scheduler.html"};
        for (int page = 1; page <= 4; ++page) {
            f.PageControl1->setCurrentIndex(page);
            opens(f.btnHelp, pages[page - 1]);
        }
        // The buttons beside the options open their pages whatever page is active.
        f.PageControl1->setCurrentIndex(0);
        opens(f.btnEmailHelp, "delivery-of-notifications.html");
        opens(f.btnSMSHelp, "sms.html");
    }

    void webcamListsAndTheResolutionRebuild()
    {
        TDevForm &f = Form();
        m_devices.SizesOf = {{"320x240", "640x480"}, {"640x480", "1280x720", "1920x1080"}};
        f.SetDeviceLists(&m_devices);
        f.ClearCameraControls();
        QCOMPARE(m_devices.DeviceReads, 1);
        QCOMPARE(f.cmbWebcamDevice->count(), 2);
        QCOMPARE(f.cmbWebcamDevice->currentIndex(), 0);
        QCOMPARE(f.cmbWebcamResol->count(), 2);
        QCOMPARE(f.cmbWebcamResol->currentText(), QString("320x240"));

        // Closing the drop-down on the same device rebuilds the list and discards the chosen size.
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.rbWebcam->click();
        f.cmbWebcamResol->setCurrentIndex(1);
        f.cmbWebcamDevice->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(f.cmbWebcamDevice->view()));
        QTest::keyClick(f.cmbWebcamDevice->view(), Qt::Key_Return);
        QTRY_VERIFY(!f.cmbWebcamDevice->view()->isVisible());
        QCOMPARE(f.cmbWebcamDevice->currentIndex(), 0);
        QCOMPARE(f.cmbWebcamResol->currentIndex(), 0);
        QCOMPARE(f.cmbWebcamResol->count(), 2);

        // Another device: its own sizes, the first selected.
        f.cmbWebcamDevice->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(f.cmbWebcamDevice->view()));
        QTest::keyClick(f.cmbWebcamDevice->view(), Qt::Key_Down);
        QTest::keyClick(f.cmbWebcamDevice->view(), Qt::Key_Return);
        QTRY_COMPARE(f.cmbWebcamDevice->currentIndex(), 1);
        QCOMPARE(f.cmbWebcamResol->count(), 3);
        QCOMPARE(f.cmbWebcamResol->currentText(), QString("640x480"));

        // No capture device: both lists empty, nothing selected, and the webcam test shows nothing.
        m_devices.Names.clear();
        f.ClearCameraControls();
        QCOMPARE(f.cmbWebcamDevice->count(), 0);
        QCOMPARE(f.cmbWebcamDevice->currentIndex(), -1);
        QCOMPARE(f.cmbWebcamResol->count(), 0);
        QCOMPARE(f.cmbWebcamResol->currentIndex(), -1);
        f.rbWebcam->click();
        f.btnConnectTest2->click();
        QTRY_COMPARE(f.PreviewCapture2->CurrentState(), cs_Down);
        QVERIFY(f.PreviewCapture2->LatestFrame().Image.isNull());
    }

    void codecFoundOpensTheEncoderDialog()
    {
        TDevForm &f = Form();
        f.CheckBox2->setChecked(true); // the button is enabled with recording
        QString opened;
        QTimer::singleShot(0, this, [&opened] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<TEncoderSettingsDialog *>(modal)) {
                opened = dialog->metaObject()->className();
                dialog->reject();
            } else if (modal) {
                modal->close();
            }
        });
        f.btnConfigureCodec->click();
        QCOMPARE(opened, QString("TEncoderSettingsDialog"));
        QCOMPARE(f.PreviewCapture2->VideoCompressor(), 0);
        QVERIFY(m_fixture.Prompts->log.isEmpty());
    }

    void codecMissingOffersTheInstaller()
    {
        TClosingWindow mainWindow;
        mainWindow.show();
        TCaptureComponent &component = *Form().PreviewCapture2;
        const QString question = "Xvid codec is not installed although we asked to do this on setup process.\n"
                                 "Do you want to install the codec now?\n\n"
                                 "If you choose \"No\", a video will be recorded into big uncompressed AVI files.\n\n"
                                 "If you choose \"Yes\", the program will be closed, and Xvid Setup will be launched.";

        // No: nothing happens.
        m_fixture.Prompts->answers = {false};
        ConfigureCodec(component, -1, &mainWindow);
        QCOMPARE(m_fixture.Prompts->log.size(), 1);
        QCOMPARE(m_fixture.Prompts->log[0].call, QString("Ask"));
        QCOMPARE(m_fixture.Prompts->log[0].text, question);
        QCOMPARE(mainWindow.Closes, 0);
        QVERIFY(mainWindow.isVisible());

        // Yes: the installer beside the program is opened, then the main window is asked to close.
        m_fixture.Prompts->log.clear();
        m_fixture.Prompts->answers = {true};
        ConfigureCodec(component, -1, &mainWindow);
        QCOMPARE(m_fixture.Prompts->log.size(), 2);
        QCOMPARE(m_fixture.Prompts->log[1].call, QString("OpenUrl"));
        QCOMPARE(QUrl(m_fixture.Prompts->log[1].text).toLocalFile(),
                 QDir(ProgramFolder()).filePath("xvid.exe"));
        QCOMPARE(mainWindow.Closes, 1);
        QCOMPARE(component.VideoCompressor(), -1); // untouched
    }

    void soundTestFileAndVolume()
    {
        TDevForm &f = Form();
        f.CheckBox4->setChecked(true);
        const QList<std::pair<int, int>> volumes{{0, 0}, {3, 19660}, {5, 32768}, {7, 45874}, {10, 65535}};
        int sound = 0;
        for (const auto &[position, volume] : volumes) {
            f.ComboBox1->setCurrentIndex(sound % f.ComboBox1->count());
            f.TrackBar4->setValue(position);
            f.btnTestSound->click();
            QCOMPARE(f.PreviewCapture2->PlayerFileName(),
                     QDir(DataFilesFolder()).filePath(QString::number(sound % 5) + ".wav"));
            QCOMPARE(f.PreviewCapture2->AudioVolume(), volume);
            ++sound;
        }
        // The files are missing here: the dialog adds no message of its own.
        QVERIFY(m_fixture.Prompts->log.isEmpty());
    }

    void ipCameraPreviewShowsTheSimulatorStopsOnCloseAndKeepsNoCredentials()
    {
        TCamSim camera;
        QVERIFY(camera.Start({"--user", "viewer", "--password", "s3cret"}));
        TDevForm &f = Form();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        AimAt(camera.Port(), "viewer", "s3cret");
        f.btnConnectTest->click();
        QCOMPARE(f.PreviewCapture->IPCameraURL(), QString("http://127.0.0.1:%1/video.mjpg").arg(camera.Port()));
        QTRY_VERIFY_WITH_TIMEOUT(ShowsPicture(f.PreviewCapture), 2000);
        QCOMPARE(f.PreviewCapture->CurrentState(), cs_Preview);

        // Stop and start above the preview act on the picture only.
        f.btnPreviewStop->click();
        QCOMPARE(f.PreviewCapture->CurrentState(), cs_Down);
        f.btnPreviewStart->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.PreviewCapture->CurrentState(), cs_Preview, 2000);

        // The webcam preview runs too (on the simulator): closing the dialog stops both.
        f.PreviewCapture2->SetVideoSource(vs_IPCamera);
        f.PreviewCapture2->SetIPCameraURL(f.PreviewAddress());
        f.PreviewCapture2->SetAuthentication(at_IPCamera, "viewer", "s3cret");
        f.PreviewCapture2->StartPreview();
        QTRY_VERIFY_WITH_TIMEOUT(!f.PreviewCapture2->LatestFrame().Image.isNull(), 2000);
        f.close();
        QCOMPARE(f.PreviewCapture->CurrentState(), cs_Down);
        QCOMPARE(f.PreviewCapture2->CurrentState(), cs_Down);

        // Authentication off with a name typed: the name and password still go into the address, but the
        // credentials of the test before are not sent, so this camera refuses.
        QStringList refusedWith;
        f.PreviewCapture->OnAuthenticationNeeded = [&refusedWith](TCaptureComponent *, TAuthenticationType,
                                                                  const QString &, const QString &,
                                                                  QString &user, QString &password) {
            refusedWith << user + ':' + password;
        };
        f.chCameraAuthentication->setChecked(false);
        f.MyIPCam_URL = "video.mjpg?user=[USERNAME]&pwd=[PASSWORD]";
        f.btnConnectTest->click();
        QCOMPARE(f.PreviewCapture->IPCameraURL(),
                 QString("http://127.0.0.1:%1/video.mjpg?user=viewer&pwd=s3cret").arg(camera.Port()));
        QTRY_VERIFY_WITH_TIMEOUT(!refusedWith.isEmpty(), 5000);
        QCOMPARE(refusedWith.first(), QString(":"));
        QTRY_COMPARE(f.PreviewCapture->CurrentState(), cs_Down);
    }

    void silentCameraNeverHoldsTheDialog()
    {
        // A camera that accepts the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QList<QTcpSocket *> held;
        connect(&silent, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *socket = silent.nextPendingConnection())
                held << socket;
        });
        TDevForm &f = Form();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        AimAt(silent.serverPort());
        QElapsedTimer clock;
        clock.start();
        f.btnConnectTest->click();
        QVERIFY2(clock.elapsed() < 1000, "the test waited for the camera");
        QTRY_VERIFY(!held.isEmpty());
        QTest::qWait(300);
        QVERIFY(f.PreviewCapture->LatestFrame().Image.isNull());
        clock.restart();
        f.close();
        QVERIFY2(clock.elapsed() < 1000, "closing waited for the camera");
        QCOMPARE(f.PreviewCapture->CurrentState(), cs_Down);
    }
};

QTEST_MAIN(TestDevFormTools)
#include "tst_devformtools.moc"
