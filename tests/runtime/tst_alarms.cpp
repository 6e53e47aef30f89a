#include "monitorfixture.h"

#include "runtime/alarms.h"

#include <QTemporaryDir>
#include <QtTest>

class TestAlarms : public QObject
{
    Q_OBJECT

    // Moves the clock in tenths of a second with motion at the given seconds; each enabled Video_Timer and
    // Snapshot_Timer ticks every whole second after it was switched on, as a running timer does. Ends
    // when both are off and no motion is left.
    static void Run(TRuntimeFixture &f, TCamera &camera, QList<double> motions, double limit = 120)
    {
        struct { TTimer *timer; double next; bool was; } timers[] = {{camera.Video_Timer, 0, false},
                                                                     {camera.Snapshot_Timer, 0, false}};
        for (double t = 0; t <= limit; t += 0.1) {
            f.clock.Set(f.start + t * dt::OneSecond);
            if (!motions.isEmpty() && t >= motions.first() - 0.01)
                motions.removeFirst(), CameraMotionDetected(camera, 0.2);
            for (auto &entry : timers) {
                if (entry.timer->Enabled() && !entry.was)
                    entry.next = t + 1;
                if (entry.timer->Enabled() && t >= entry.next - 0.01)
                    entry.next += 1, entry.timer->Fire();
                entry.was = entry.timer->Enabled();
            }
            if (motions.isEmpty() && !camera.Video_Timer->Enabled() && !camera.Snapshot_Timer->Enabled())
                return;
        }
    }

private slots:
    void smallMotionIsIgnoredEntirely()
    {
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.recording_RecordVideo = door.recording_TakeSnapshots = door.notification_SendToEmail = true;
        CameraMotionDetected(door, 0.0005);
        QVERIFY(!door.detector_MotionWasDetected && !door.Video_Timer->Enabled() && f.log.Take().isEmpty());
        CameraMotionDetected(door, 0.001);
        QVERIFY(door.detector_MotionWasDetected);
        CameraMotionNotDetected(door);
        QVERIFY(!door.detector_MotionWasDetected);
    }

