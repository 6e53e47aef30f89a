// The main window frame: start-up sequence, captions, the close question, "Exit", and the shutdown
// sequence with its drains.
#include "core/camera.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/settingsfile.h"
#include "core/startup.h"
#include "core/timer.h"
#include "core/translation.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/mainform.h"
#include "recordingsubsystems.h"
#include "sandboxhome.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

namespace {

const QByteArray EmptyCameraList = QByteArray::fromHex("0a000000" "02000000" "02000000" "00000000");

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QStringList Texts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TScriptedPrompts> m_prompts;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TCameraWiring> m_wiring; // the real camera list file at shutdown
    std::unique_ptr<TRecordingSubsystems> m_recorder;
    QStringList m_steps; // what the hooks saw, in order

    QString DataFolder() const { return m_dir->path() + "/appdata/Ostrivo"; }
    QString CamDat() const { return DataFolder() + "/cam.dat"; }
    QString GuidePage(const QString &page) const
    {
        return QUrl::fromLocalFile(m_dir->path() + "/program/help/" + page).toString();
    }

    TMainForm &MakeForm(bool hide = false)
    {
        m_form = std::make_unique<TMainForm>(TMainFormOptions{hide, m_dir->path() + "/appdata", m_dir->path() + "/program"});
        m_wiring = std::make_unique<TCameraWiring>(*m_form);
        m_recorder = std::make_unique<TRecordingSubsystems>(m_steps);
        m_form->Plug(m_recorder->With(*m_wiring));
        return *m_form;
    }

