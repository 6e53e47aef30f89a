// A camera's capture life through the real capture component and the real grid: creation and its
// failure, settings, connecting by kind, the reconnection tick, the per-frame drawing and the connection
// events, against the camera simulator.
#include "camsimprocess.h"
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/cameratimers.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/windowsink.h"
#include "runtime/runtimeservices.h"
#include "runtime/cameraoverlays.h"
#include "runtime/lifecycle.h"
#include "runtime/reconnection.h"
#include "runtime/streamaddress.h"
#include "gridviewplacer.h"
#include "sandboxhome.h"
#include "scriptedprompts.h"
#include "core/services.h"
#include "testpaths.h"

#include <QTcpServer>
#include <QtTest>

namespace {

class TLogSink : public TMainWindowSink
{
public:
    QStringList Lines;
    bool Showing = true;
    void AppendLogLine(const QString &line) override { Lines << line; }
    bool IsMainWindowShowing() const override { return Showing; }
    bool IsTrayIconVisible() const override { return false; }
    void ShowTrayBalloon(const QString &, const QString &, TBalloonIcon, int) override {}
    void CloseMainWindow() override {}
};

quint16 ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool IsRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80; }
bool IsWhite(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200; }

int CountPixels(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y));
    return count;
}

// Stands in for the main window's offer of a first camera: counts the Add Camera commands.
struct TFirstCameraOffer : IFirstCameraOffer
{
    bool Showing = true;
    int Calls = 0;
    std::function<void()> OnAdd;

    bool IsWindowShowing() const override { return Showing; }
    bool IsCameraDialogShowing() const override { return false; }
    void AddCamera() override
    {
        ++Calls;
        if (OnAdd)
            OnAdd();
    }
};

} // namespace

class TestLifecycle : public QObject
{
    Q_OBJECT

    std::optional<TRuntimeServices> m_services;
    std::unique_ptr<TScriptedPrompts> m_prompts;
    std::unique_ptr<TAdvancedGridPanel> m_grid;
    TGridViewPlacer m_placer;
    TLogSink m_sink;

    TCamera &NewCamera(const QString &title, quint16 port = 0)
    {
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = title;
        camera->ipcam_IP = "127.0.0.1";
        camera->ipcam_Port = QString::number(port);
        camera->ipcam_URL = "video.mjpg";
        camera->detector_Sensitivity = 5;
        camera->recording_SnapshotQuality = 7;
        App().Cameras.push_back(std::move(camera));
        return *App().Cameras.back();
    }
    TCamera &CreatedCamera(const QString &title, quint16 port = 0)
    {
        TCamera &camera = NewCamera(title, port);
        GrabberCreate(camera, -1, -1);
        return camera;
    }
    QStringList PromptTexts() const
    {
        QStringList texts;
        for (const auto &entry : m_prompts->log)
            texts << entry.call + ": " + entry.text;
        return texts;
    }

private slots:
    void init()
    {
        m_services.emplace();
        Services().ProgramFolder = TestBinDir();
        m_prompts = std::make_unique<TScriptedPrompts>();
        m_grid = std::make_unique<TAdvancedGridPanel>();
        m_grid->resize(800, 600);
        m_grid->CameraView = [](int index) -> QWidget * { return App().Cameras[size_t(index)]->Grabber; };
        m_placer.Grid = m_grid.get();
        SetCameraViewPlacer(&m_placer);
        m_sink.Lines.clear();
        m_sink.Showing = true;
        SetMainWindowSink(&m_sink);
        App().PressEscText = "[Press ESC]";
        App().MotionAlertText = "Alert! Motion is detected!";
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = SandboxHome();
    }

    void cleanup()
    {
        for (const auto &camera : App().Cameras) {
            DisableAndDrainCameraTimers(*camera);
            GrabberDelete(*camera);
            FreeCameraTimers(*camera);
        }
        App().Cameras.clear();
        SetCameraViewPlacer(nullptr);
        m_grid.reset();
        m_prompts.reset();
        m_services.reset();
    }

