// The runtime's ports over real capture components: a camera's control follows its component and drives
// its detector and overlays; the siren player repeats through the component's player events.
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/clock.h"
#include "core/main.h"
#include "core/timer.h"
#include "runtime/cameracontrol.h"
#include "runtime/monitoring.h"
#include "runtime/runtimeservices.h"
#include "runtime/siren.h"
#include "testpaths.h"

#include <QtTest>

class TestCameraControl : public QObject
{
    Q_OBJECT

    std::optional<TRuntimeServices> m_services;

    static bool ImageOn(const TCaptureComponent &component, int index)
    {
        const auto &images = component.Overlays().Images;
        return size_t(index) < images.size() && images[size_t(index)].Enabled;
    }

private slots:
    void init()
    {
        m_services.emplace();
        InstallComponentCameraControl();
    }
    void cleanup() { m_services.reset(); }

    void controlFollowsTheComponent()
    {
        TCamera camera;
        QVERIFY(CameraControl(camera) == nullptr);

        auto first = std::make_unique<TAdvancedCaptureComponent>();
        camera.Grabber = first.get();
        TCameraControl *control = CameraControl(camera);
        QVERIFY(control);
        QCOMPARE(CameraControl(camera), control); // one control a component, not one a call
        control->SetMotionDetector_Enabled(true);
        QVERIFY(first->MotionDetector_Enabled());

        // A replaced component gets its own control; the old one went with its component.
        first.reset();
        auto second = std::make_unique<TAdvancedCaptureComponent>();
        camera.Grabber = second.get();
        control = CameraControl(camera);
        QVERIFY(control);
        QVERIFY(!control->MotionDetector_Enabled());
        control->SetMotionDetector_Enabled(true);
        QVERIFY(second->MotionDetector_Enabled());
        QCOMPARE(second->findChildren<TComponentCameraControl *>().size(), 1);
    }

    void overlaysShowTheMonitoringState()
    {
        TAdvancedCaptureComponent component;
        TTimer starter(1000, false);
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = "Door";
        camera->Grabber = &component;
        camera->MonitoringStarter = &starter;
        App().Cameras.push_back(std::move(camera));
        App().SelCamIndex = 0;
        TCamera &door = *App().Cameras.front();

        SetMonitoring(door, true);
        QVERIFY(component.MotionDetector_Enabled());
        QVERIFY(ImageOn(component, 0));
        QVERIFY(!ImageOn(component, 1));

        // A delayed start: detector off, the countdown icon instead of the monitoring icon.
        StartMonitoringOfSelectedCamera(30);
        QVERIFY(!component.MotionDetector_Enabled());
        QVERIFY(!ImageOn(component, 0));
        QVERIFY(ImageOn(component, 1));
        QVERIFY(starter.Enabled());
        MonitoringOnTimer(door);
        QVERIFY(component.MotionDetector_Enabled());
        QVERIFY(ImageOn(component, 0));
        QVERIFY(!ImageOn(component, 1));

        StopAllDetectorsAndTimers();
        QVERIFY(!component.MotionDetector_Enabled());
        QVERIFY(!ImageOn(component, 0));
        door.Grabber = nullptr;
        door.MonitoringStarter = nullptr;
    }

    void clockTextLeavesTheSelectorAlone()
    {
        TAdvancedCaptureComponent component;
        TCamera camera;
        camera.Grabber = &component;
        component.SetTextOverlay_Selector(1);
        component.SetTextOverlay_String("title");

        CameraControl(camera)->SetClockText("12:00:00");
        QCOMPARE(component.TextOverlay_Selector(), 1);
        QCOMPARE(component.TextOverlay_String(), QString("title"));
        QCOMPARE(component.Overlays().Texts.at(2).String, QString("12:00:00"));
    }

    // The siren file is played again at its end while the siren lasts, and not once the stop time passed.
    void sirenRepeatsThroughThePlayerEvents()
    {
        QList<TPlayerState> states; // outlives the player, whose end may still report a state
        std::function<void(TCaptureComponent *, TPlayerState, TPlayerState)> repeat;
        TCaptureComponent player;
        auto *siren = new TComponentSirenPlayer(player);
        repeat = player.OnPlayerStateChanged;
        player.OnPlayerStateChanged = [&](TCaptureComponent *sender, TPlayerState from, TPlayerState to) {
            states << to;
            repeat(sender, from, to);
        };

        App().StopCurrentSoundAlarm_Time = Now() + 1.0;
        siren->SetPlayerFileName(BuiltFile(QStringLiteral("3.wav"))); // 2.4 s
        siren->SetAudioVolume(SirenVolume(1));
        siren->OpenPlayer();
        if (player.PlayerState() != ps_Playing)
            QSKIP("the capture component cannot play sound files yet");
        QVERIFY(siren->IsPlaying());

        QTRY_VERIFY_WITH_TIMEOUT(states.contains(ps_Paused), 6000);
        QTRY_COMPARE_WITH_TIMEOUT(states.last(), ps_Playing, 1000); // played again

        App().StopCurrentSoundAlarm_Time = Now();
        states.clear();
        QTRY_VERIFY_WITH_TIMEOUT(states.contains(ps_Paused), 6000);
        QTest::qWait(300);
        QCOMPARE(states.last(), ps_Paused);
        QVERIFY(!siren->IsPlaying());

        CloseSirenPlayer();
        QCOMPARE(player.PlayerState(), ps_Closed);
    }
};

QTEST_MAIN(TestCameraControl)
#include "tst_cameracontrol.moc"
