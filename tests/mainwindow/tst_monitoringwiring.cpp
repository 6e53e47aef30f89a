// The main window wired to the monitoring runtime: its monitoring commands reach the cameras' real
// components, the button shows the selected camera's state, old recordings go at start-up, and the hidden
// siren player is in place.
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/cameratimers.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "mainwindow/mainform.h"
#include "mainwindow/monitoringwiring.h"
#include "runtime/monitoring.h"
#include "runtime/runtimeservices.h"
#include "sandboxhome.h"
#include "testpaths.h"

#include "recordingsubsystems.h"
#include "scriptedprompts.h"
#include "core/services.h"
#include <QListWidget>
#include <QToolButton>
#include <QtTest>

class TestMonitoringWiring : public QObject
{
    Q_OBJECT

    std::optional<TRuntimeServices> m_services;  // fresh per test function

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TScriptedPrompts> m_prompts;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TMonitoringWiring> m_monitoring;
    QStringList m_steps;
    std::unique_ptr<TRecordingSubsystems> m_others;

    QString OutputFolder() const { return m_dir->path() + "/appdata/Ostrivo/snapshots_video"; }

    // A camera built by hand: a real component and its timers, the delayed start wired to its handler.
    TCamera &AddCamera(const QString &title)
    {
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = title;
        camera->Grabber = new TAdvancedCaptureComponent(m_form.get());
        for (TTimer **slot : camera->TimerSlots())
            *slot = new TTimer(1000, false);
        TCamera &c = *camera;
        c.MonitoringStarter->OnTimer = [&c](TTimer *) { MonitoringOnTimer(c); };
        App().Cameras.push_back(std::move(camera));
        return c;
    }

    QStringList LogTexts() const
    {
        QStringList texts;
        for (int i = 0; i < m_form->MsgBox->count(); ++i)
            texts << m_form->MsgBox->item(i)->text();
        return texts;
    }
    bool Logged(const QString &text) const { return !LogTexts().filter(text).isEmpty(); }

private slots:
    void init()
    {
        m_services.emplace();
        Services().ProgramFolder = TestBinDir();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompts = std::make_unique<TScriptedPrompts>();
        // An old and a new recording in the output folder: start-up deletes only the old one.
        QDir().mkpath(OutputFolder());
        for (const char *name : {"/Door_000001.avi", "/Door_000002.avi"}) {
            QFile file(OutputFolder() + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile old(OutputFolder() + "/Door_000001.avi");
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addDays(-30), QFileDevice::FileModificationTime));
        old.close();

        m_form = std::make_unique<TMainForm>(
            TMainFormOptions{true, m_dir->path() + "/appdata"});
        m_monitoring = std::make_unique<TMonitoringWiring>(*m_form);
        m_others = std::make_unique<TRecordingSubsystems>(m_steps);
        m_form->Plug({*m_others, *m_others, *m_monitoring, *m_others, *m_others, *m_others});
        QVERIFY(m_form->Startup());
    }
    void cleanup()
    {
        for (const auto &camera : App().Cameras) {
            FreeCameraTimers(*camera);
            delete camera->Grabber;
        }
        App().Cameras.clear();
        m_form.reset();
        m_monitoring.reset();
        m_others.reset();
        m_prompts.reset();
        m_services.reset();
    }

    void startupWiring()
    {
        QVERIFY(!QFile::exists(OutputFolder() + "/Door_000001.avi"));
        QVERIFY(QFile::exists(OutputFolder() + "/Door_000002.avi"));

        TCaptureComponent *player = AudioPlayer(*m_form);
        QVERIFY(player);
        QVERIFY(player->isHidden());
        QVERIFY(!m_form->ToolButton3->icon().isNull());
    }

    void commandsWithoutSelectionWarn()
    {
        AddCamera("Door");
        App().SelCamIndex = -1;
        m_form->ToolButton3Click();
        m_form->RightNow1Click(30);
        QCOMPARE(m_prompts->log.size(), 2);
        for (const auto &entry : m_prompts->log) {
            QCOMPARE(entry.kind, TPromptKind::Warning);
            QCOMPARE(entry.text, QString("Camera is not choosed"));
        }
        QVERIFY(!App().Cameras.front()->Grabber->MotionDetector_Enabled());
    }

    void buttonTogglesTheSelectedCamera()
    {
        AddCamera("Yard");
        TCamera &door = AddCamera("Door");
        App().SelCamIndex = 1;
        const QIcon startIcon = m_form->ToolButton3->icon();

        m_form->ToolButton3Click();
        QVERIFY(door.Grabber->MotionDetector_Enabled());
        QVERIFY(!App().Cameras.front()->Grabber->MotionDetector_Enabled());
        QCOMPARE(m_form->ToolButton3->text(), QString("Stop Monitoring"));
        QVERIFY(m_form->ToolButton3->icon().cacheKey() != startIcon.cacheKey());
        QVERIFY(Logged("Monitoring is started on camera Door"));

        m_form->ToolButton3Click();
        QVERIFY(!door.Grabber->MotionDetector_Enabled());
        QCOMPARE(m_form->ToolButton3->text(), QString("Start Monitoring"));
        QVERIFY(Logged("Monitoring is stopped on camera Door"));
        QVERIFY(m_prompts->log.isEmpty());
    }

    void delayedStartsAndStopAll()
    {
        TCamera &yard = AddCamera("Yard");
        TCamera &door = AddCamera("Door");
        App().SelCamIndex = 0;

        m_form->RightNow1Click(30);
        QVERIFY(yard.MonitoringStarter->Enabled());
        QCOMPARE(yard.MonitoringStarter->Interval(), 30000);
        QVERIFY(!door.MonitoringStarter->Enabled());
        QVERIFY(Logged("Monitoring on camera Yard will begin in 30 seconds."));
        yard.MonitoringStarter->Fire();
        QVERIFY(yard.Grabber->MotionDetector_Enabled());
        QCOMPARE(m_form->ToolButton3->text(), QString("Stop Monitoring"));

        m_form->RightNow2Click(60);
        QVERIFY(yard.MonitoringStarter->Enabled() && door.MonitoringStarter->Enabled());
        QVERIFY(!yard.Grabber->MotionDetector_Enabled()); // a running detector waits for the new start
        QVERIFY(Logged("Monitoring on all cameras will begin in 60 seconds."));

        m_form->StopDetectorsTimers1Click();
        QVERIFY(!yard.MonitoringStarter->Enabled() && !door.MonitoringStarter->Enabled());
        QVERIFY(!yard.Grabber->MotionDetector_Enabled() && !door.Grabber->MotionDetector_Enabled());
        QVERIFY(Logged("Monitoring is stopped on all cameras."));
        QCOMPARE(m_form->ToolButton3->text(), QString("Start Monitoring"));
    }
};

QTEST_MAIN(TestMonitoringWiring)
#include "tst_monitoringwiring.moc"
