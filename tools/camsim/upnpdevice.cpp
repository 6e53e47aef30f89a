// Compiled with QT_NO_KEYWORDS: the GLib headers use "signals" as a name.
#include "upnpdevice.h"

#include <libgupnp/gupnp.h>

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QUuid>

TUPnPDevice::TUPnPDevice(TUPnPDeviceOptions options) : m_options(std::move(options))
{
    if (m_options.UniqueDeviceName.isEmpty())
        m_options.UniqueDeviceName = QStringLiteral("uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (m_options.ModelURL.isEmpty())
        m_options.ModelURL = QStringLiteral("http://%1/").arg(m_options.Bind.toString());
}

TUPnPDevice::~TUPnPDevice()
{
    if (m_device) {
        gupnp_root_device_set_available(m_device, FALSE);
        g_object_unref(m_device);
    }
    if (m_context)
        g_object_unref(m_context);
}

QByteArray TUPnPDevice::Description() const
{
    const QString host = QStringLiteral("%1:%2").arg(m_options.Bind.toString()).arg(m_options.HttpPort);
    const auto element = [](const char *name, const QString &value) {
        return QStringLiteral("    <%1>%2</%1>\n").arg(QLatin1String(name), value.toHtmlEscaped());
    };
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n"
                                 "<root xmlns=\"urn:schemas-upnp-org:device-1-0\">\n"
                                 "  <specVersion><major>1</major><minor>0</minor></specVersion>\n"
                                 "  <device>\n");
    xml += element("deviceType", QStringLiteral("urn:schemas-upnp-org:device:Basic:1"));
    xml += element("friendlyName", QStringLiteral("Ostrivo Camera Simulator on ") + host);
    xml += element("manufacturer", m_options.Manufacturer);
    xml += element("manufacturerURL", QStringLiteral("http://%1/").arg(host));
    xml += element("modelDescription", QStringLiteral("Simulated network camera: MJPEG stream and JPEG snapshots"));
    xml += element("modelName", QStringLiteral("Camera Simulator"));
    xml += element("modelNumber", QStringLiteral(OSTRIVO_VERSION));
    xml += element("modelURL", m_options.ModelURL);
    xml += element("serialNumber", QStringLiteral("CAMSIM-%1").arg(m_options.HttpPort));
    xml += element("UDN", m_options.UniqueDeviceName);
    xml += element("UPC", QStringLiteral("000000000000"));
    xml += element("presentationURL", QStringLiteral("http://%1/video.mjpg").arg(host));
    xml += QStringLiteral("  </device>\n</root>\n");
    return xml.toUtf8();
}

bool TUPnPDevice::Announce(QString *error)
{
    const auto fail = [error](const QString &text, GError *failure) {
        *error = text;
        if (failure) {
            *error += QStringLiteral(": ") + QString::fromUtf8(failure->message);
            g_error_free(failure);
        }
        return false;
    };
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
        return fail(QStringLiteral("the event loop does not run GLib"), nullptr);
    // One interface only: the one that holds the bind address, never every interface.
    if (m_options.Bind.isNull() || m_options.Bind == QHostAddress::AnyIPv4 || m_options.Bind == QHostAddress::Any
        || m_options.Bind.isMulticast() || m_options.Bind.isBroadcast()
        || m_options.Bind.protocol() != QAbstractSocket::IPv4Protocol)
        return fail(QStringLiteral("UPnP needs the IPv4 address of one interface as the bind address"), nullptr);
    if (!m_folder.isValid())
        return fail(QStringLiteral("no temporary folder for the device description"), nullptr);
    const QString path = m_folder.filePath(QStringLiteral("camera.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Description()) < 0 || !file.flush())
        return fail(QStringLiteral("cannot write the device description"), nullptr);
    file.close();

    GError *failure = nullptr;
    GInetAddress *address = g_inet_address_new_from_string(m_options.Bind.toString().toUtf8().constData());
    m_context = gupnp_context_new_for_address(address, 0, GSSDP_UDA_VERSION_1_0, &failure);
    g_object_unref(address);
    if (!m_context)
        return fail(QStringLiteral("no UPnP context on %1").arg(m_options.Bind.toString()), failure);
    m_interface = QString::fromUtf8(gssdp_client_get_interface(GSSDP_CLIENT(m_context)));
    m_device = gupnp_root_device_new(m_context, path.toUtf8().constData(), m_folder.path().toUtf8().constData(),
                                     &failure);
    if (!m_device)
        return fail(QStringLiteral("cannot create the UPnP device"), failure);
    gupnp_root_device_set_available(m_device, TRUE);
    return true;
}
