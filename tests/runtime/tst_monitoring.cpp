#include "monitorfixture.h"

#include "core/prompts.h"
#include "scriptedprompts.h"

#include <QtTest>

namespace {
const QString Started = QStringLiteral("Monitoring is started on camera Door");
const QString Stopped = QStringLiteral("Monitoring is stopped on camera Door");
}

class TestMonitoring : public QObject
{
    Q_OBJECT
private slots:
    void scheduleActsOnlyOnItsEdges()
    {
        // Monday and Tuesday 08:00-17:00; 1 January 2024 is a Monday.
        TRuntimeFixture f(At(2024, 1, 1, 7, 59, 59));
        TCamera &door = f.AddCamera("Door");
        for (int day : {1, 2})
            door.SchedulerStart(day) = dt::EncodeTime(8, 0, 0), door.SchedulerEnd(day) = dt::EncodeTime(17, 0, 0);
        door.scheduler_daily = true;
        App().SelCamIndex = 0;
        TFakeControl &control = f.Control(door);
        auto tickAt = [&](TDateTime moment) { f.clock.Set(moment), DetectionTriggerOnTimer(door); };

        tickAt(At(2024, 1, 1, 7, 59, 59));
        QVERIFY(!control.detector && f.log.Take().isEmpty());
        QCOMPARE(control.clockTexts, 1);
        tickAt(At(2024, 1, 1, 8, 0, 1));
        QVERIFY(control.detector && control.monitoringIcon);
        QCOMPARE(f.log.Take(), QStringList{Started});
        QCOMPARE(f.window.caption, "Stop Monitoring");

        // Switched off by the user inside a period: stays off until the period ends.
        ToggleMonitoringOfSelectedCamera();
        tickAt(At(2024, 1, 1, 12, 0));
        QVERIFY(!control.detector);
        QCOMPARE(f.log.Take(), QStringList{Stopped});
        QCOMPARE(f.window.image, StartMonitoringImage);

        // Switched on outside: stays on until the next period has begun and ended. The edge also cancels
        // a pending delayed start.
        tickAt(At(2024, 1, 1, 17, 0, 1));
        ToggleMonitoringOfSelectedCamera();
        tickAt(At(2024, 1, 2, 7, 0));
        QVERIFY(control.detector);
        StartMonitoringOfSelectedCamera(600);
        tickAt(At(2024, 1, 2, 8, 0, 1));
        QVERIFY(control.detector && !door.MonitoringStarter->Enabled() && !control.countdownIcon);
        tickAt(At(2024, 1, 2, 17, 0, 1));
        QVERIFY(!control.detector);
        QCOMPARE(f.log.Take().last(), Stopped);
    }

    void delayedStarts()
    {
        TRuntimeFixture f(At(2024, 3, 1, 10, 0));
        TCamera &door = f.AddCamera("Door");
        TFakeControl &control = f.Control(door);
        App().SelCamIndex = 0;

        // "Right Now": no announcement, started one second later, the siren allowed at once.
        StartMonitoringOfSelectedCamera(MonitoringDelays[0].Seconds);
        QVERIFY(f.log.Take().isEmpty() && !control.countdownIcon);
        f.clock.AddSeconds(1);
        door.MonitoringStarter->Fire();
        QCOMPARE(f.log.Take(), QStringList{Started});
        QCOMPARE(App().MinTimeOfNextSoundAlarm, Now());

        // 30 seconds on a monitoring camera: stopped at once, countdown shown, started again.
        door.detector_MotionWasDetected = true;
        StartMonitoringOfSelectedCamera(30);
        QCOMPARE(f.log.Take(), (QStringList{Stopped, "Monitoring on camera Door will begin in 30 seconds."}));
        QVERIFY(!control.detector && !control.monitoringIcon && control.countdownIcon && !door.detector_MotionWasDetected);
        QCOMPARE(App().StopCurrentSoundAlarm_Time, Now());
        QCOMPARE(door.MonitoringStarter->Interval(), 30000);
        f.clock.AddSeconds(30);
        MonitoringOnTimer(door);
        QCOMPARE(f.log.Take(), QStringList{Started});
        QVERIFY(control.detector && control.monitoringIcon && !control.countdownIcon);

        // The button on a pending camera starts it at once.
        StartMonitoringOfSelectedCamera(300);
        ToggleMonitoringOfSelectedCamera();
        QVERIFY(control.detector && !control.countdownIcon && !door.MonitoringStarter->Enabled());

        // A delayed start that ends while its handler is busy is still switched off.
        StartMonitoringOfSelectedCamera(30);
        door.MonitoringStarter->Tag = 1;
        MonitoringOnTimer(door);
        QVERIFY(!door.MonitoringStarter->Enabled() && !control.detector);
    }

    void commandsWithoutSelectionWarnAndChangeNothing()
    {
        TRuntimeFixture f(At(2024, 3, 1, 10, 0));
        TCamera &door = f.AddCamera("Door");
        TScriptedPrompts prompts;
        ToggleMonitoringOfSelectedCamera();
        App().SelCamIndex = 5; // beyond the list
        StartMonitoringOfSelectedCamera(30);
        QCOMPARE(prompts.log.size(), 2);
        QCOMPARE(prompts.log[0].text, "Camera is not choosed");
        QVERIFY(!f.Control(door).detector && !door.MonitoringStarter->Enabled() && f.log.Take().isEmpty());
    }

    void allCamerasAndStopAll()
    {
        TRuntimeFixture f(At(2024, 3, 1, 10, 0));
        TCamera &door = f.AddCamera("Door");
        TCamera &gate = f.AddCamera("Gate");
        App().SelCamIndex = 1;
        ToggleMonitoringOfSelectedCamera(); // Gate on
        f.log.Take();
        StartMonitoringOfAllCameras(300);
        QCOMPARE(f.log.Take(), (QStringList{"Monitoring is stopped on camera Gate",
                                            "Monitoring on all cameras will begin in 300 seconds."}));
        for (TCamera *camera : {&door, &gate})
            QVERIFY(camera->MonitoringStarter->Enabled() && f.Control(*camera).countdownIcon);

        door.MonitoringStarter->Fire();
        gate.detector_MotionWasDetected = true;
        f.clock.AddSeconds(2);
        StopAllDetectorsAndTimers();
        QCOMPARE(f.log.Take(), (QStringList{Started, "Monitoring is stopped on all cameras."}));
        for (TCamera *camera : {&door, &gate}) {
            const TFakeControl &control = f.Control(*camera);
            QVERIFY(!control.detector && !control.countdownIcon && !control.monitoringIcon);
            QVERIFY(!camera->MonitoringStarter->Enabled() && !camera->detector_MotionWasDetected);
        }
        QCOMPARE(f.window.caption, "Start Monitoring");
        QCOMPARE(App().StopCurrentSoundAlarm_Time, Now());
    }
};

QTEST_GUILESS_MAIN(TestMonitoring)
#include "tst_monitoring.moc"
