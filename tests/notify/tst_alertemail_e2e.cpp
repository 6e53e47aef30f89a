// The alert email in the real program, headless: a camera on the camera simulator, monitoring all day,
// snapshots on and email with snapshots attached to a local SMTP server. Motion makes the server receive
// "ALERT from Ostrivo" with the snapshots taken since the motion, byte for byte as they lie in the output
// folder.
#include "camsimprocess.h"
#include "core/camera.h"
#include "core/main.h"
#include "core/settingsfile.h"
#include "mailpeers.h"
#include "onecellhost.h"
#include "programprocess.h"
#include "sandboxhome.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

const QString Title = QStringLiteral("Porch");

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

class TestAlertEmailEndToEnd : public QObject
{
    Q_OBJECT

    TCamSim m_camsim;
    TSmtpServer m_smtp;
    QProcess m_program;
    QNetworkAccessManager m_network;

    bool SetMotion(bool on)
    {
        QNetworkReply *reply = m_network.get(QNetworkRequest(
            QUrl(QString("http://127.0.0.1:%1/control?motion=%2").arg(m_camsim.Port()).arg(on ? "on" : "off"))));
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

        auto camera = std::make_unique<TCamera>(MailCamera(Title, m_smtp.Port()));
        TCamera &c = *camera;
        c.ActualName = "Generic*MJPEG";
        c.ipcam_IP = "127.0.0.1";
        c.ipcam_Port = QString::number(m_camsim.Port());
        c.ipcam_URL = "video.mjpg";
        c.detector_Sensitivity = 5;
        c.scheduler_daily = true;
        for (int day = 1; day <= 7; ++day) {
            c.SchedulerStart(day) = dt::EncodeTime(0, 0, 0);
            c.SchedulerEnd(day) = dt::EncodeTime(23, 59, 59);
        }
        c.recording_TakeSnapshots = true;
        c.recording_SnapshotQuality = 8;
        c.recording_TakeSnapshotsInterval_sec = 1;
        c.recording_DurationOfSnapshots_sec = 3;
        c.notification_AttachSnapshotsToEmail = true;
        app.Cameras.push_back(std::move(camera));
        QVERIFY(SaveCameras(TOneCellHost()));
        ResetApplicationState();
    }

private slots:
    void cleanup()
    {
        StopProcess(m_program);
        m_camsim.Stop();
    }

    void motionSendsTheAlertWithItsSnapshots()
    {
        QVERIFY2(QFileInfo(OSTRIVO_BIN_DIR "/ostrivo").isExecutable(), "build the ostrivo target first");
        QVERIFY(m_camsim.Start({"--fps", "10"}));
        QVERIFY(m_smtp.Start());
        const QString home = SandboxHome() + "/alertemail";
        const QString data = home + "/.local/share/Ostrivo";
        const QString output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(output));
        WriteConfiguration(data, output);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(StartHiddenProgram(m_program, SandboxedProgramEnvironment(home)));
        QByteArray log;
        QVERIFY2(WaitForOutput(m_program, log, "Ostrivo is started and configured", 15000), log.constData());
        QVERIFY2(WaitForOutput(m_program, log, "Monitoring is started on camera " + Title.toUtf8(), 10000), log.constData());
        QTest::qWait(1500); // the detector learns the still scene

        QVERIFY(SetMotion(true));
        QVERIFY2(WaitForOutput(m_program, log, "ALARM on camera Porch: Sending email to guard@example.org", 10000),
                 log.constData());
        // Sent 2.3 s after the motion, with the snapshots of the series taken by then.
        QVERIFY2(m_smtp.WaitForMessages(1, 15000), log.constData());
        QVERIFY(SetMotion(false));
        const QJsonObject mail = MailInfo(m_smtp.Messages().first());
        QCOMPARE(mail["subject"].toString(), QString("ALERT from Ostrivo"));
        const QJsonArray parts = mail["parts"].toArray();
        QVERIFY2(parts.size() >= 2, QJsonDocument(mail).toJson().constData());
        for (int i = 0; i < parts.size() - 1; ++i) {
            const QJsonObject part = parts[i].toObject();
            QCOMPARE(part["type"].toString(), QString("image/jpeg"));
            const QString name = part["filename"].toString();
            QVERIFY2(QRegularExpression("^Porch_\\d{6,}\\.jpg$").match(name).hasMatch(), qPrintable(name));
            QFile file(output + "/" + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(part["sha256"].toString(),
                     QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
        }
        qInfo("%lld snapshots attached", qlonglong(parts.size() - 1));
        QVERIFY(parts.last()["text"].toString().endsWith(" - A movement has been detected by camera Porch"));
        QVERIFY(!log.contains("ERROR"));
    }
};

QTEST_MAIN(TestAlertEmailEndToEnd)
#include "tst_alertemail_e2e.moc"
