// Alert SMS and the test SMS against the gateway stand-in through the real library: what is sent, the
// busy flag, the single failure line, and that the user-interface thread never waits for the gateway.
#include "core/camera.h"
#include "core/prompts.h"
#include "core/timer.h"
#include "core/windowsink.h"
#include "gatewaytestbase.h"
#include "notify/smsalerts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Phone = QStringLiteral("+491700000042");

struct TSMSCamera
{
    TCamera camera;
    std::unique_ptr<TTimer> timer = std::make_unique<TTimer>(1000, false);

    TSMSCamera()
    {
        camera.CustomTitle = QStringLiteral("Porch");
        camera.notification_SendSMS = true;
        camera.notification_SMSUsername = QStringLiteral("u");
        camera.notification_SMSAPIKey = QStringLiteral("k");
        camera.notification_SMSMobilePhoneNumber = Phone;
        camera.SMS_Timer = timer.get();
    }
    int Tag() const { return camera.SMS_Timer ? camera.SMS_Timer->Tag : -1; }
};

} // namespace

class TestSMSAlerts : public TGatewayTestBase
{
    Q_OBJECT

private slots:
    void alertGoesOutOnceAndLogsNothing()
    {
        TRecordingWindowSink sink;
        TSMSCamera c;
        c.timer->SetEnabled(true);
        m_gateway.SetMode({{"delayMs", 1500}});
        QElapsedTimer clock;
        clock.start();
        SMSOnTimer(c.camera);
        const qint64 returnedAfter = clock.elapsed();
        // The gateway takes 1.5 s to answer; the handler does not wait for it.
        QVERIFY2(returnedAfter < 1000, qPrintable(QString("returned after %1 ms").arg(returnedAfter)));
        QVERIFY(!c.timer->Enabled());
        QCOMPARE(c.Tag(), 1);
        SMSOnTimer(c.camera); // a second alert while the first is in transfer is dropped
        QTRY_COMPARE_WITH_TIMEOUT(c.Tag(), 0, 10000);
        QCOMPARE(SentTexts(), QStringList{Phone + ": A movement has been detected by camera Porch"});
        QVERIFY(sink.lines.isEmpty());

        SMSOnTimer(c.camera); // the flag is clear again: the next alert goes out
        QTRY_COMPARE_WITH_TIMEOUT(c.Tag(), 0, 10000);
        QCOMPARE(SentTexts().size(), 2);
    }

    void aFailureWritesExactlyOneLineWithTheLibrarysText()
    {
        TRecordingWindowSink sink;
        TSMSCamera c;
        m_gateway.SetMode({{"sendError", QJsonObject{{"status", 402}, {"message", "Insufficient balance"}}}});
        SMSOnTimer(c.camera);
        QTRY_COMPARE_WITH_TIMEOUT(c.Tag(), 0, 10000);
        QTest::qWait(50);
        QCOMPARE(sink.lines.size(), 1);
        QVERIFY2(sink.lines[0].endsWith(" - ERROR: Could not send sms to " + Phone + ". Insufficient balance"),
                 qPrintable(sink.lines[0]));

        // A missing library is a failure like any other, naming the file.
        sink.lines.clear();
        QTemporaryDir empty;
        platform::SetProgramFolder(empty.path());
        SMSOnTimer(c.camera);
        QTRY_COMPARE_WITH_TIMEOUT(c.Tag(), 0, 10000);
        QCOMPARE(sink.lines.size(), 1);
        QVERIFY2(sink.lines[0].contains(". libsmsengine.so"), qPrintable(sink.lines[0]));
    }

    void nothingWhenSwitchedOffOrShuttingDown()
    {
        TRecordingWindowSink sink;
        TSMSCamera c;
        c.camera.notification_SendSMS = false;
        c.timer->SetEnabled(true);
        SMSOnTimer(c.camera);
        QVERIFY(!c.timer->Enabled());
        QCOMPARE(c.Tag(), 0);

        c.camera.notification_SendSMS = true;
        TTimer terminator(16000, true);
        SetShutdownMarker(&terminator);
        SMSOnTimer(c.camera);
        SetShutdownMarker(nullptr);
        QCOMPARE(c.Tag(), 0);
        QTest::qWait(300);
        QVERIFY(m_gateway.Requests().isEmpty());
        QVERIFY(sink.lines.isEmpty());
    }

    void aCameraReleasedDuringTheTransferTakesTheAnswerWithIt()
    {
        TRecordingWindowSink sink;
        m_gateway.SetMode({{"delayMs", 400}, {"sendError", QJsonObject{{"status", 500}, {"message", "late"}}}});
        {
            TSMSCamera c;
            SMSOnTimer(c.camera);
            QCOMPARE(c.Tag(), 1);
        }
        QTest::qWait(1200);
        QVERIFY(sink.lines.isEmpty());
    }

    void testSMSUsesTheDialogsValuesAndShowsTheAnswer()
    {
        TScriptedPrompts prompts;
        TSMSCamera values;
        values.camera.notification_SendSMS = false; // the test button does not look at it
        QObject dialog;
        int finished = 0;
        m_gateway.SetMode({{"delayMs", 300}});
        SendTestSMS(values.camera, &dialog, [&] { ++finished; });
        QVERIFY(QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(prompts.log.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 10000);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].kind, TPromptKind::Information);
        QCOMPARE(prompts.log[0].text, QStringLiteral("SMS has been sent successfully!"));
        QCOMPARE(SentTexts(), QStringList{Phone + ": This is a test message sent from Ostrivo."});

        values.camera.notification_SMSAPIKey = QStringLiteral("typo");
        values.camera.notification_SMSMobilePhoneNumber = QStringLiteral("0170 123");
        SendTestSMS(values.camera, &dialog, [&] { ++finished; });
        QTRY_COMPARE_WITH_TIMEOUT(finished, 2, 10000);
        QCOMPARE(prompts.log.size(), 2);
        QCOMPARE(prompts.log[1].kind, TPromptKind::Error);
        QCOMPARE(prompts.log[1].text, QStringLiteral("Ostrivo failed to send sms to 0170 123. Invalid username or API key"));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void testSMSForAClosedDialogOnlyRestoresTheCursor()
    {
        TScriptedPrompts prompts;
        TSMSCamera values;
        auto dialog = std::make_unique<QObject>();
        bool finished = false;
        m_gateway.SetMode({{"delayMs", 300}});
        SendTestSMS(values.camera, dialog.get(), [&] { finished = true; });
        dialog.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 10000);
        QVERIFY(!finished);
        QVERIFY(prompts.log.isEmpty());
        QCOMPARE(SentTexts().size(), 1);
    }
};

QTEST_MAIN(TestSMSAlerts)
#include "tst_smsalerts.moc"
