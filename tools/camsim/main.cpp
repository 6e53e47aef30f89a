// ostrivo-camsim: a simulated network camera for tests, demonstrations and trying Ostrivo without one.
#include "camserver.h"
#include "democamdat.h"
#include "platform/termination.h"
#include "upnpdevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ostrivo-camsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated HTTP camera: /video.mjpg (MJPEG stream), /snapshot.jpg (JPEG picture),\n"
        "/control?motion=on|off and /control?fault=none|hang|drop|corrupt.\n"
        "With --upnp it is also a UPnP root device on the interface of its bind address."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port (0: any free port)."),
                                  QStringLiteral("N"), QStringLiteral("8081"));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Address to listen on."),
                                  QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size."), QStringLiteral("WxH"),
                                  QStringLiteral("640x480"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Frames per second of the stream."),
                                 QStringLiteral("F"), QStringLiteral("10"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name required."), QStringLiteral("U"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password required."),
                                      QStringLiteral("P"));
    const QCommandLineOption auth(QStringLiteral("auth"), QStringLiteral("basic or digest (default basic)."),
                                  QStringLiteral("basic|digest"), QStringLiteral("basic"));
    const QCommandLineOption scene(QStringLiteral("scene"),
                                   QStringLiteral("plain (colour bars) or camera (texture and sensor noise, "
                                                  "100-200 KB per 720p picture)."),
                                   QStringLiteral("plain|camera"), QStringLiteral("plain"));
    const QCommandLineOption motion(QStringLiteral("motion"), QStringLiteral("Start with a moving scene."));
    const QCommandLineOption demo(QStringLiteral("write-demo-camdat"),
                                  QStringLiteral("Write FOLDER/cam.dat with one camera on this simulator (at --port) "
                                                 "unless it exists, then end."),
                                  QStringLiteral("FOLDER"));
    const QCommandLineOption demoCount(QStringLiteral("demo-cameras"),
                                       QStringLiteral("How many cameras --write-demo-camdat writes (1 to 4)."),
                                       QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption upnp(QStringLiteral("upnp"),
                                  QStringLiteral("Announce the camera as a UPnP root device on the interface of "
                                                 "the bind address."));
    const QCommandLineOption udn(QStringLiteral("udn"),
                                 QStringLiteral("Unique device name announced with --upnp (default: a fresh one)."),
                                 QStringLiteral("uuid:..."));
    const QCommandLineOption modelUrl(QStringLiteral("model-url"),
                                      QStringLiteral("Model URL announced with --upnp (default: http://<bind>/)."),
                                      QStringLiteral("URL"));
    const QCommandLineOption manufacturer(QStringLiteral("manufacturer"),
                                          QStringLiteral("Manufacturer announced with --upnp."), QStringLiteral("TEXT"),
                                          QStringLiteral("Ostrivo"));
    parser.addOptions({port, bind, size, fps, scene, user, password, auth, motion, demo, demoCount, upnp, udn, modelUrl,
                       manufacturer});
    parser.process(app);

    const auto fail = [](const QString &text) {
        std::fprintf(stderr, "ostrivo-camsim: %s\n", qPrintable(text));
        return 2;
    };
    TCamServerOptions options;
    bool ok = false;
    const uint portValue = parser.value(port).toUInt(&ok);
    if (!ok || portValue > 65535)
        return fail(QStringLiteral("bad port"));
    options.Port = quint16(portValue);
    if (parser.isSet(demo)) {
        QString error;
        return WriteDemoCameraList(parser.value(demo), options.Port, parser.value(demoCount).toInt(), &error)
                   ? 0
                   : fail(error);
    }
    if (!options.Bind.setAddress(parser.value(bind)))
        return fail(QStringLiteral("bad bind address"));
    const QStringList wh = parser.value(size).split(QLatin1Char('x'));
    const int w = wh.value(0).toInt();
    const int h = wh.value(1).toInt();
    if (wh.size() != 2 || w < 16 || h < 16 || w > 8192 || h > 8192)
        return fail(QStringLiteral("bad size, use WxH between 16x16 and 8192x8192"));
    options.Size = QSize(w, h);
    options.Fps = parser.value(fps).toDouble(&ok);
    if (!ok || options.Fps <= 0 || options.Fps > 120)
        return fail(QStringLiteral("bad fps, use 0 < F <= 120"));
    const QString look = parser.value(scene).toLower();
    if (look != QLatin1String("plain") && look != QLatin1String("camera"))
        return fail(QStringLiteral("bad scene, use plain or camera"));
    options.Look = look == QLatin1String("camera") ? TSceneLook::Camera : TSceneLook::Plain;
    options.User = parser.value(user);
    options.Password = parser.value(password);
    const QString authValue = parser.value(auth).toLower();
    if (authValue != QLatin1String("basic") && authValue != QLatin1String("digest"))
        return fail(QStringLiteral("bad auth, use basic or digest"));
    options.Digest = authValue == QLatin1String("digest");

    TCamServer server(options);
    QString error;
    if (!server.Listen(&error))
        return fail(QStringLiteral("cannot listen on %1:%2: %3").arg(options.Bind.toString()).arg(options.Port).arg(error));
    if (parser.isSet(motion))
        server.SetMotion(true);
    std::unique_ptr<TUPnPDevice> device;
    if (parser.isSet(upnp)) {
        TUPnPDeviceOptions upnpOptions;
        upnpOptions.Bind = options.Bind;
        upnpOptions.HttpPort = server.Port();
        upnpOptions.UniqueDeviceName = parser.value(udn);
        upnpOptions.ModelURL = parser.value(modelUrl);
        upnpOptions.Manufacturer = parser.value(manufacturer);
        device = std::make_unique<TUPnPDevice>(upnpOptions);
        if (!device->Announce(&error))
            return fail(QStringLiteral("cannot announce the UPnP device: ") + error);
        // Ending on a termination request lets the device say goodbye.
        platform::InstallTerminationHandler([] { QCoreApplication::quit(); });
        std::printf("ostrivo-camsim announcing %s on %s\n", qPrintable(device->UniqueDeviceName()),
                    qPrintable(device->InterfaceName()));
    }
    std::printf("ostrivo-camsim listening on http://%s:%u/video.mjpg\n", qPrintable(options.Bind.toString()),
                unsigned(server.Port()));
    std::fflush(stdout);
    return app.exec();
}
