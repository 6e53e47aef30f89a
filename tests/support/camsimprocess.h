#pragma once
// ostrivo-camsim as a child process on a loopback port that can be stopped and started again on the same
// port (a camera that goes away and comes back), and its scene control.
#include "processoutput.h"
#include "testpaths.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

class TCamSim
{
public:
    // port 0: any free port, kept for later starts.
    explicit TCamSim(quint16 port = 0) : m_port(port) {}
    ~TCamSim() { Stop(); }

    bool Start(const QStringList &arguments = {})
    {
        Stop();
        m_process.setProgram(BuiltFile(QStringLiteral("ostrivo-camsim")));
        m_process.setArguments(QStringList{QStringLiteral("--port"), QString::number(m_port)} + arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTest(m_process);
        m_process.start();
        static const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
        const QRegularExpressionMatch match = WaitForOutputMatch(m_process, listening);
        if (match.hasMatch())
            m_port = quint16(match.captured(1).toUInt());
        return match.hasMatch();
    }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    quint16 Port() const { return m_port; }

    QString Url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path); }

    // GET /control?<query> ("motion=on", "fault=corrupt"); false when the simulator did not confirm.
    bool Control(const QByteArray &query)
    {
        QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl(Url("/control?" + QString::fromLatin1(query)))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
        reply->deleteLater();
        return ok;
    }
    // Switches the simulated scene's motion on or off.
    bool SetMotion(bool on) { return Control(on ? "motion=on" : "motion=off"); }

private:
    QNetworkAccessManager m_network;
    QProcess m_process;
    quint16 m_port;
};