    void creationSetsUpComponentOverlaysAndTimers()
    {
        TCamera &camera = NewCamera("Yard");
        GrabberCreate(camera, 1, 1);
        TAdvancedCaptureComponent *grabber = camera.Grabber;
        QVERIFY(grabber);
        QVERIFY(PromptTexts().isEmpty());
        QCOMPARE(m_grid->CellOf(grabber), (TGridCell{1, 1}));
        QCOMPARE(grabber->DragMode(), dmAutomatic);
        QCOMPARE(camera.Status, dsStopped);

        const TOverlaySet &overlays = grabber->Overlays();
        QCOMPARE(overlays.Texts.size(), size_t(3));
        QVERIFY(overlays.Texts[0].Enabled);
        QCOMPARE(overlays.Texts[0].String, QString("Connecting to Yard..."));
        QCOMPARE(overlays.Texts[0].TargetDisplay, TargetDisplay_WhenDown);
        QVERIFY(!overlays.Texts[1].Enabled);
        QCOMPARE(overlays.Texts[1].String, QString("Yard"));
        QCOMPARE(overlays.Texts[1].Align, tf_Center);
        QCOMPARE(overlays.Texts[1].TargetDisplay, TargetDisplay_LiveOnly);
        QVERIFY(overlays.Texts[1].Font.Bold && overlays.Texts[1].Shadow);
        QCOMPARE(overlays.Texts[2].Font.Name, QString("Courier New"));
        QCOMPARE(overlays.Texts[2].VideoAlignment, oa_LeftBottom);
        QCOMPARE(overlays.Images.size(), size_t(2));
        for (const TImageOverlay &icon : overlays.Images) {
            QVERIFY(!icon.Enabled);
            QCOMPARE(icon.Width, 64);
            QCOMPARE(icon.AlphaBlendValue, 170);
            QCOMPARE(icon.TargetDisplay, TargetDisplay_LiveOnly);
        }

        // Settings applied at the end of creation.
        QCOMPARE(grabber->JPEGQuality(), 70);
        QCOMPARE(grabber->AutoFilePrefix(), QString("Yard_"));
        QCOMPARE(grabber->StoragePath(), SandboxHome());
        QCOMPARE(grabber->RecordingMethod(), rm_AVI);
        QCOMPARE(grabber->Margins(), QMargins(10, 10, 10, 10));

        // The six timers: only the detection trigger runs.
        QCOMPARE(camera.DetectionTriggerTimer->Interval(), 1000);
        QVERIFY(camera.DetectionTriggerTimer->Enabled());
        for (TTimer *timer : {camera.Snapshot_Timer, camera.Video_Timer, camera.Email_Timer, camera.SMS_Timer,
                              camera.MonitoringStarter})
            QVERIFY(timer && !timer->Enabled() && timer->OnTimer);
    }

    void creationInAFullGridIsReportedAndSettingsStillApply()
    {
        for (int i = 0; i < 4; ++i)
            CreatedCamera(QString("Cam %1").arg(i));
        QVERIFY(PromptTexts().isEmpty());
        m_prompts->DefaultAnswer = false; // no restart
        TCamera &fifth = CreatedCamera("Fifth");
        QCOMPARE(PromptTexts().size(), 1);
        QCOMPARE(m_prompts->log[0].call, QString("Ask"));
        QVERIFY(m_prompts->log[0].text.contains("Could not create the Capture component of camera Fifth"));
        QVERIFY(fifth.Grabber);
        QCOMPARE(fifth.Grabber->AutoFilePrefix(), QString("Fifth_"));
    }

    void connectingByKind()
    {
        TCamera &ip = CreatedCamera("Door", 8080);
        ip.ipcam_URL = "cgi?user=[USERNAME]&pwd=[PASSWORD]";
        ip.ipcam_Authentication = true; // with no user name: no credentials
        QVERIFY(GrabberConnect(ip));
        QCOMPARE(ip.Grabber->VideoSource(), vs_IPCamera);
        QCOMPARE(ip.Grabber->IPCameraURL(), StreamAddress(ip));
        QCOMPARE(ip.Grabber->IPCameraSetting(ips_ConnectionTimeout), 15000);
        QCOMPARE(ip.Grabber->DisplayAspectRatio(0), ar_Stretch);
        QCOMPARE(ip.Status, dsPlaying);
        QCOMPARE(ip.Grabber->CurrentState(), cs_Down); // connecting does not start the picture

        TCamera &webcam = CreatedCamera("Desk");
        webcam.Kind = 1;
        webcam.ActualName = "No Such Device";
        QVERIFY(!GrabberConnect(webcam));
        QCOMPARE(webcam.Grabber->VideoSource(), vs_VideoCaptureDevice);
        QCOMPARE(webcam.Status, dsPlaying);
        QVERIFY(PromptTexts().isEmpty());
    }

