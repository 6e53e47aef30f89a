// SMS remote control in the real program, headless: one camera on the camera simulator, scheduled all day,
// the gateway stand-in as the SMS account and a local SMTP server for the snapshot email. A status
// command is answered within one tick; OFF stops monitoring and is answered; "shot <title>" mails a new
// snapshot and is not answered by SMS; a message from a number outside the allowed list changes nothing,
// is not answered, and leaves one log line.
#include "../notify/mailpeers.h"
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
    TSmtpServer m_smtp;
    QProcess m_program;
    QByteArray m_log;
    QString m_output;

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
        UseLocalMail(c, smtpPort);
        QVERIFY(SaveProgramConfiguration());

        // Only the owner's number is obeyed (written as a user would, with blanks and a plus).
        QSettings config(home + "/.config/Ostrivo/Ostrivo.conf", QSettings::IniFormat);
        config.setValue("SMSAllowedSenders", "+49 170 1234567");
        config.sync();
    }

private slots:
    void cleanup()
    {
        StopProcess(m_program);
        m_smtp.Stop();
        m_gateway.Stop();
        m_camsim.Stop();
    }

    void commandsByTextMessage()
    {
        QVERIFY(m_camsim.Start({"--fps", "5"}));
        QVERIFY(m_gateway.Start({"--user", User, "--key", Key}));
        const QString home = SandboxHome() + "/sms-e2e";
        QVERIFY(m_smtp.Start());
        WriteConfiguration(home, m_smtp.Port());
        if (QTest::currentTestFailed())
            return;

        QVERIFY(StartHiddenProgram(m_program, SandboxedProgramEnvironment(home)));
        QVERIFY2(WaitForLog("Ostrivo is started and configured", 15000), m_log.constData());
        QVERIFY2(WaitForLog("Monitoring is started on camera " + Title.toUtf8(), 10000), m_log.constData());

        // One run at the first tick: status, OFF, a snapshot by email and a stranger's ON, carried out in
        // the order they came; status still finds monitoring on.
        const qsizetype mailsBefore = m_smtp.Messages().size();
        m_gateway.QueueInbound({QJsonObject{{"text", "status"}, {"sender", Owner}},
                                QJsonObject{{"text", "OFF"}, {"sender", Owner}},
                                QJsonObject{{"text", "shot " + Title}, {"sender", Owner}},
                                QJsonObject{{"text", "ON"}, {"sender", Stranger}}});
        QTRY_VERIFY_WITH_TIMEOUT(Replies(m_gateway).size() >= 2, TickMs + 10000);
        QVERIFY(WaitForLog("SMS Command is received: status", 2000));
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
        const auto snapshotMail = [&] {
            const QStringList messages = m_smtp.Messages();
            for (qsizetype i = mailsBefore; i < messages.size(); ++i)
                if (const QJsonObject mail = MailInfo(messages[i]); mail["subject"].toString() == "Snapshot from Ostrivo")
                    return mail;
            return QJsonObject();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!snapshotMail().isEmpty(), 20000);
        const QJsonObject mail = snapshotMail();
        const QJsonArray parts = mail["parts"].toArray();
        QVERIFY2(parts.size() == 2, QJsonDocument(mail).toJson().constData()); // the new still, then the text
        const QJsonObject still = parts[0].toObject();
        QCOMPARE(still["type"].toString(), QString("image/jpeg"));
        QFile file(m_output + "/" + still["filename"].toString());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(still["filename"].toString()));
        QCOMPARE(still["sha256"].toString(),
                 QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
    }
};

QTEST_MAIN(TestSMSControlEndToEnd)
#include "tst_smscontrol_e2e.moc"
