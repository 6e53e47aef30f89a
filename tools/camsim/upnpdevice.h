#pragma once
// The simulated camera as a UPnP root device: it announces itself with its description (manufacturer
// "Ostrivo", model "Camera Simulator", a unique device name and a model URL) on the one network interface
// that holds its bind address, and answers searches there.
#include <QHostAddress>
#include <QString>
#include <QTemporaryDir>

struct _GUPnPContext;
struct _GUPnPRootDevice;

struct TUPnPDeviceOptions
{
    QHostAddress Bind = QHostAddress::LocalHost;
    quint16 HttpPort = 0;      // the camera's picture port, for the presentation URL
    QString UniqueDeviceName;  // empty: a fresh "uuid:..."
    QString ModelURL;          // empty: "http://<bind address>/"
    QString Manufacturer = QStringLiteral("Ostrivo");
};

class TUPnPDevice
{
public:
    explicit TUPnPDevice(TUPnPDeviceOptions options);
    ~TUPnPDevice(); // says goodbye on the network
    TUPnPDevice(const TUPnPDevice &) = delete;
    TUPnPDevice &operator=(const TUPnPDevice &) = delete;

    bool Announce(QString *error);
    QString UniqueDeviceName() const { return m_options.UniqueDeviceName; }
    QString InterfaceName() const { return m_interface; }
    // The device description served to control points.
    QByteArray Description() const;

private:
    TUPnPDeviceOptions m_options;
    QTemporaryDir m_folder;
    QString m_interface;
    _GUPnPContext *m_context = nullptr;
    _GUPnPRootDevice *m_device = nullptr;
};
