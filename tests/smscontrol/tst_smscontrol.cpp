// The SMS command processor with the cameras of the program: the tick's conditions, one run on its worker
// with the camera and log actions on the user-interface thread, the replies, the allowed senders, and a
// run that is still going when the processor goes away.
#include "../runtime/monitorfixture.h"
#include "core/translation.h"
#include "sandboxhome.h"
#include "smscontrol/allowedsenders.h"
#include "smscontrol/smscontrol.h"

#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

struct TSent
{
    QString Phone, Text;
    bool operator==(const TSent &) const = default;
};

// A gateway that serves one response per fetch and records what is sent; thread-safe.
class TFakeGateway : public TSMSCommandGateway
{
public:
    TSMSLibraryResult GetSMS(const QString &userName, const QString &apiKey, int size) override
    {
        {
            std::lock_guard lock(m_mutex);
            ++fetches;
            fetchSizes << size;
            accounts << userName + "/" + apiKey;
        }
        fetched.release();
        if (holdFetch)
            release.acquire();
        std::lock_guard lock(m_mutex);
        return response;
    }
    TSMSLibraryResult SendSMS(const QString &, const QString &, const QString &phone, const QString &text,
                              int size) override
    {
        std::lock_guard lock(m_mutex);
        sendSizes << size;
        sent.append({phone, text});
        if (failingNumbers.contains(phone))
            return {0, "Invalid phone number format"};
        return {1, QString()};
    }
    QList<TSent> Sent()
    {
        std::lock_guard lock(m_mutex);
        return sent;
    }

    TSMSLibraryResult response{1, QString()};
    QStringList failingNumbers;
    bool holdFetch = false;
    QSemaphore fetched, release;
    int fetches = 0;
    QList<int> fetchSizes, sendSizes;
    QStringList accounts;

private:
    std::mutex m_mutex;
    QList<TSent> sent;
};

QString Message(const QString &text, const QString &sender)
{
    return text + "{#}" + sender + "{#}12/09/26 10:00:00{#}";
}

} // namespace

class TestSMSControl : public QObject
{
    Q_OBJECT

    std::unique_ptr<TRuntimeFixture> fx;
    std::unique_ptr<TFakeGateway> fake;

    // Runs one tick and waits for the run's end.
    bool RunOnce(TSMSControl &control)
    {
        QSignalSpy finished(&control, &TSMSControl::RunFinished);
        control.SMSCommanderTimerTimer();
        if (!App().CheckingSMSCommands)
            return false;
        return finished.wait(10000) && !App().CheckingSMSCommands;
    }

    void EnableSMSControl()
    {
        TGlobalSettings &s = App().GlobalSettings;
        s.SMS_ControlEnabled = true;
        s.SMS_Username = "owner";
        s.SMS_APIKey = "key-1";
    }

private slots:
    void init()
    {
        fx = std::make_unique<TRuntimeFixture>(At(2026, 12, 9, 10));
        fake = std::make_unique<TFakeGateway>();
        QVERIFY(SetAllowedSMSSenders({}));
    }
    void cleanup() { fx.reset(), fake.reset(); }

    void tickStartsARunOnlyWhenItMay()
    {
        TSMSControl control(fake.get());
        fx->AddCamera("Door");
        control.SMSCommanderTimerTimer(); // SMS control off
        App().GlobalSettings.SMS_ControlEnabled = true;
        App().CheckingSMSCommands = true; // a run is going
        control.SMSCommanderTimerTimer();
        App().CheckingSMSCommands = false;
        TTimer terminator(16000, true); // shutting down
        SetShutdownMarker(&terminator);
        control.SMSCommanderTimerTimer();
        SetShutdownMarker(nullptr);
        App().Cameras.clear(); // no camera
        control.SMSCommanderTimerTimer();
        QTest::qWait(50);
        QCOMPARE(fake->fetches, 0);
        QVERIFY(!App().CheckingSMSCommands);
    }

