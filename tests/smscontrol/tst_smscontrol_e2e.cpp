// SMS remote control in the real program, headless: one camera on the camera simulator, scheduled all day,
// the gateway stand-in as the SMS account and a local SMTP server for the snapshot email. A status
// command is answered within one tick; OFF stops monitoring and is answered; "shot <title>" mails a new
// snapshot and is not answered by SMS; a message from a number outside the allowed list changes nothing,
// is not answered, and leaves one log line.
#include "camsimprocess.h"
#include "programconfig.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "smsgatewayprocess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString Title = QStringLiteral("Porch");
const QString Owner = QStringLiteral("491701234567");      // as the gateway gives the sender
const QString Stranger = QStringLiteral("15550100");
const QString User = QStringLiteral("owner"), Key = QStringLiteral("k3y");
// The SMS tick is 30 s; the first one comes 30 s after start-up.
constexpr int TickMs = 30000;
const QString SmtpServer = QStringLiteral(OSTRIVO_SOURCE_DIR "/tests/notify/smtpd.py");

quint16 FreePort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

QStringList Replies(TSMSGateway &gateway)
{
    QStringList replies;
    for (const QJsonValue &sent : gateway.Sent())
        replies << sent["phones"].toString() + " " + sent["text"].toString();
    return replies;
}

} // namespace

class TestSMSControlEndToEnd : public QObject
{
    Q_OBJECT

    TCamSim m_camsim;
    TSMSGateway m_gateway;
    QProcess m_smtpd, m_program;
    QByteArray m_log;
    QString m_mailFolder, m_output;

    bool WaitForLog(const QByteArray &wanted, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_log.contains(wanted) && !deadline.hasExpired() && m_program.state() == QProcess::Running) {
            QTest::qWait(100);
            m_log += m_program.readAllStandardError();
        }
        return m_log.contains(wanted);
    }

    void WriteConfiguration(const QString &home, quint16 smtpPort)
    {
        const QString data = home + "/.local/share/Ostrivo";
        m_output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(m_output));
        BeginProgramConfiguration(data, m_output);
        TGlobalSettings &s = App().GlobalSettings;
        s.AutoDeleteOldRecordings = false;
        s.SMS_ControlEnabled = true;
        s.SMS_Username = User;
        s.SMS_APIKey = Key;
        TCamera &c = AddSimulatorCamera(Title, m_camsim.Port());
        c.recording_SnapshotQuality = 8;
        c.notification_SendToEmail = true;
        c.notification_AttachSnapshotsToEmail = true;
        c.notification_SMTPFrom = "ostrivo@example.test";
        c.notification_SMTPRecipient = "owner@example.test";
        c.notification_SMTPHost = "127.0.0.1";
        c.notification_SMTPPort = smtpPort;
        QVERIFY(SaveProgramConfiguration());

        // Only the owner's number is obeyed (written as a user would, with blanks and a plus).
        QSettings config(home + "/.config/Ostrivo/Ostrivo.conf", QSettings::IniFormat);
        config.setValue("SMSAllowedSenders", "+49 170 1234567");
        config.sync();
    }

    // The .eml files the SMTP server saved.
    QStringList Mails() const { return QDir(m_mailFolder).entryList({"*.eml"}, QDir::Files, QDir::Name); }

private slots:
    void cleanup()
    {
        for (QProcess *process : {&m_program, &m_smtpd})
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(3000))
                    process->kill(), process->waitForFinished(1000);
            }
        m_gateway.Stop();
        m_camsim.Stop();
    }

    void commandsByTextMessage()
    {
        QVERIFY(m_camsim.Start({"--fps", "5"}));
        QVERIFY(m_gateway.Start({"--user", User, "--key", Key}));
        const QString home = SandboxHome() + "/sms-e2e";
        m_mailFolder = home + "/mail";
        const quint16 smtpPort = FreePort();
        const bool mailServer = QFile::exists(SmtpServer);
        if (mailServer) {
            m_smtpd.start("/usr/bin/python3", {SmtpServer, "--port", QString::number(smtpPort), "--outdir", m_mailFolder});
            QVERIFY(m_smtpd.waitForStarted(5000) && m_smtpd.waitForReadyRead(10000));
        }
        WriteConfiguration(home, smtpPort);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(StartHiddenProgram(m_program, SandboxedProgramEnvironment(home)));
        QVERIFY2(WaitForLog("Ostrivo is started and configured", 15000), m_log.constData());
        QVERIFY2(WaitForLog("Monitoring is started on camera " + Title.toUtf8(), 10000), m_log.constData());

        // Status, answered at the first tick.
        m_gateway.QueueInbound({QJsonObject{{"text", "status"}, {"sender", Owner}}});
        QElapsedTimer waited;
        waited.start();
        QTRY_VERIFY_WITH_TIMEOUT(!Replies(m_gateway).isEmpty(), TickMs + 10000);
        QCOMPARE(Replies(m_gateway),
                 QStringList{Owner + " Status of cameras:" + Title + ":working OK, monitoring OK; "});
        QVERIFY(WaitForLog("SMS Command is received: status", 2000));

        // OFF, a snapshot by email and a stranger's ON in the next run.
        const int mailsBefore = int(Mails().size());
        m_gateway.QueueInbound({QJsonObject{{"text", "OFF"}, {"sender", Owner}},
                                QJsonObject{{"text", "shot " + Title}, {"sender", Owner}},
                                QJsonObject{{"text", "ON"}, {"sender", Stranger}}});
        QTRY_VERIFY_WITH_TIMEOUT(Replies(m_gateway).size() >= 2, TickMs + 10000);
        QVERIFY2(WaitForLog("is ignored: " + Stranger.toUtf8(), 5000), m_log.constData());
        QTest::qWait(2000); // anything a wrongly obeyed stranger could cause has happened by now
        m_log += m_program.readAllStandardError();
        QCOMPARE(Replies(m_gateway), (QStringList{Owner + " Status of cameras:" + Title + ":working OK, monitoring OK; ",
                                                  Owner + " Monitoring is stopped on all cameras"}));
        const QByteArray afterOff = m_log.mid(m_log.indexOf("SMS Command is received: OFF"));
        QVERIFY(afterOff.contains("Monitoring is stopped on camera " + Title.toUtf8()));
        QVERIFY2(!afterOff.contains("Monitoring is started on camera"), "the stranger's ON was obeyed");
        QCOMPARE(afterOff.count("SMS Command from a number that is not allowed is ignored"), 1);
        QVERIFY(!afterOff.contains("SMS Command is received: ON"));

        // The new still, and the email that carries it.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_output).entryList({Title + "_*.jpg"}, QDir::Files).isEmpty(), 5000);
        if (!mailServer)
            QSKIP("no SMTP test server in the tree: the snapshot email is not checked");
        QTRY_VERIFY_WITH_TIMEOUT(Mails().size() > mailsBefore, 20000);
        QFile mail(m_mailFolder + "/" + Mails().last());
        QVERIFY(mail.open(QIODevice::ReadOnly));
        const QByteArray message = mail.readAll();
        QVERIFY2(message.contains("image/jpeg") || message.contains(".jpg"), message.left(2000).constData());
        QVERIFY(message.contains(Title.toUtf8() + "_"));
    }
};

QTEST_MAIN(TestSMSControlEndToEnd)
#include "tst_smscontrol_e2e.moc"
