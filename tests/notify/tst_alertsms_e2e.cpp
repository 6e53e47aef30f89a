// The alert SMS in the real program, headless: a camera on the camera simulator, monitoring all day, SMS
// delivery on with the gateway stand-in as the service. Motion makes the stand-in receive the alert for
// the camera's phone number through the camera's account.
#include "camsimprocess.h"
#include "processoutput.h"
#include "programconfig.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "smsgatewayprocess.h"
#include "testpaths.h"

#include <QtTest>

namespace {

const QString Title = QStringLiteral("Porch");
const QString Phone = QStringLiteral("+447700900555");

} // namespace

class TestAlertSMSEndToEnd : public QObject
{
    Q_OBJECT

    TCamSim m_camsim;
    QProcess m_program;
    TSMSGateway m_gateway;

private slots:
    void cleanup()
    {
        EndProgram(m_program);
    }

    void motionSendsTheAlertSMS()
    {
        QVERIFY2(QFileInfo(BuiltFile(QStringLiteral("ostrivo"))).isExecutable()
                     && QFileInfo(BuiltFile(QStringLiteral("libsmsengine.so"))).exists(),
                 "build the ostrivo and smsengine targets first");
        QVERIFY(m_gateway.Start({"--user", "porch-account", "--key", "porch-key"}));
        QVERIFY(m_camsim.Start({"--fps", "10"}));

        const QString home = SandboxHome() + "/alertsms";
        const QString data = home + "/.local/share/Ostrivo";
        const QString output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(output));
        BeginProgramConfiguration(data, output);
        TCamera &camera = AddSimulatorCamera(Title, m_camsim.Port());
        camera.notification_SendSMS = true;
        camera.notification_SMSUsername = "porch-account";
        camera.notification_SMSAPIKey = "porch-key";
        camera.notification_SMSMobilePhoneNumber = Phone;
        QVERIFY(SaveProgramConfiguration());

        QProcessEnvironment env = SandboxedProgramEnvironment(home);
        env.insert("SMSENGINE_URL", m_gateway.Url());
        QVERIFY(StartHiddenProgram(m_program, env));
        TOutput log{m_program, QProcess::StandardError, {}};
        QVERIFY2(log.WaitFor("Ostrivo is started and configured", 15000), log.text.constData());
        QVERIFY2(log.WaitFor("Monitoring is started on camera " + Title.toUtf8(), 8000), log.text.constData());
        QTest::qWait(1500); // the detector learns the still scene
        QVERIFY(m_gateway.Sent().isEmpty());

        QVERIFY(m_camsim.SetMotion(true));
        QVERIFY2(log.WaitFor("ALARM on camera " + Title.toUtf8() + ": Sending sms to " + Phone.toUtf8(), 8000),
                 log.text.constData());
        QDeadlineTimer arrives(10000);
        while (m_gateway.Sent().isEmpty() && !arrives.hasExpired())
            QTest::qWait(100);
        const QJsonArray sent = m_gateway.Sent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0]["text"].toString(), "A movement has been detected by camera " + Title);
        QCOMPARE(sent[0]["phones"].toString(), Phone);
        QCOMPARE(sent[0]["username"].toString(), QStringLiteral("porch-account"));
        QCOMPARE(sent[0]["key"].toString(), QStringLiteral("porch-key"));

        // Motion goes on: the hold-off time keeps further alerts back, and nothing failed.
        QTest::qWait(2000);
        QCOMPARE(m_gateway.Sent().size(), 1);
        QVERIFY2(!log.Read().contains("Could not send sms"), log.text.constData());
    }
};

QTEST_GUILESS_MAIN(TestAlertSMSEndToEnd)
#include "tst_alertsms_e2e.moc"
