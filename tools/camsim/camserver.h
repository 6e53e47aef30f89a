#pragma once
// The HTTP side of the simulated camera.
//
//   GET /video.mjpg     multipart/x-mixed-replace motion JPEG at the set frame rate, to any number of clients
//   GET /snapshot.jpg   one JPEG picture (keep-alive)
//   GET /control?motion=on|off            still or moving scene
//   GET /control?fault=none|hang|drop|corrupt
//       hang: requests are read but never answered and streams stop sending;
//       drop: open streams are closed and new requests are closed unanswered;
//       corrupt: every other picture is broken (truncated, garbage, scrambled, or an absurd Content-Length).
// /control needs no credentials and keeps working whatever the fault; the picture paths ask for Basic or
// Digest (MD5, qop=auth) credentials when a user is set.
#include "scene.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

struct TCamServerOptions
{
    QHostAddress Bind = QHostAddress::LocalHost;
    quint16 Port = 8081;
    QSize Size{640, 480};
    double Fps = 10;
    TSceneLook Look = TSceneLook::Plain;
    QString User;
    QString Password;
    bool Digest = false;
};

class TCamServer : public QObject
{
    Q_OBJECT
public:
    explicit TCamServer(const TCamServerOptions &options, QObject *parent = nullptr);
    bool Listen(QString *error);
    quint16 Port() const;
    void SetMotion(bool on) { m_scene.SetMotion(on); }

private:
    enum class TFault
    {
        None,
        Hang,
        Drop,
        Corrupt
    };
    struct TClient
    {
        QByteArray Request;
        bool Streaming = false;
        bool Hung = false;
    };

    void NewConnection();
    void ReadRequests(QTcpSocket *socket);
    void Answer(QTcpSocket *socket, const QByteArray &method, const QByteArray &target,
                const QHash<QByteArray, QByteArray> &headers);
    void Control(QTcpSocket *socket, const QByteArray &query);
    bool Authorised(const QByteArray &method, const QByteArray &target,
                    const QHash<QByteArray, QByteArray> &headers) const;
    void Challenge(QTcpSocket *socket);
    void Reply(QTcpSocket *socket, const QByteArray &status, const QByteArray &contentType,
               const QByteArray &body, const QByteArray &extraHeaders = {});
    void Tick();
    QByteArray Picture(bool forStream, QByteArray *contentLength);

    TCamServerOptions m_options;
    QTcpServer *m_server;
    TScene m_scene;
    QTimer m_timer;
    QHash<QTcpSocket *, TClient> m_clients;
    TFault m_fault = TFault::None;
    quint64 m_pictures = 0;
    QByteArray m_nonce;
    QByteArray m_opaque;
    QRandomGenerator m_random;
};
