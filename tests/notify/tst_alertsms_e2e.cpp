// The alert SMS in the real program, headless: a camera on the camera simulator, monitoring all day, SMS
// delivery on with the gateway stand-in as the service. Motion makes the stand-in receive the alert for
// the camera's phone number through the account.
#include "core/camera.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/settingsfile.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "smsgatewayprocess.h"

#include <QtTest>

namespace {

const QString Title = QStringLiteral("Porch");
const QString Phone = QStringLiteral("+447700900555");

struct TOneCellHost : TCameraListHost
{
    int GridColumns() const override { return 1; }
    int GridRows() const override { return 1; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &col, int &row) const override { return col = 0, row = 0, true; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &, int &col, int &row) const override { return col = 0, row = 0, true; }
};

bool WaitForOutput(QProcess &process, QByteArray &text, const QByteArray &wanted, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!text.contains(wanted) && !deadline.hasExpired() && process.state() == QProcess::Running) {
        QTest::qWait(50);
        text += process.readAllStandardError();
    }
    return text.contains(wanted);
}

} // namespace

class TestAlertSMSEndToEnd : public QObject
{
    Q_OBJECT

    QProcess m_camsim, m_program;
    TSMSGateway m_gateway;
    QNetworkAccessManager m_network;
    quint16 m_camPort = 0;

    bool SetMotion(bool on)
    {
        QNetworkReply *reply = m_network.get(QNetworkRequest(
            QUrl(QString("http://127.0.0.1:%1/control?motion=%2").arg(m_camPort).arg(on ? "on" : "off"))));
        QSignalSpy finished(reply, &QNetworkReply::finished);
        const bool ok = finished.wait(3000) && reply->error() == QNetworkReply::NoError;
        reply->deleteLater();
        return ok;
    }

    void WriteConfiguration(const QString &dataFolder, const QString &output)
    {
        ResetApplicationState();
        TApplicationState &app = App();
        app.DataFolder = dataFolder;
        app.DefaultOutputFolder = output;
        SetDefaultSettings();
        app.GlobalSettings.OutputFolderForVideosAndSnapshots = output;
        QVERIFY(SaveSettings());

        auto camera = std::make_unique<TCamera>();
        TCamera &c = *camera;
        c.CustomTitle = Title;
        c.ActualName = "Generic*MJPEG";
        c.ipcam_IP = "127.0.0.1";
        c.ipcam_Port = QString::number(m_camPort);
        c.ipcam_URL = "video.mjpg";
        c.detector_Sensitivity = 5;
        c.scheduler_daily = true;
        for (int day = 1; day <= 7; ++day) {
            c.SchedulerStart(day) = dt::EncodeTime(0, 0, 0);
            c.SchedulerEnd(day) = dt::EncodeTime(23, 59, 59);
        }
        c.notification_SendSMS = true;
        c.notification_SMSUsername = "porch-account";
        c.notification_SMSAPIKey = "porch-key";
        c.notification_SMSMobilePhoneNumber = Phone;
        app.Cameras.push_back(std::move(camera));
        QVERIFY(SaveCameras(TOneCellHost()));
        ResetApplicationState();
    }

private slots:
    void cleanup()
    {
        for (QProcess *process : {&m_program, &m_camsim}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(3000))
                    process->kill(), process->waitForFinished(1000);
            }
        }
    }

    void motionSendsTheAlertSMS()
    {
        const QString bin = QStringLiteral(OSTRIVO_BIN_DIR);
        QVERIFY2(QFileInfo(bin + "/ostrivo").isExecutable() && QFileInfo(bin + "/libsmsengine.so").exists(),
                 "build the ostrivo and smsengine targets first");
        QVERIFY(m_gateway.Start({"--user", "porch-account", "--key", "porch-key"}));

        m_camsim.start(bin + "/ostrivo-camsim", {"--port", "0", "--fps", "10"});
        QVERIFY(m_camsim.waitForStarted(5000));
        QByteArray camsimOut;
        QDeadlineTimer listening(5000);
        while (!camsimOut.contains("/video.mjpg") && !listening.hasExpired()) {
            m_camsim.waitForReadyRead(100);
            camsimOut += m_camsim.readAllStandardOutput();
        }
        const QRegularExpressionMatch port = QRegularExpression(":(\\d+)/video.mjpg").match(QString::fromUtf8(camsimOut));
        QVERIFY(port.hasMatch());
        m_camPort = quint16(port.captured(1).toUInt());

        const QString home = SandboxHome() + "/alertsms";
        const QString data = home + "/.local/share/Ostrivo";
        const QString output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(output));
        WriteConfiguration(data, output);
        if (QTest::currentTestFailed())
            return;

        QProcessEnvironment env = SandboxedProgramEnvironment(home);
        env.insert("SMSENGINE_URL", m_gateway.Url());
        QVERIFY(StartHiddenProgram(m_program, env));
        QByteArray log;
        QVERIFY2(WaitForOutput(m_program, log, "Ostrivo is started and configured", 15000), log.constData());
        QVERIFY2(WaitForOutput(m_program, log, "Monitoring is started on camera " + Title.toUtf8(), 8000), log.constData());
        QTest::qWait(1500); // the detector learns the still scene
        QVERIFY(m_gateway.Sent().isEmpty());

        QVERIFY(SetMotion(true));
        QVERIFY2(WaitForOutput(m_program, log, "ALARM on camera " + Title.toUtf8() + ": Sending sms to " + Phone.toUtf8(), 8000),
                 log.constData());
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
        log += m_program.readAllStandardError();
        QVERIFY2(!log.contains("Could not send sms"), log.constData());
    }
};

QTEST_GUILESS_MAIN(TestAlertSMSEndToEnd)
#include "tst_alertsms_e2e.moc"
