// Alert, snapshot and test emails delivered to a real SMTP server (aiosmtpd) on loopback, directly and
// through real SOCKS 5 (microsocks, with a login) and SOCKS 4 (dante) proxies, read back with Python's
// own email parser.
#include "core/main.h"
#include "core/prompts.h"
#include "core/translation.h"
#include "notify/email.h"
#include "notify/mailservice.h"
#include "runtime/housekeeping.h"
#include "testpaths.h"

#include "freshservices.h"
#include "mailpeers.h"
#include "recordingwindowsink.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QJsonArray>
#include <QPushButton>
#include <QRandomGenerator>

namespace {

QByteArray RandomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(QRandomGenerator::global()->bounded(256));
    return bytes + "\r\n.\r\n.." + QByteArray(3, '\0'); // a line with a lone dot and NULs inside
}

QString Sha256(const QByteArray &bytes) { return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()); }

} // namespace

class TestEmailSmtp : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    TSmtpServer m_plain;
    QTemporaryDir m_snapshots;

    // Sends through the shared client and waits for its answer.
    static void Send(TMailService &service, TCamera &camera, TEmailType kind)
    {
        SendEmail(camera, kind);
        QCOMPARE(service.SMTPTag, 1);
        QTRY_COMPARE_WITH_TIMEOUT(service.SMTPTag, 0, 20000);
    }

