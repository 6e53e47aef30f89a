// The alert email in the real program, headless: a camera on the camera simulator, monitoring all day,
// snapshots on and email with snapshots attached to a local SMTP server. Motion makes the server receive
// "ALERT from Ostrivo" with the snapshots taken since the motion, byte for byte as they lie in the output
// folder.
#include "camsimprocess.h"
#include "mailpeers.h"
#include "processoutput.h"
#include "programconfig.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "testpaths.h"

#include <QJsonArray>

namespace {

const QString Title = QStringLiteral("Porch");

} // namespace

class TestAlertEmailEndToEnd : public QObject
{
    Q_OBJECT

    TCamSim m_camsim;
    TSmtpServer m_smtp;
    QProcess m_program;

private slots:
    void cleanup()
    {
        StopProcess(m_program);
        m_camsim.Stop();
    }

    void motionSendsTheAlertWithItsSnapshots()
    {
        QVERIFY2(QFileInfo(BuiltFile(QStringLiteral("ostrivo"))).isExecutable(), "build the ostrivo target first");
        QVERIFY(m_camsim.Start({"--fps", "10"}));
        QVERIFY(m_smtp.Start());
        const QString home = SandboxHome() + "/alertemail";
        const QString data = home + "/.local/share/Ostrivo";
        const QString output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(output));
        BeginProgramConfiguration(data, output);
        TCamera &camera = AddSimulatorCamera(Title, m_camsim.Port());
        UseLocalMail(camera, m_smtp.Port());
        camera.notification_AttachSnapshotsToEmail = true;
        camera.recording_TakeSnapshots = true;
        camera.recording_SnapshotQuality = 8;
        camera.recording_TakeSnapshotsInterval_sec = 1;
        camera.recording_DurationOfSnapshots_sec = 3;
        QVERIFY(SaveProgramConfiguration());

        QVERIFY(StartHiddenProgram(m_program, SandboxedProgramEnvironment(home)));
        TOutput log{m_program, QProcess::StandardError, {}};
        QVERIFY2(log.WaitFor("Ostrivo is started and configured", 15000), log.text.constData());
        QVERIFY2(log.WaitFor("Monitoring is started on camera " + Title.toUtf8(), 10000), log.text.constData());
        QTest::qWait(1500); // the detector learns the still scene

        QVERIFY(m_camsim.SetMotion(true));
        QVERIFY2(log.WaitFor("ALARM on camera Porch: Sending email to guard@example.org", 10000), log.text.constData());
        // Sent 2.3 s after the motion, with the snapshots of the series taken by then.
        QVERIFY2(m_smtp.WaitForMessages(1, 15000), log.text.constData());
        QVERIFY(m_camsim.SetMotion(false));
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
        QVERIFY(!log.Read().contains("ERROR"));
    }
};

QTEST_MAIN(TestAlertEmailEndToEnd)
#include "tst_alertemail_e2e.moc"