    void credentialsOnlyWithAuthenticationAndAUserName()
    {
        TCamSim sim;
        QVERIFY(sim.Start({"--user", "ann", "--password", "p&ss"}));
        TCamera &withUser = CreatedCamera("With user", sim.Port());
        withUser.ipcam_Authentication = true;
        withUser.ipcam_Username = "ann";
        withUser.ipcam_Password = "p&ss";
        TCamera &noUser = CreatedCamera("No user", sim.Port());
        noUser.ipcam_Authentication = true;
        TCamera &authOff = CreatedCamera("Auth off", sim.Port());
        authOff.ipcam_Username = "ann";
        authOff.ipcam_Password = "p&ss";
        for (TCamera *camera : {&withUser, &noUser, &authOff}) {
            QVERIFY(GrabberConnect(*camera));
            GrabberPlay(*camera);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!withUser.Grabber->LatestFrame().Image.isNull(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_sink.Lines.filter("CONNECTION ERROR: Authentication needed for camera").size() == 2,
                                 5000);
        QCOMPARE(m_sink.Lines.filter("Authentication needed for camera No user").size(), 1);
        QCOMPARE(m_sink.Lines.filter("Authentication needed for camera Auth off").size(), 1);

        // The simulator goes away under a running camera.
        sim.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(withUser.Grabber->CurrentState() == cs_Down, 12000);
        QVERIFY(m_sink.Lines.filter("CONNECTION ERROR: Device is lost: With user").size() == 1);
    }

    void reconnectionTicks()
    {
        TCamSim sim;
        QVERIFY(sim.Start());
        TCamera &live = CreatedCamera("Live", sim.Port());
        TCamera &closed = CreatedCamera("Closed", ClosedPort());
        GrabberConnect(live);
        GrabberConnect(closed);
        closed.detector_MotionWasDetected = true;

        TTimer reconnect(3000, true);
        TCameraReconnector reconnector;
        TFirstCameraOffer offer;
        reconnector.FirstCameraOffer = &offer;

        // First tick: every camera is down and gets started; the flag of the alert frame is cleared.
        App().GlobalSettings.ReconnectCameraIfDown = false;
        App().GlobalSettings.ReconnectionInterval_sec = 7;
        reconnector.ReconnectTimerTimer(reconnect);
        QCOMPARE(live.Grabber->CurrentState(), cs_Preview);
        QCOMPARE(closed.Grabber->CurrentState(), cs_Preview);
        QVERIFY(!closed.detector_MotionWasDetected);
        QVERIFY(!reconnect.Enabled());
        QCOMPARE(reconnect.Interval(), 7000);

        QTRY_VERIFY_WITH_TIMEOUT(!live.Grabber->LatestFrame().Image.isNull(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(closed.Grabber->CurrentState(), cs_Down, 5000);
        const TVideoFrame before = live.Grabber->LatestFrame();

        // A later tick restarts only the down camera.
        App().GlobalSettings.ReconnectCameraIfDown = true;
        reconnector.ReconnectTimerTimer(reconnect);
        QCOMPARE(closed.Grabber->CurrentState(), cs_Preview);
        QVERIFY(reconnect.Enabled());
        QTRY_VERIFY_WITH_TIMEOUT(live.Grabber->LatestFrame().Number > before.Number, 3000);
        QCOMPARE(live.Grabber->CurrentState(), cs_Preview);
        QCOMPARE(offer.Calls, 0); // there are cameras
    }

    void addCameraOfferedOnceOnTheFirstTick_data()
    {
        QTest::addColumn<bool>("showing");
        QTest::addColumn<bool>("withCamera");
        QTest::addColumn<int>("expected");
        QTest::newRow("no camera, window showing") << true << false << 1;
        QTest::newRow("started hidden") << false << false << 0;
        QTest::newRow("a camera stored") << true << true << 0;
    }
    void addCameraOfferedOnceOnTheFirstTick()
    {
        QFETCH(bool, showing);
        QFETCH(bool, withCamera);
        QFETCH(int, expected);
        if (withCamera)
            CreatedCamera("Stored", ClosedPort());
        TTimer reconnect(3000, true);
        TCameraReconnector reconnector;
        TFirstCameraOffer offer;
        offer.Showing = showing;
        offer.OnAdd = [&reconnect] {
            QCOMPARE(reconnect.Tag, 0); // runs outside the tick
        };
        reconnector.FirstCameraOffer = &offer;
        reconnector.ReconnectTimerTimer(reconnect);
        QCOMPARE(offer.Calls, 0); // after the tick has returned
        QTest::qWait(20);
        QCOMPARE(offer.Calls, expected);
        // Never again, even when it did not happen the first time.
        offer.Showing = true;
        App().Cameras.clear();
        reconnector.ReconnectTimerTimer(reconnect);
        QTest::qWait(20);
        QCOMPARE(offer.Calls, expected);
    }

    void perFrameDrawing()
    {
        TCamera &selected = CreatedCamera("Selected");
        TCamera &other = CreatedCamera("Other");
        for (TCamera *camera : {&selected, &other}) {
            camera->Grabber->SetVideoSource(vs_JPEGsOrBitmaps);
            camera->Grabber->SetDisplayAspectRatio(0, ar_Stretch);
            camera->Grabber->StartPreview();
        }
        App().SelCamIndex = 0;
        App().GlobalSettings.DateTimeOverlay = false;
        QImage grey(350, 260, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        qint64 time = 0;
        // The picture shown after one more frame, at frame size.
        const auto shown = [&](TCamera &camera) {
            TAdvancedCaptureComponent *grabber = camera.Grabber;
            grabber->setGeometry(0, 0, grey.width() + 2, grey.height() + 2);
            const quint32 number = grabber->LatestFrame().Number;
            time += 1000000;
            grabber->PushFrame(grey, time);
            (void)QTest::qWaitFor([&] { return grabber->LatestFrame().Number != number && grabber->LatestFrame().Time == time; },
                            3000);
            QTest::qWait(30);
            return grabber->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QRect topRight(250, 1, 100, 40);
        const QRect leftEdge(1, 100, 8, 60);

        // Selected, not full screen, no alert: nothing drawn.
        QImage picture = shown(selected);
        QCOMPARE(CountPixels(picture, topRight, IsWhite), 0);
        QCOMPARE(CountPixels(picture, leftEdge, IsRed), 0);

        // Selected and full screen: "[Press ESC]" at the top right.
        selected.Grabber->SetDisplayFullScreen(0, true);
        QVERIFY(selected.Grabber->GetDisplayFullScreen(0));
        picture = shown(selected);
        QVERIFY(CountPixels(picture, topRight, IsWhite) > 10);

        // Full screen but neither selected nor alerting: nothing, unless the clock overlay is on.
        other.Grabber->SetDisplayFullScreen(0, true);
        QCOMPARE(CountPixels(shown(other), topRight, IsWhite), 0);
        App().GlobalSettings.DateTimeOverlay = true;
        QVERIFY(CountPixels(shown(other), topRight, IsWhite) > 10);
        App().GlobalSettings.DateTimeOverlay = false;

        // Alerting: the red frame along the edges, also when not selected.
        other.detector_MotionWasDetected = true;
        picture = shown(other);
        QVERIFY(CountPixels(picture, leftEdge, IsRed) > 60);
        QVERIFY(CountPixels(picture, QRect(20, 256, 40, 5), IsRed) > 60); // bottom edge
        other.detector_MotionWasDetected = false;
        QCOMPARE(CountPixels(shown(other), leftEdge, IsRed), 0);
        selected.Grabber->SetDisplayFullScreen(0, false);
        other.Grabber->SetDisplayFullScreen(0, false);
    }

    void textOverlaysFollowTheSettings()
    {
        TCamera &a = CreatedCamera("A");
        TCamera &b = CreatedCamera("B");
        App().GlobalSettings.CameraTitleOverlay = true;
        App().GlobalSettings.DateTimeOverlay = false;
        UpdateTextOverlaysOnCameras();
        for (TCamera *camera : {&a, &b}) {
            QVERIFY(camera->Grabber->Overlays().Texts[1].Enabled);
            QVERIFY(!camera->Grabber->Overlays().Texts[2].Enabled);
        }
        App().GlobalSettings.CameraTitleOverlay = false;
        App().GlobalSettings.DateTimeOverlay = true;
        UpdateTextOverlaysOnCameras();
        QVERIFY(!b.Grabber->Overlays().Texts[1].Enabled);
        QVERIFY(b.Grabber->Overlays().Texts[2].Enabled);
        QVERIFY(PromptTexts().isEmpty());
    }
};

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