private slots:
    void initTestCase() { QVERIFY(m_plain.Start()); }
    void init()
    {
        m_services.Renew();
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = m_snapshots.path();
    }
    void cleanup() { m_services.End(); }

    void alertWithSnapshotsToSeveralRecipients()
    {
        TRecordingWindowSink sink;
        TMailService service;
        TCamera door = MailCamera("Door", m_plain.Port(), "first@example.org, \"Guard, Night\" <second@example.org>");
        door.notification_AttachSnapshotsToEmail = door.recording_TakeSnapshots = true;
        QMap<QString, QByteArray> files;
        for (int i = 1; i <= 4; ++i) {
            const QString path = m_snapshots.filePath(QString("Door_%1.jpg").arg(i, 6, 10, QChar('0')));
            files[path] = RandomBytes(20000 + i * 1000);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(files[path]);
        }
        QStringList listed;
        UpdateListOfAvailableSnaphots(door, listed);
        door.Email_InitialListOfSnapshots = {listed[1]};
        const int before = m_plain.Messages().size();

        Send(service, door, etAlert);
        QVERIFY(m_plain.WaitForMessages(before + 1));
        QCOMPARE(LogTexts(sink), QStringList()); // an alert that went out says nothing more
        QVERIFY(m_plain.SavedLines().last().contains("rcpt=first@example.org,second@example.org"));

        const QJsonObject mail = MailInfo(m_plain.Messages().last());
        QCOMPARE(mail["subject"].toString(), QString("ALERT from Ostrivo"));
        QCOMPARE(mail["from"].toString(), QString("Ostrivo <camera@ostrivo.test>"));
        QCOMPARE(mail["to"].toArray().toVariantList(), (QVariantList{"first@example.org", "second@example.org"}));
        QVERIFY(mail["date_parsed"].toBool());
        QVERIFY(mail["message_id"].toString().startsWith('<'));
        QCOMPARE(mail["content_type"].toString(), QString("multipart/mixed"));
        // The new snapshots from the last listed to the first, byte for byte, then the text.
        const QJsonArray parts = mail["parts"].toArray();
        QCOMPARE(parts.size(), 4);
        const QStringList order{listed[3], listed[2], listed[0]};
        for (int i = 0; i < 3; ++i) {
            const QJsonObject part = parts[i].toObject();
            QCOMPARE(part["filename"].toString(), QFileInfo(order[i]).fileName());
            QCOMPARE(part["type"].toString(), QString("image/jpeg"));
            QCOMPARE(part["sha256"].toString(), Sha256(files[order[i]]));
        }
        const QJsonObject text = parts[3].toObject();
        QCOMPARE(text["type"].toString(), QString("text/html"));
        QCOMPARE(text["charset"].toString(), QString("utf-8"));
        QCOMPARE(text["encoding"].toString(), QString("base64"));
        QVERIFY(text["text"].toString().endsWith(" - A movement has been detected by camera Door"));
    }

    void translatedSubjectsAndSnapshotAnswers_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("sentLine");
        QTest::addColumn<QString>("failedLine");
        QTest::newRow("German") << 4 << "Schnappschuss von Ostrivo" << "E-Mail mit Schnappschuss wurde gesendet an guard@example.org"
                                << "Ostrivo konnte mit folgender Kamera keinen Schnappschuss machen: Yard";
        QTest::newRow("Russian") << 1 << QString::fromUtf8("Снимок от Ostrivo")
                                 << QString::fromUtf8("Письмо со снимком отправлено на guard@example.org")
                                 << QString::fromUtf8("Программе Ostrivo не удалось сделать снимок камерой Yard");
    }
    void translatedSubjectsAndSnapshotAnswers()
    {
        QFETCH(int, language);
        QFETCH(QString, subject);
        LoadTranslationTable(SourceTreeFile(QStringLiteral("data/transl.dt")));
        App().GlobalSettings.Language = language;
        TRecordingWindowSink sink;
        TMailService service;
        TCamera yard = MailCamera("Yard", m_plain.Port());
        QStringList listed;
        UpdateListOfAvailableSnaphots(yard, listed);
        yard.Email_InitialListOfSnapshots = listed;
        const int before = m_plain.Messages().size();

        // No snapshot since the command: the text alone.
        Send(service, yard, etSnapshot);
        QFile snapshot(m_snapshots.filePath("Yard_000007.jpg"));
        QVERIFY(snapshot.open(QIODevice::WriteOnly));
        snapshot.write(RandomBytes(5000));
        snapshot.close();
        Send(service, yard, etSnapshot);
        // And the alert, whose subject is translated too.
        Send(service, yard, etAlert);
        QVERIFY(m_plain.WaitForMessages(before + 3));

        QFETCH(QString, failedLine);
        QFETCH(QString, sentLine);
        QCOMPARE(LogTexts(sink), (QStringList{failedLine, sentLine}));
        const QStringList messages = m_plain.Messages().mid(before);
        const QJsonObject without = MailInfo(messages[0]);
        QCOMPARE(without["subject"].toString(), subject);
        QCOMPARE(without["parts"].toArray().size(), 1);
        QVERIFY(without["parts"][0]["text"].toString().endsWith(failedLine));
        const QJsonObject with = MailInfo(messages[1]);
        QCOMPARE(with["subject"].toString(), subject);
        QCOMPARE(with["parts"].toArray().size(), 2);
        QCOMPARE(with["parts"][0]["filename"].toString(), QString("Yard_000007.jpg"));
        QCOMPARE(MailInfo(messages[2])["subject"].toString(), Translate("ALERT from ") + "Ostrivo");
        snapshot.remove();
    }

    void authentication()
    {
        TSmtpServer server;
        QVERIFY(server.Start("plain", "watch:s3cret"));
        TRecordingWindowSink sink;
        TMailService service;
        TCamera door = MailCamera("Door", server.Port());
        door.notification_SMTPAuthentication = true;
        door.notification_SMTPUsername = "watch";
        door.notification_SMTPPassword = "s3cret";
        Send(service, door, etAlert);
        QVERIFY(server.WaitForMessages(1));
        QVERIFY(server.SavedLines().last().contains("auth=True"));

        door.notification_SMTPPassword = "wrong";
        Send(service, door, etAlert);
        QCOMPARE(LogTexts(sink), QStringList{"ERROR: Could not send email to guard@example.org"});
        QVERIFY(server.Output().contains("ok=False"));
        door.notification_SMTPAuthentication = false; // the server insists on a login
        Send(service, door, etAlert);
        QCOMPARE(LogTexts(sink).size(), 2);
        QCOMPARE(server.Messages().size(), 1);
    }

    // The plain and the TLS connection both go through the proxy; a refused proxy login or a stopped proxy
    // means no email.
    void throughSocksProxies()
    {
        TSmtpServer tls;
        QVERIFY(tls.Start("smtps"));
        TSocksProxy socks5, socks4;
        QVERIFY(socks5.StartSocks5("proxyuser", "proxypass"));
        QVERIFY(socks4.StartSocks4());
        TRecordingWindowSink sink;
        TMailService service;
        const int plainBefore = m_plain.Messages().size();

        TCamera door = MailCamera("Door", m_plain.Port());
        door.notification_PROXYType = 2;
        door.notification_PROXYHost = "127.0.0.1";
        door.notification_PROXYPort = socks5.Port();
        door.notification_PROXYAuthentication = true;
        door.notification_PROXYUsername = "proxyuser";
        door.notification_PROXYPassword = "proxypass";
        Send(service, door, etAlert);
        door.notification_SMTPPort = tls.Port();
        door.notification_SMTPSecurity = 2;
        Send(service, door, etAlert);
        QCOMPARE(LogTexts(sink), QStringList());

        door.notification_PROXYType = 1;
        door.notification_PROXYPort = socks4.Port();
        door.notification_PROXYAuthentication = false;
        Send(service, door, etAlert);
        door.notification_SMTPPort = m_plain.Port();
        door.notification_SMTPSecurity = 0;
        Send(service, door, etAlert);
        QCOMPARE(LogTexts(sink), QStringList());
        QVERIFY(m_plain.WaitForMessages(plainBefore + 2) && tls.WaitForMessages(2));
        QVERIFY(tls.SavedLines().first().contains("tls=TLSv1."));

        door.notification_PROXYType = 2;
        door.notification_PROXYPort = socks5.Port();
        door.notification_PROXYAuthentication = true;
        door.notification_PROXYPassword = "wrong";
        Send(service, door, etAlert);
        door.notification_PROXYType = 1;
        door.notification_PROXYPort = FreePort();
        Send(service, door, etAlert);
        QCOMPARE(LogTexts(sink), QStringList(2, "ERROR: Could not send email to guard@example.org"));
        QCOMPARE(m_plain.Messages().size(), plainBefore + 2);
    }

    // The dialog's test email: wait cursor and disabled button until the answer, a plain text message, the
    // answer boxes, and the Google hint once per run after a failure with such a host.
    void testEmail()
    {
        TScriptedPrompts prompts;
        TMailService service;
        TCamera values = MailCamera("", m_plain.Port(), "tester@example.org");
        const int before = m_plain.Messages().size();
        QPushButton button;
        int finished = 0;
        SendTestEmail(values, &button, [&] { ++finished; });
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(!button.isEnabled());
        QVERIFY(prompts.log.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 15000);
        QVERIFY(button.isEnabled() && !QApplication::overrideCursor());
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].text, QString("Email has been sent successfully!"));
        QCOMPARE(service.SMTPTag, 0); // the dialog's own client
        QVERIFY(m_plain.WaitForMessages(before + 1));
        const QJsonObject mail = MailInfo(m_plain.Messages().last());
        QCOMPARE(mail["subject"].toString(), QString("Test Alert from Ostrivo"));
        QCOMPARE(mail["from_name"].toString(), QString("Ostrivo"));
        QCOMPARE(mail["content_type"].toString(), QString("text/plain"));
        QCOMPARE(mail["parts"][0]["charset"].toString(), QString("utf-8"));
        QCOMPARE(mail["parts"][0]["text"].toString().trimmed(), QString("This is a test message sent from Ostrivo."));

        // Failures: a port no URL can hold fails before any name is looked up, so nothing leaves the host.
        const auto fail = [&](const QString &host) {
            prompts.log.clear();
            values.notification_SMTPHost = host;
            values.notification_SMTPPort = 70000;
            SendTestEmail(values, &button, [&] { ++finished; });
            QDeadlineTimer deadline(15000);
            while ((QApplication::overrideCursor() || prompts.log.isEmpty()) && !deadline.hasExpired())
                QTest::qWait(20);
            return prompts.log;
        };
        const QString failure = "Ostrivo failed to send email to tester@example.org\nVerify the SMTP settings.";
        for (const char *host : {"mail.example.org", "gmail.com"}) {
            const QList<TScriptedPrompts::Entry> log = fail(host);
            QCOMPARE(log.size(), 1);
            QCOMPARE(log[0].kind, TPromptKind::Error);
            QCOMPARE(log[0].text, failure);
        }
        QList<TScriptedPrompts::Entry> log = fail("Smtp.GMail.com");
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0].text, failure);
        QCOMPARE(log[1].kind, TPromptKind::Warning);
        QVERIFY(log[1].text.startsWith("It looks like Google is your email provider."));
        QVERIFY(log[1].text.contains(".\n\nYou have to login to your account"));
        QCOMPARE(log[2].call, QString("OpenUrl"));
        QCOMPARE(log[2].text, QString(GmailAppPasswordsPage));
        QCOMPARE(fail("smtp.gmail.com").size(), 1); // once per run
        QVERIFY(!QApplication::overrideCursor() && button.isEnabled());
        QCOMPARE(finished, 5);

        // The dialog went away before the answer: no call back, yet the cursor comes back.
        auto *gone = new QObject;
        values.notification_SMTPHost = "127.0.0.1";
        values.notification_SMTPPort = m_plain.Port();
        prompts.log.clear();
        SendTestEmail(values, gone, [&] { ++finished; });
        delete gone;
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 15000);
        QCOMPARE(finished, 5);
    }
};

QTEST_MAIN(TestEmailSmtp)
#include "tst_emailsmtp.moc"