    // Every start-up and shutdown step records its name; the camera list is still written for real.
    void RecordSteps(TMainForm &form)
    {
        m_recorder->SaveThrough = m_wiring.get();
        form.Plug(m_recorder->All());
    }

private slots:
    void init()
    {
        ResetApplicationState();
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_dir->path() + "/appdata");
        QDir().mkpath(m_dir->path() + "/program");
        m_prompts = std::make_unique<TScriptedPrompts>();
        m_steps.clear();
    }

    void cleanup()
    {
        m_form.reset();
        m_recorder.reset();
        m_wiring.reset();
        m_prompts.reset();
        m_dir.reset();
    }

    void freshStartRunsTheSequenceInOrder()
    {
        TMainForm &form = MakeForm();
        RecordSteps(form);
        QVERIFY(form.Startup());

        QCOMPARE(m_steps, QStringList({"CreateCameraGrid", "LoadCameras", "UpdateTextOverlays", "DeleteOldRecordings"}));
        QVERIFY(QFileInfo(DataFolder() + "/snapshots_video").isDir());
        QVERIFY(!QFile::exists(DataFolder() + "/set.dat"));
        QVERIFY(!QFile::exists(CamDat()));
        QCOMPARE(App().GlobalSettings.OutputFolderForVideosAndSnapshots, DataFolder() + "/snapshots_video");
        QCOMPARE(App().SelCamIndex, -1);
        QCOMPARE(App().SupportPage, GuidePage("en/support.html"));
        QVERIFY(form.CameraGridWidget() && form.CameraGridWidget()->parent());

        QCOMPARE(form.MsgBox->count(), 1);
        QVERIFY(form.MsgBox->item(0)->text().endsWith(" - Ostrivo is started and configured"));
        QCOMPARE(form.MsgBox->currentRow(), 0);

        QVERIFY(form.ReconnectTimer->Enabled() && form.SMSCommanderTimer->Enabled() && form.Timer1->Enabled());
        QVERIFY(!form.Terminator->Enabled());
        QCOMPARE(form.ReconnectTimer->Interval(), 3000);
        QCOMPARE(form.SMSCommanderTimer->Interval(), 30000);
        QCOMPARE(form.Timer1->Interval(), 18000000);
        QCOMPARE(form.Terminator->Interval(), 16000);
        QVERIFY(!form.isVisible() && !form.TrayIcon1->isVisible());
    }

    void hideSwitchShowsTheTrayIconOnly()
    {
        TMainForm &form = MakeForm(true);
        QVERIFY(form.Startup());
        QVERIFY(!form.isVisible());
        QVERIFY(form.TrayIcon1->isVisible());
        QCOMPARE(form.MsgBox->count(), 1);
    }

    void captionsAndAddressesFollowTheLanguage()
    {
        // No set.dat: the per-user value "fr" picks language 3.
        WriteFile(SandboxHome() + "/.config/Ostrivo/Ostrivo.conf", "[General]\nLanguage=fr\n");
        QStringList table{"5", "English", "Русский", "Español", "Français", "Deutsch"};
        for (const QString key : {"Add Camera", "Messages", "Exit", "Ostrivo is started and configured",
                                  "Stop All Detectors && Timers"})
            table << key << "ru" << "es" << "FR " + key << "de";
        WriteFile(m_dir->path() + "/program/transl.dt", table.join("\r\n").toUtf8());

        TMainForm &form = MakeForm();
        QVERIFY(form.Startup());
        QFile::remove(SandboxHome() + "/.config/Ostrivo/Ostrivo.conf");

        QCOMPARE(App().GlobalSettings.Language, 3);
        QCOMPARE(form.ToolButton10->text(), QStringLiteral("FR Add Camera"));
        QCOMPARE(form.ToolButton1->text(), QStringLiteral("Remove")); // not in the table
        QCOMPARE(form.MessagesHeader->text(), QStringLiteral("  FR Messages"));
        QCOMPARE(form.Exit1->text(), QStringLiteral("FR Exit"));
        QCOMPARE(form.Exit2->text(), QStringLiteral("FR Exit"));
        QCOMPARE(form.StopDetectorsTimers1->text(), QStringLiteral("FR Stop All Detectors && Timers"));
        QVERIFY(form.MsgBox->item(0)->text().endsWith(" - FR Ostrivo is started and configured"));
        // No French pages in this program folder: the English guide.
        QCOMPARE(App().HelpPage, GuidePage("en/index.html"));
        QCOMPARE(App().SupportPage, GuidePage("en/support.html"));

        const QList<QToolButton *> buttons = {form.ToolButton10, form.ToolButton1, form.ToolButton2,
                                              form.ToolButton3,  form.ToolButton4, form.ToolButton9,
                                              form.ToolButton5,  form.ToolButtonHelp};
        for (QToolButton *button : buttons) {
            QCOMPARE(button->size(), QSize(92, 60));
            QCOMPARE(button->iconSize(), QSize(32, 32));
        }
        QCOMPARE(Texts(form.ToolButton9->menu()->actions()),
                 QStringList({"2 x 2", "3 x 2", "3 x 3", "4 x 3", "4 x 4", "5 x 4", "5 x 5", "6 x 5", "6 x 6",
                              "7 x 6", "7 x 7", "8 x 7", "8 x 8"}));
        QCOMPARE(Texts(form.StartWithAllCameras1->actions()),
                 QStringList({"Right Now", "After 30-second delay", "After 1-minute delay", "After 5-minute delay",
                              "After 10-minute delay", "After 30-minute delay"}));
    }

    void commandsReachTheirSubsystems()
    {
        TMainForm &form = MakeForm();
        RecordSteps(form);
        QVERIFY(form.Startup());
        m_steps.clear();
        form.StartWithAllCameras1->actions().at(3)->trigger();
        form.ToolButton9->menu()->actions().at(12)->trigger();
        form.Remove1->trigger();
        form.Edit1->trigger();
        form.NewCamera1->trigger();
        form.GeneralSettings1->trigger();
        form.StopDetectorsTimers1->trigger();
        QCOMPARE(m_steps, QStringList({"StartAllCameras 300", "ApplyLayout 8 8", "RemoveCamera", "EditCamera",
                                       "AddCamera", "GeneralSettings", "StopAllDetectors"}));

        form.OstrivoHelp1->trigger();
        form.Support1->trigger();
        QCOMPARE(m_prompts->log.size(), 2);
        QCOMPARE(m_prompts->log[0].text, App().HelpPage);
        QCOMPARE(m_prompts->log[1].text, App().SupportPage);
    }

    void unreadableSettingsAnsweredYesEndsStartupWithoutWriting()
    {
        const QByteArray cut = EncodeSettings(TGlobalSettings()).left(30);
        WriteFile(DataFolder() + "/set.dat", cut);
        WriteFile(CamDat(), "old camera list");
        m_prompts->answers = {true};
        TMainForm &form = MakeForm();
        RecordSteps(form);
        QSignalSpy ended(&form, &TMainForm::Ended);

        QVERIFY(!form.Startup());
        QCOMPARE(m_prompts->log.size(), 1);
        QVERIFY(m_prompts->log[0].text.contains("Could not load settings."));
        QVERIFY(m_steps.isEmpty()); // stopped before the grid and the cameras
        QVERIFY(!form.ReconnectTimer->Enabled());
        QCOMPARE(ReadFile(DataFolder() + "/set.dat"), cut);
        QCOMPARE(ReadFile(CamDat()), QByteArray("old camera list"));
        QCOMPARE(ended.count(), 0);
    }

    void missingDataFolderEndsStartup()
    {
        QDir(m_dir->path() + "/appdata").removeRecursively();
        WriteFile(m_dir->path() + "/appdata", "a file where the folder should be");
        TMainForm &form = MakeForm();
        QVERIFY(!form.Startup());
        QCOMPARE(m_prompts->log.size(), 1);
        QCOMPARE(m_prompts->log[0].text, "Could not create application directory:\n" + DataFolder());
        QVERIFY(!form.TrayIcon1->isVisible());
    }

    void closeBoxWithoutTrayIconClosesWithoutQuestion()
    {
        TMainForm &form = MakeForm();
        QVERIFY(form.Startup());
        QSignalSpy ended(&form, &TMainForm::Ended);
        form.show();
        QVERIFY(form.close());
        QVERIFY(m_prompts->log.isEmpty());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
        QVERIFY(!QFile::exists(DataFolder() + "/set.dat")); // settings are not written at shutdown
    }

    void closeQuestionAfterTrayMinimization()
    {
        TMainForm &form = MakeForm();
        QVERIFY(form.Startup());
        QSignalSpy ended(&form, &TMainForm::Ended);
        form.show();
        form.MinimizeToTray1->trigger();
        QVERIFY(!form.isVisible() && form.TrayIcon1->isVisible());
        form.TrayMenu->actions().at(0)->trigger(); // "Open"
        QVERIFY(form.isVisible());

        m_prompts->answers = {true, false};
        QVERIFY(!form.close()); // Yes: back to the tray
        QCOMPARE(m_prompts->log.size(), 1);
        QCOMPARE(m_prompts->log[0].kind, TPromptKind::Confirmation);
        QCOMPARE(m_prompts->log[0].text,
                 QStringLiteral("Minimize application to tray?\nClick \"Yes to hide, or \"No\" to close."));
        QVERIFY(!form.isVisible() && form.TrayIcon1->isVisible());
        QVERIFY(!QFile::exists(CamDat()));
        QCOMPARE(ended.count(), 0);

        form.OpenFromTray();
        QVERIFY(form.close()); // No: the close goes on
        QCOMPARE(ended.count(), 1);
        QCOMPARE(m_prompts->log.size(), 2);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
    }

    void systemTerminationWhileShownInTrayDoesNotAsk()
    {
        TMainForm &form = MakeForm(true);
        QVERIFY(form.Startup());
        QSignalSpy ended(&form, &TMainForm::Ended);
        form.show(); // shown from the tray, icon stays visible
        form.SystemCloseRequest();
        QVERIFY(m_prompts->log.isEmpty());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
    }

    void systemTerminationEndsOpenDialogsFirst()
    {
        TMainForm &form = MakeForm();
        QVERIFY(form.Startup());
        QSignalSpy ended(&form, &TMainForm::Ended);
        QTimer::singleShot(0, &form, &TMainForm::SystemCloseRequest);
        QDialog dialog(&form);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(ended.count(), 0); // not inside the dialog's loop
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
    }

    void exitSkipsQuestionAndShutdown()
    {
        TMainForm &form = MakeForm(true);
        RecordSteps(form);
        QVERIFY(form.Startup());
        m_steps.clear();
        QSignalSpy ended(&form, &TMainForm::Ended);
        form.show();
        form.Exit1->trigger();
        QVERIFY(App().QuitImmediately);
        QVERIFY(m_prompts->log.isEmpty());
        QCOMPARE(ended.count(), 1);
        QVERIFY(!form.isVisible());
        QVERIFY(!QFile::exists(CamDat()));
        QVERIFY(m_steps.isEmpty());
    }

    void restartAnswerClosesByTheOrdinaryPath()
    {
        TMainForm &form = MakeForm();
        QVERIFY(form.Startup());
        QSignalSpy ended(&form, &TMainForm::Ended);
        m_prompts->answers = {true};
        ReportError("Something broke", true);
        // The operation that reported the error finishes first; the close follows from the event loop.
        QCOMPARE(ended.count(), 0);
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
    }

    void shutdownDrainsRunningHandlersBeforeReleasing()
    {
        TMainForm &form = MakeForm();
        RecordSteps(form);
        QVERIFY(form.Startup());
        m_steps.clear();
        QPointer<QWidget> grid = form.CameraGridWidget();

        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = "Door";
        for (TTimer **slot : camera->TimerSlots())
            *slot = new TTimer(1000, true);
        QPointer<TTimer> detection = camera->DetectionTriggerTimer;
        TCamera &door = *camera;
        App().Cameras.push_back(std::move(camera));

        // Work still in progress when the close comes: it ends a little later, from the event loop.
        form.ReconnectTimer->Tag = 1;
        door.Email_Timer->Tag = 1;
        QTimer::singleShot(100, [&] {
            // The reconnection drain comes before the cameras' timers are touched.
            m_steps << (door.Snapshot_Timer->Enabled() ? "reconnect work done" : "camera timers stopped too early");
            form.ReconnectTimer->Tag = 0;
        });
        QTimer::singleShot(200, [&] {
            m_steps << "email work done";
            door.Email_Timer->Tag = 0;
        });
        bool savedWhileShuttingDown = false;
        m_recorder->OnStep = [&](const QString &step) {
            if (step != "SaveCameras")
                return;
            savedWhileShuttingDown = IsShuttingDown() && !form.isVisible();
            form.ReconnectTimerOnTimer(); // handlers stay idle while shutting down: no "ReconnectOnTimer" step
        };

        form.show();
        QVERIFY(form.close());
        QCOMPARE(m_steps, QStringList({"SaveCameras", "StopAudioPlayer", "reconnect work done", "email work done",
                                       "ReleaseCamera Door", "ReleaseCatalogue", "ReleaseCameraGrid",
                                       "ReleaseMailComponents"}));
        QVERIFY(savedWhileShuttingDown);
        QVERIFY(App().Cameras.empty());
        QVERIFY(detection.isNull()); // the camera's timers were freed
        QVERIFY(grid.isNull());
        QVERIFY(!IsShuttingDown());
        QVERIFY(!form.ReconnectTimer->Enabled());
        QVERIFY(form.SMSCommanderTimer->Enabled()); // not stopped by the shutdown
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void terminatorEndsAWaitThatCannotFinish()
    {
        TMainForm &form = MakeForm();
        RecordSteps(form);
        QVERIFY(form.Startup());
        m_steps.clear();
        QSignalSpy ended(&form, &TMainForm::Ended);
        // A handler that only returns once the shutdown returns (it waits in a nested loop under it).
        form.ReconnectTimer->Tag = 1;
        QTimer::singleShot(100, &form, &TMainForm::TerminatorOnTimer);
        QElapsedTimer clock;
        clock.start();
        form.SystemCloseRequest();
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ReadFile(CamDat()), EmptyCameraList);
        // Nothing released under the busy handler.
        QCOMPARE(m_steps, QStringList({"SaveCameras", "StopAudioPlayer"}));
        form.ReconnectTimer->Tag = 0;
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
