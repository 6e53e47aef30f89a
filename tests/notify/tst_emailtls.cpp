// Security on the mail ports themselves: STARTTLS on 587 (required, never skipped), TLS from the first byte
// on 465, no TLS at all for security None; both security choices negotiate a current TLS version. The
// servers need ports 587 and 465 exactly: a lock file keeps test runs of other checkouts off them meanwhile.
#include "core/main.h"
#include "notify/email.h"
#include "notify/mailservice.h"

#include "freshservices.h"
#include "mailpeers.h"
#include "recordingwindowsink.h"

#include <QLockFile>

class TestEmailTls : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    QLockFile m_ports{QDir::tempPath() + "/ostrivo-tests-smtp-ports.lock"};

    // Sends one alert at the given security to the server and tells what the server saw.
    static QString Deliver(TSmtpServer &server, quint16 port, int security, QStringList &log)
    {
        TRecordingWindowSink sink;
        TMailService service;
        TCamera door = MailCamera("Door", port);
        door.notification_SMTPSecurity = security;
        const int before = server.Messages().size();
        SendEmail(door, etAlert);
        QDeadlineTimer deadline(20000);
        while (service.SMTPTag != 0 && !deadline.hasExpired())
            QTest::qWait(20);
        log << LogTexts(sink);
        if (server.Messages().size() == before)
            return QStringLiteral("nothing");
        QDeadlineTimer printed(2000);
        while (server.SavedLines().isEmpty() && !printed.hasExpired())
            QTest::qWait(20);
        return server.SavedLines().value(server.SavedLines().size() - 1).section(QStringLiteral(" tls="), 1).trimmed();
    }

private slots:
    void initTestCase()
    {
        m_ports.setStaleLockTime(0);
        QVERIFY2(m_ports.tryLock(300000), "ports 587 and 465 stayed taken by another test run");
    }
    void cleanupTestCase() { m_ports.unlock(); }
    void init() { m_services.Renew(); }
    void cleanup() { m_services.End(); }

    void startTlsOnTheSubmissionPort()
    {
        TSmtpServer server;
        QVERIFY(server.Start("starttls", {}, 587));
        QStringList log;
        const QString ssl = Deliver(server, 587, 1, log);
        const QString tls = Deliver(server, 587, 2, log);
        QVERIFY2(ssl == "TLSv1.3" || ssl == "TLSv1.2", qPrintable(ssl));
        QVERIFY2(tls == "TLSv1.3" || tls == "TLSv1.2", qPrintable(tls));
        // None on the same port never starts TLS: this server then refuses the mail.
        QCOMPARE(Deliver(server, 587, 0, log), QString("nothing"));
        QCOMPARE(log, QStringList{"ERROR: Could not send email to guard@example.org"});

        // A server that stops at TLS 1.2 is still reached.
        QVERIFY(server.Start("starttls", {}, 587, "1.2"));
        log.clear();
        QCOMPARE(Deliver(server, 587, 2, log), QString("TLSv1.2"));
        QCOMPARE(Deliver(server, 587, 1, log), QString("TLSv1.2"));
        QCOMPARE(log, QStringList());
    }

    void startTlsIsRequired()
    {
        // A server without STARTTLS on 587: security None delivers in plain text, SSL and TLS refuse to.
        TSmtpServer server;
        QVERIFY(server.Start("plain", {}, 587));
        QStringList log;
        QCOMPARE(Deliver(server, 587, 0, log), QString("none"));
        QCOMPARE(Deliver(server, 587, 1, log), QString("nothing"));
        QCOMPARE(Deliver(server, 587, 2, log), QString("nothing"));
        QCOMPARE(log, QStringList(2, "ERROR: Could not send email to guard@example.org"));
    }

    void implicitTlsElsewhere()
    {
        TSmtpServer server;
        QVERIFY(server.Start("smtps", {}, 465));
        QStringList log;
        const QString ssl = Deliver(server, 465, 1, log);
        QVERIFY2(ssl == "TLSv1.3" || ssl == "TLSv1.2", qPrintable(ssl));
        QVERIFY(Deliver(server, 465, 2, log).startsWith("TLSv1."));
        QCOMPARE(log, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEmailTls)
#include "tst_emailtls.moc"
