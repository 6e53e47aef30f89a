#pragma once
// The SMS gateway stand-in (tests/support/smsgateway.py, see its header for the protocol) as a child
// process on a free loopback port, with its control calls. Start() also points SMSENGINE_URL of this
// process at it, so libsmsengine loaded here talks to it; Url() is for child programs.
#include "processoutput.h"
#include "testpaths.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

class TSMSGateway
{
public:
    ~TSMSGateway() { Stop(); }

    // arguments: the stand-in's options, e.g. {"--user", "u", "--key", "k"}.
    bool Start(const QStringList &arguments = {})
    {
        Stop();
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(QStringList{SourceTreeFile(QStringLiteral("tests/support/smsgateway.py")),
                                           QStringLiteral("--port"), QStringLiteral("0")}
                               + arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTest(m_process);
        m_process.start();
        static const QRegularExpression listening(QStringLiteral("listening on (https?://127\\.0\\.0\\.1:\\d+)"));
        const QRegularExpressionMatch match = WaitForOutputMatch(m_process, listening, 10000);
        if (!match.hasMatch())
            return false;
        m_url = match.captured(1);
        qputenv("SMSENGINE_URL", m_url.toUtf8());
        return true;
    }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    QString Url() const { return m_url; }

    // Queues inbound messages ({"text", "sender"} objects); their identifiers, in rising order.
    QList<qint64> QueueInbound(const QJsonArray &messages)
    {
        QList<qint64> ids;
        for (const QJsonValue &id : Control("POST", "/control/inbound", QJsonDocument(messages)).object()["ids"].toArray())
            ids << qint64(id.toDouble());
        return ids;
    }
    QJsonArray Inbound() { return Control("GET", "/control/inbound").array(); }
    // [{"text", "phones", "username", "key"}] in the order sent.
    QJsonArray Sent() { return Control("GET", "/control/sent").array(); }
    QJsonArray Requests() { return Control("GET", "/control/requests").array(); }
    void SetMode(const QJsonObject &mode) { Control("POST", "/control/mode", QJsonDocument(mode)); }
    void Reset() { Control("POST", "/control/reset", QJsonDocument(QJsonObject())); }

private:
    QJsonDocument Control(const QByteArray &method, const QString &path, const QJsonDocument &body = {})
    {
        QNetworkRequest request(QUrl(m_url + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        QNetworkReply *reply = method == "GET" ? m_network.get(request) : m_network.post(request, body.toJson());
        reply->ignoreSslErrors(); // the stand-in's own self-signed certificate, on loopback
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const QJsonDocument answer = QJsonDocument::fromJson(reply->readAll());
        reply->deleteLater();
        return answer;
    }

    QProcess m_process;
    QNetworkAccessManager m_network;
    QString m_url;
};