    void snapshotSeries_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("duration");
        QTest::addColumn<QList<double>>("motions");
        QTest::addColumn<QList<double>>("snapshots");
        QTest::newRow("interval 2, duration 10") << 2 << 10 << QList<double>{0} << QList<double>{0, 2, 4, 6, 8, 10};
        QTest::newRow("interval 1, duration 0") << 1 << 0 << QList<double>{0, 5.5} << QList<double>{0, 5.5};
        QTest::newRow("interval 0") << 0 << 3 << QList<double>{0} << QList<double>{0, 1, 2, 3};
        QTest::newRow("motion prolongs, no extra shot") << 3 << 4 << QList<double>{0, 2.5} << QList<double>{0, 3, 6};
    }
    void snapshotSeries()
    {
        QFETCH(int, interval);
        QFETCH(int, duration);
        QFETCH(QList<double>, motions);
        QFETCH(QList<double>, snapshots);
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.recording_TakeSnapshots = true;
        door.recording_TakeSnapshotsInterval_sec = interval;
        door.recording_DurationOfSnapshots_sec = duration;
        Run(f, door, motions);
        QCOMPARE(f.Control(door).snapshots, snapshots);
    }

    void snapshotFailureAndSwitchOff()
    {
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.recording_TakeSnapshots = true;
        door.recording_DurationOfSnapshots_sec = 30;
        f.Control(door).captureWorks = false;
        CameraMotionDetected(door, 0.2);
        SnapshotOnTimer(door);
        QVERIFY(door.Snapshot_Timer->Enabled());
        QCOMPARE(f.log.Take().count("ERROR: could not capture snapshot from camera Door"), 2);
        door.recording_TakeSnapshots = false;
        SnapshotOnTimer(door);
        QVERIFY(!door.Snapshot_Timer->Enabled());
    }

    void oneRecordingCoversTheWholeAlarm()
    {
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.recording_RecordVideo = true;
        door.recording_ContinueVideoRecordingAfterLastMotion_sec = 10;
        QList<double> motions;
        for (int s = 0; s <= 55; s += 5)
            motions << qMax(s - 0.3, 0.0); // off the timer's whole seconds
        Run(f, door, motions);
        TFakeControl &control = f.Control(door);
        QCOMPARE(control.recordingStarts, QList<double>{0});
        QCOMPARE(control.recordingStops.size(), 1);
        QVERIFY(control.recordingStops[0] >= 54.7 + 10 && control.recordingStops[0] <= 54.7 + 11);
        QCOMPARE(control.previews, 1);
        QCOMPARE(f.log.Take(), QStringList{"ALARM on camera Door: Recording video"});
        CameraRecordingStarted(door);
        QCOMPARE(f.log.Take(), QStringList{"Video recording is started on camera Door"});
    }

    void emailAndSmsHoldOff()
    {
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.notification_SendToEmail = door.notification_SendSMS = true;
        door.notification_SMTPRecipient = "guard@example.org";
        door.notification_SMSMobilePhoneNumber = "+100";
        App().GlobalSettings.DelayBetweenEmailsAndSMS_min = 5;
        TCountingAlertSenders senders;
        const int &emails = senders.emails, &sms = senders.sms;
        for (QTime t : {QTime(12, 0), QTime(12, 2, 30), QTime(12, 5), QTime(12, 5, 1)}) {
            f.clock.Set(At(2024, 5, 1, t.hour(), t.minute(), t.second()));
            CameraMotionDetected(door, 0.2);
        }
        QCOMPARE(emails, 2);
        QCOMPARE(sms, 2);
        QCOMPARE(f.log.Take(), (QStringList{"ALARM on camera Door: Sending email to guard@example.org",
                                            "ALARM on camera Door: Sending sms to +100",
                                            "ALARM on camera Door: Sending email to guard@example.org",
                                            "ALARM on camera Door: Sending sms to +100"}));
    }

    void emailWithSnapshotsWaitsForTheSeries()
    {
        QTemporaryDir folder;
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = folder.path();
        QFile(folder.filePath("Door_000001.jpg")).open(QIODevice::WriteOnly);
        TCamera &door = f.AddCamera("Door");
        door.notification_SendToEmail = door.notification_AttachSnapshotsToEmail = door.recording_TakeSnapshots = true;
        door.recording_TakeSnapshotsInterval_sec = 2;
        f.Control(door).snapshotFile = folder.filePath("Door_000002.jpg");
        TCountingAlertSenders senders;
        const int &emails = senders.emails;
        CameraMotionDetected(door, 0.2);
        QVERIFY(emails == 0 && door.Email_Timer->Enabled());
        QCOMPARE(door.Email_Timer->Interval(), 4300);
        QCOMPARE((QList<int>{EmailTimerInterval(1), EmailTimerInterval(3), EmailTimerInterval(-4), EmailTimerInterval(INT_MAX)}),
                 (QList<int>{2300, 3300, 300, INT_MAX}));
        // Listed before the series took its first snapshot: only the older file.
        QCOMPARE(door.Email_InitialListOfSnapshots, QStringList{folder.filePath("Door_000001.jpg")});
        QCOMPARE(f.Control(door).snapshots.size(), 1);
    }

    void alarmLinesInOrderAndWindowBroughtBack()
    {
        TRuntimeFixture f(At(2024, 5, 1, 12, 0));
        TCamera &door = f.AddCamera("Door");
        door.alarm_PlayAudioAlarm = door.recording_RecordVideo = door.recording_TakeSnapshots = true;
        door.notification_SendToEmail = door.notification_SendSMS = true;
        App().GlobalSettings.MaximizeAppOnDetection = true;
        f.window.showing = false;
        CameraMotionDetected(door, 0.2); // no tray icon: stays hidden
        QStringList actions;
        for (const QString &line : f.log.Take())
            actions << line.section(": ", 1);
        QCOMPARE(actions, (QStringList{"Sirene is enabled", "Recording video", "Sending email to ",
                                       "Capturing snapshots", "Sending sms to "}));
        QCOMPARE(f.window.shown, 0);
        f.window.tray = true;
        CameraMotionDetected(door, 0.2);
        CameraMotionDetected(door, 0.2); // showing by now
        QCOMPARE(f.window.shown, 1);
    }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