    void runCarriesOutEveryMessageAndAnswersAfterwards()
    {
        EnableSMSControl();
        TCamera &door = fx->AddCamera("Door");
        TCamera &door2 = fx->AddCamera("Door 2");
        TCamera &yard = fx->AddCamera("Yard");
        for (TCamera *camera : {&door, &door2, &yard})
            fx->Control(*camera).detector = true;
        door2.MonitoringStarter->SetEnabled(true); // a pending start is cancelled by the commands
        fake->response = {1, "  " + Message("OFF door 2", "+111") + Message("status", "+222")
                                   + Message("Hello", "+333") + Message("shot yard", "+444")
                                   + Message("on garage", "+555") + Message("ON Door", "+666") + "  "};

        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));

        QCOMPARE(fake->accounts, QStringList{"owner/key-1"});
        QCOMPARE(fake->fetchSizes, QList<int>{500});
        QVERIFY(fx->Control(door).detector); // "ON Door" switched it back on
        QVERIFY(!fx->Control(door2).detector);
        QVERIFY(!door2.MonitoringStarter->Enabled());
        QVERIFY(fx->Control(yard).detector);
        const QList<TSent> expected = {
            {"+111", "Monitoring is stopped on cameras:Door, Door 2, "},
            {"+222", "Status of cameras:Door:working OK, monitoring is OFF; Door 2:working OK, monitoring is OFF; "
                     "Yard:working OK, monitoring OK; "},
            {"+333", "SMS Command is not recognized: Hello"},
            {"+444", "Email delivery is disabled in cameras settings. Cannot send snapshot to your email."},
            {"+555", "Specified cameras do not exist. Therefore cannot run the command \"on garage\""},
            {"+666", "Monitoring is started on cameras:Door, "}};
        QCOMPARE(fake->Sent(), expected);
        QCOMPARE(fake->sendSizes, QList<int>(6, 50));
        const QStringList log = fx->log.Take();
        const QStringList expectedLog = {
            "SMS Command is received: OFF door 2",
            "Monitoring is stopped on camera Door",
            "Monitoring is stopped on camera Door 2",
            "SMS Command is received: status",
            "SMS Command is received: Hello",
            "SMS Command is not recognized: Hello",
            "SMS Command is received: shot yard",
            "Email delivery is disabled in cameras settings. Cannot send snapshot to your email.",
            "SMS Command is received: on garage",
            "Specified cameras do not exist. Therefore cannot run the command \"on garage\"",
            "SMS Command is received: ON Door",
            "Monitoring is started on camera Door"};
        QCOMPARE(log, expectedLog);
    }

    void statusOfACameraThatIsDown()
    {
        EnableSMSControl();
        TCamera &door = fx->AddCamera("Door");
        fx->controls.erase(&door); // no component: down
        fake->response = {1, Message("STATUS", "+1")};
        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QCOMPARE(fake->Sent(), (QList<TSent>{{"+1", "Status of cameras:Door:NOT working, ; "}}));
    }

    void replyTextsAndWordsFollowTheSettings()
    {
        EnableSMSControl();
        App().GlobalSettings.SMS_Command_CheckStatus = QStringLiteral("Zustand");
        App().GlobalSettings.Language = 4;
        SetTranslationTable(TTranslationTable::Parse(
            "5\nEnglish\nRussian\nSpanish\nFrench\nDeutsch\n"
            "Status of cameras:\nr\ns\nf\nStatus der Kameras:\n"));
        fx->AddCamera("Door");
        fake->response = {1, Message("zustand", "+1")};
        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QCOMPARE(fake->Sent(), (QList<TSent>{{"+1", "Status der Kameras:Door:working OK, monitoring is OFF; "}}));
    }

    void snapshotCommandCapturesAndAnswersByEmail()
    {
        EnableSMSControl();
        const QString output = SandboxHome() + "/snapshots";
        QDir(output).removeRecursively();
        QVERIFY(QDir().mkpath(output));
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = output;
        QFile old(output + "/Yard_000001.jpg");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        TCamera &door = fx->AddCamera("Door");
        TCamera &yard = fx->AddCamera("Yard");
        yard.notification_SendToEmail = true;
        fx->Control(yard).snapshotFile = output + "/Yard_000002.jpg";
        fake->response = {1, Message("SHOT", "+1")};

        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QVERIFY(fake->Sent().isEmpty()); // the email is the answer
        QCOMPARE(fx->Control(door).snapshots.size(), 0); // email delivery off: nothing taken
        QCOMPARE(fx->Control(yard).snapshots.size(), 1);
        // The files before the still: the email attaches only the new one.
        QCOMPARE(yard.Email_InitialListOfSnapshots, QStringList{output + "/Yard_000001.jpg"});
        QVERIFY(QFile::exists(output + "/Yard_000002.jpg"));
    }

    void eachReplyFailureIsLoggedAndTheOthersAreSent()
    {
        EnableSMSControl();
        fx->AddCamera("Door");
        fake->response = {1, Message("status", "+1") + Message("status", "bad") + Message("status", "+3")};
        fake->failingNumbers = {"bad"};
        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QCOMPARE(fake->Sent().size(), 3);
        QCOMPARE(fx->log.Take().filter("ERROR"),
                 QStringList{"ERROR: Could not send sms to bad. Invalid phone number format"});
    }

    void failedOrEmptyFetchDoesNothing_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("failure") << 0 << Message("OFF", "+1");
        QTest::newRow("result other than 1") << 2 << Message("OFF", "+1");
        QTest::newRow("empty") << 1 << "";
        QTest::newRow("no separator") << 1 << "OFF";
    }
    void failedOrEmptyFetchDoesNothing()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        EnableSMSControl();
        TCamera &door = fx->AddCamera("Door");
        fx->Control(door).detector = true;
        fake->response = {(unsigned char)value, text};
        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QVERIFY(fx->Control(door).detector);
        QVERIFY(fake->Sent().isEmpty());
        QVERIFY(fx->log.Take().isEmpty());
        QVERIFY(RunOnce(control)); // the next tick runs again
        QCOMPARE(fake->fetches, 2);
    }

    void senderOutsideTheAllowedNumbersIsIgnored()
    {
        EnableSMSControl();
        QVERIFY(SetAllowedSMSSenders({"+49 170 1234567", "0044 20 7946 0000"}));
        TCamera &door = fx->AddCamera("Door");
        fx->Control(door).detector = true;
        fake->response = {1, Message("OFF", "+4915100000") + Message("status", "004917012345-67")};
        TSMSControl control(fake.get());
        QVERIFY(RunOnce(control));
        QVERIFY(fx->Control(door).detector); // the stranger's OFF was not obeyed
        QCOMPARE(fake->Sent().size(), 1);
        QCOMPARE(fake->Sent()[0].Phone, QString("004917012345-67"));
        QCOMPARE(fx->log.Take(), (QStringList{"SMS Command from a number that is not allowed is ignored: +4915100000",
                                              "SMS Command is received: status"}));
    }

    // Shutdown begins while a run is going: the commands that reach the cameras after that are not
    // carried out, and the run ends without replies.
    void shutdownEndsARunBeforeItsCameraActions()
    {
        EnableSMSControl();
        TCamera &door = fx->AddCamera("Door");
        fx->Control(door).detector = true;
        fake->response = {1, Message("OFF", "+1")};
        fake->holdFetch = true;
        TSMSControl control(fake.get());
        QSignalSpy finished(&control, &TSMSControl::RunFinished);
        control.SMSCommanderTimerTimer();
        QVERIFY(fake->fetched.tryAcquire(1, 5000));
        TTimer terminator(16000, true);
        SetShutdownMarker(&terminator);
        fake->release.release();
        QVERIFY(finished.wait(5000));
        SetShutdownMarker(nullptr);
        QVERIFY(fx->Control(door).detector);
        QVERIFY(fake->Sent().isEmpty());
        QCOMPARE(fx->log.Take(), QStringList{"SMS Command is received: OFF"});
    }

    // The worker is waiting for the user-interface thread when the processor goes away: it is released at
    // once, does nothing more and sends nothing.
    void processorGoingAwayReleasesItsRun()
    {
        EnableSMSControl();
        TCamera &door = fx->AddCamera("Door");
        fx->Control(door).detector = true;
        fake->response = {1, Message("OFF", "+1")};
        QElapsedTimer elapsed;
        {
            TSMSControl control(fake.get());
            control.SMSCommanderTimerTimer();
            QVERIFY(fake->fetched.tryAcquire(1, 5000));
            QThread::msleep(100); // the worker now waits for its first log line
            elapsed.start();
        }
        QVERIFY(elapsed.elapsed() < 3000);
        QTest::qWait(100);
        QVERIFY(fx->Control(door).detector);
        QVERIFY(fake->Sent().isEmpty());
        QVERIFY(fx->log.Take().isEmpty());
    }

    // The camera and log side refuses to run anywhere but on the user-interface thread.
    void cameraActionsOffTheUserInterfaceThreadEndTheProgram()
    {
        if (qEnvironmentVariableIsSet("OSTRIVO_CALL_HOST_FROM_WORKER")) {
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
                fprintf(stderr, "%s\n", qPrintable(message));
                fflush(stderr);
            });
            std::thread worker([] { TCameraCommandHost().Execute({TSMSCommand::Status, QString()}); });
            worker.join();
            return; // not reached
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("OSTRIVO_CALL_HOST_FROM_WORKER", "1");
        env.insert("QTEST_DISABLE_STACK_DUMP", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"cameraActionsOffTheUserInterfaceThreadEndTheProgram"});
        QVERIFY(child.waitForFinished(20000));
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
        QVERIFY2(child.readAll().contains("must run on the user-interface thread"), "no thread check");
    }
};

QTEST_MAIN(TestSMSControl)
#include "tst_smscontrol.moc"
