#pragma once
// Real local peers of the email tests: the aiosmtpd server (smtpd.py beside this file), microsocks (SOCKS 5
// with a login) and dante (SOCKS 4), free loopback ports, Python's own reading of a received message, and
// the message log as the tests see it.
#include "core/camera.h"
#include "core/windowsink.h"
#include "processoutput.h"
#include "recordingwindowsink.h"
#include "testpaths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

inline const QString Python = QStringLiteral("/usr/bin/python3");
inline QString NotifyTestFile(const QString &name) { return SourceTreeFile(QStringLiteral("tests/notify/") + name); }

// A loopback port nobody listens on right now.
inline quint16 FreePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// Waits, with the event loop running (so the transfers' answers arrive), until the port accepts.
inline bool WaitUntilListening(quint16 port, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

inline void StopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

class TSmtpServer
{
public:
    ~TSmtpServer() { Stop(); }

    // mode: plain | starttls | smtps; auth "user:password": AUTH required; port 0: a free one;
    // tlsMax "1.2": the server speaks no TLS above 1.2.
    bool Start(const QString &mode = QStringLiteral("plain"), const QString &auth = {}, quint16 port = 0,
               const QString &tlsMax = {})
    {
        Stop();
        m_output.clear();
        m_port = port ? port : FreePort();
        QStringList arguments{NotifyTestFile("smtpd.py"), "--port", QString::number(m_port), "--mode", mode,
                              "--outdir", m_folder.path()};
        if (mode != "plain")
            arguments << "--cert" << TestDataFile("selfsigned-localhost.pem") << "--key" << TestDataFile("selfsigned-localhost.key");
        if (!auth.isEmpty())
            arguments << "--auth" << auth;
        if (!tlsMax.isEmpty())
            arguments << "--tls-max" << tlsMax;
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTest(m_process);
        m_process.start(Python, arguments);
        QDeadlineTimer deadline(10000);
        while (!Output().contains("listening") && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(100);
        return Output().contains("listening");
    }
    void Stop() { StopProcess(m_process); }

    quint16 Port() const { return m_port; }
    // Everything the server printed so far: one line per accepted message and per AUTH attempt.
    const QString &Output()
    {
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_output;
    }
    QStringList Messages() const
    {
        QStringList files = QDir(m_folder.path()).entryList({"*.eml"}, QDir::Files);
        std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
            return a.section('.', 0, 0).toInt() < b.section('.', 0, 0).toInt();
        });
        for (QString &file : files)
            file = m_folder.filePath(file);
        return files;
    }
    // Runs the event loop until count messages arrived.
    bool WaitForMessages(int count, int timeoutMs = 15000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (Messages().size() < count && !deadline.hasExpired())
            QTest::qWait(50);
        return Messages().size() >= count;
    }
    QStringList SavedLines() { return Output().split('\n').filter(QStringLiteral("saved ")); }

private:
    QProcess m_process;
    QTemporaryDir m_folder;
    QString m_output;
    quint16 m_port = 0;
};

// microsocks (SOCKS 5 with user name and password) or dante (SOCKS 4) on a free loopback port.
class TSocksProxy
{
public:
    ~TSocksProxy() { StopProcess(m_process); }

    bool StartSocks5(const QString &user, const QString &password)
    {
        m_port = FreePort();
        EndWithTest(m_process);
        m_process.start("microsocks", {"-i", "127.0.0.1", "-p", QString::number(m_port), "-u", user, "-P", password});
        return m_process.waitForStarted(3000) && WaitUntilListening(m_port);
    }
    bool StartSocks4()
    {
        m_port = FreePort();
        QFile config(m_folder.filePath("danted.conf"));
        QFile lab(NotifyTestFile("danted-socks4.conf"));
        if (!lab.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
            return false;
        config.write(lab.readAll().replace("port = 1081", "port = " + QByteArray::number(m_port)));
        config.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTest(m_process);
        m_process.start("danted", {"-f", config.fileName(), "-p", m_folder.filePath("danted.pid")});
        return m_process.waitForStarted(3000) && WaitUntilListening(m_port);
    }
    quint16 Port() const { return m_port; }

private:
    QProcess m_process;
    QTemporaryDir m_folder;
    quint16 m_port = 0;
};

// What Python's email parser reads from a received message (mailinfo.py).
inline QJsonObject MailInfo(const QString &emlPath)
{
    QProcess python;
    python.start(Python, {NotifyTestFile("mailinfo.py"), emlPath});
    if (!python.waitForFinished(10000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// The message log's texts without their date and time.
inline QStringList LogTexts(const TRecordingWindowSink &sink)
{
    QStringList texts;
    for (const QString &line : sink.lines)
        texts << line.section(QStringLiteral(" - "), 1);
    return texts;
}

// Email on, through a local server.
inline void UseLocalMail(TCamera &camera, quint16 port, const QString &recipients = QStringLiteral("guard@example.org"))
{
    camera.notification_SendToEmail = true;
    camera.notification_SMTPFrom = QStringLiteral("camera@ostrivo.test");
    camera.notification_SMTPRecipient = recipients;
    camera.notification_SMTPHost = QStringLiteral("127.0.0.1");
    camera.notification_SMTPPort = port;
}

// A camera that mails through a local server.
inline TCamera MailCamera(const QString &title, quint16 port, const QString &recipients = QStringLiteral("guard@example.org"))
{
    TCamera camera;
    camera.CustomTitle = title;
    UseLocalMail(camera, port, recipients);
    return camera;
}
