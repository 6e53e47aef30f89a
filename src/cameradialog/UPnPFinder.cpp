// Compiled with QT_NO_KEYWORDS: the GLib headers use "signals" as a name.
#include "cameradialog/UPnPFinder.h"

#include <libgupnp/gupnp.h>

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <utility>
#include <vector>

namespace {

// Texts GUPnP hands over are UTF-8; the owned ones are freed here.
QString TakeText(char *text)
{
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

QString ConstText(const char *text) { return QString::fromUtf8(text); }

QString ErrorText(GError *error, const char *fallback)
{
    const QString text = error && error->message ? QString::fromUtf8(error->message) : QString::fromUtf8(fallback);
    g_clear_error(&error);
    return text;
}

} // namespace

// One running search: the GUPnP contexts and control points for "upnp:rootdevice" and the timer that ends
// the initial search. GUPnP calls back on the thread's default GLib main context, which Qt's event loop
// runs on Linux, so every callback arrives on the user-interface thread.
class TUPnPSearch : public QObject
{
public:
    explicit TUPnPSearch(TNetworkDeviceFinder &finder) : m_finder(&finder)
    {
        m_window.setSingleShot(true);
        QObject::connect(&m_window, &QTimer::timeout, this, [this] {
            if (m_finder)
                m_finder->SearchComplete(this);
        });
    }

    ~TUPnPSearch() override
    {
        Detach();
        for (GUPnPControlPoint *point : m_points)
            g_object_unref(point);
        if (m_manager)
            g_object_unref(m_manager);
        for (GUPnPContext *context : m_contexts)
            g_object_unref(context);
    }

    // Opens the contexts and starts browsing; false with the reason when that is impossible.
    bool Start(int window_ms, QString &error)
    {
        // Without a GLib main loop under Qt's event loop no callback would ever come.
        const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib")) {
            error = QStringLiteral("the event loop does not run GLib");
            return false;
        }
        const QByteArray interface = qgetenv("OSTRIVO_UPNP_INTERFACE").trimmed();
        if (!interface.isEmpty()) {
            GError *failure = nullptr;
            auto *context = static_cast<GUPnPContext *>(
                g_initable_new(GUPNP_TYPE_CONTEXT, nullptr, &failure, "interface", interface.constData(),
                               "address-family", G_SOCKET_FAMILY_IPV4, "uda-version", GSSDP_UDA_VERSION_1_0,
                               nullptr));
            if (!context) {
                error = QStringLiteral("UPnP on interface %1: %2")
                            .arg(QString::fromUtf8(interface), ErrorText(failure, "cannot be used"));
                return false;
            }
            m_contexts.push_back(context);
            Browse(context);
        } else {
            // Every interface with an IPv4 address, including those that come up while the search runs.
            m_manager = gupnp_context_manager_create_full(GSSDP_UDA_VERSION_1_0, G_SOCKET_FAMILY_IPV4, 0);
            if (!m_manager) {
                error = QStringLiteral("the UPnP context manager cannot be created");
                return false;
            }
            g_signal_connect(m_manager, "context-available", G_CALLBACK(OnContextAvailable), this);
        }
        m_window.start(window_ms);
        return true;
    }

    // No callback reaches the finder any more.
    void Detach()
    {
        m_finder = nullptr;
        m_window.stop();
        for (GUPnPControlPoint *point : m_points)
            g_signal_handlers_disconnect_by_data(point, this);
        if (m_manager)
            g_signal_handlers_disconnect_by_data(m_manager, this);
    }

private:
    void Browse(GUPnPContext *context)
    {
        GUPnPControlPoint *point = gupnp_control_point_new(context, "upnp:rootdevice");
        // Devices answer within one second.
        gssdp_resource_browser_set_mx(GSSDP_RESOURCE_BROWSER(point), 1);
        g_signal_connect(point, "device-proxy-available", G_CALLBACK(OnDeviceAvailable), this);
        g_signal_connect(point, "device-proxy-unavailable", G_CALLBACK(OnDeviceUnavailable), this);
        if (m_manager)
            gupnp_context_manager_manage_control_point(m_manager, point);
        m_points.push_back(point);
        gssdp_resource_browser_set_active(GSSDP_RESOURCE_BROWSER(point), TRUE);
    }

    static void OnContextAvailable(GUPnPContextManager *, GUPnPContext *context, gpointer self)
    {
        auto *search = static_cast<TUPnPSearch *>(self);
        if (search->m_finder)
            search->Browse(context);
    }

    static void OnDeviceAvailable(GUPnPControlPoint *, GUPnPDeviceProxy *proxy, gpointer self)
    {
        auto *search = static_cast<TUPnPSearch *>(self);
        GUPnPDeviceInfo *device = GUPNP_DEVICE_INFO(proxy);
        // Once per device, also when it is seen on several interfaces.
        const QString udn = ConstText(gupnp_device_info_get_udn(device));
        if (!search->m_finder || search->m_reported.contains(udn))
            return;
        search->m_reported.insert(udn);
        search->m_finder->DeviceAdded(search, device);
    }

    static void OnDeviceUnavailable(GUPnPControlPoint *, GUPnPDeviceProxy *proxy, gpointer self)
    {
        auto *search = static_cast<TUPnPSearch *>(self);
        const QString udn = ConstText(gupnp_device_info_get_udn(GUPNP_DEVICE_INFO(proxy)));
        // A device that leaves and comes back is not reported again by this search: the next one finds it.
        if (search->m_finder)
            search->m_finder->DeviceRemoved(search, udn);
    }

    TNetworkDeviceFinder *m_finder;
    GUPnPContextManager *m_manager = nullptr;
    std::vector<GUPnPContext *> m_contexts;
    std::vector<GUPnPControlPoint *> m_points;
    QSet<QString> m_reported;
    QTimer m_window;
};

TNetworkDeviceFinder::TNetworkDeviceFinder() = default;

TNetworkDeviceFinder::~TNetworkDeviceFinder() { CancelSearchAsync(); }

bool TNetworkDeviceFinder::StartSearchAsync(TNetworkDeviceFinderWhat What, const QString &ASearchKey)
{
    FFound = false;
    FIpAddress.clear();
    FErrMsg.clear();
    FSearchKey = ASearchKey;
    FSearchWhat = What;
    CancelSearchAsync();

    auto *search = new TUPnPSearch(*this);
    QString error;
    if (!search->Start(m_searchWindow_ms, error)) {
        delete search;
        FErrMsg = error;
        Display(QStringLiteral("Search not started: ") + error);
        return false;
    }
    FDeviceFinder = search;
    FFindData = 1;
    Display(QStringLiteral("Search started"));
    return true;
}

void TNetworkDeviceFinder::CancelSearchAsync()
{
    if (!FDeviceFinder)
        return;
    FFindData = 0;
    TUPnPSearch *search = std::exchange(FDeviceFinder, nullptr);
    search->Detach();
    // Inside a report GUPnP or the window timer is still using the search's objects.
    if (m_reportDepth > 0)
        search->deleteLater();
    else
        delete search;
}

QString &TNetworkDeviceFinder::Property(TNetworkDeviceFinderWhat what)
{
    switch (what) {
    case ndfwFriendlyName: return FFriendlyName;
    case ndfwDeviceType: return FDeviceType;
    case ndfwUniqueDeviceName: return FUniqueDeviceName;
    case ndfwDescription: return FDescription;
    case ndfwPresentationURL: return FPresentationURL;
    case ndfwManufacturerName: return FManufacturerName;
    case ndfwManufacturerURL: return FManufacturerURL;
    case ndfwModelName: return FModelName;
    case ndfwModelNumber: return FModelNumber;
    case ndfwModelURL: return FModelURL;
    case ndfwUPC: return FUPC;
    case ndfwSerialNumber: return FSerialNumber;
    }
    return FFriendlyName;
}

void TNetworkDeviceFinder::ClearProperties(bool keepFriendlyName)
{
    for (QString *field : {&FPresentationURL, &FManufacturerName, &FManufacturerURL, &FModelName, &FModelNumber,
                           &FDescription, &FModelURL, &FUniqueDeviceName, &FUPC, &FSerialNumber, &FDeviceType})
        field->clear();
    if (!keepFriendlyName)
        FFriendlyName.clear();
}

void TNetworkDeviceFinder::Display(const QString &text)
{
    if (FVerbose && FOnDisplay)
        FOnDisplay(this, text);
}

namespace {

// Marks a report in progress and holds the reported device for its duration, also when the handler throws.
class TReportScope
{
public:
    TReportScope(int &depth, _GUPnPDeviceInfo *&slot, _GUPnPDeviceInfo *device) : m_depth(depth), m_slot(slot)
    {
        ++m_depth;
        m_slot = device;
    }
    ~TReportScope()
    {
        m_slot = nullptr;
        --m_depth;
    }
    TReportScope(const TReportScope &) = delete;
    TReportScope &operator=(const TReportScope &) = delete;

private:
    int &m_depth;
    _GUPnPDeviceInfo *&m_slot;
};

} // namespace

void TNetworkDeviceFinder::DeviceAdded(TUPnPSearch *search, GUPnPDeviceInfo *device)
{
    if (search != FDeviceFinder)
        return;
    FUniqueDeviceName = ConstText(gupnp_device_info_get_udn(device));
    FFriendlyName = TakeText(gupnp_device_info_get_friendly_name(device));
    FDeviceType = ConstText(gupnp_device_info_get_device_type(device));
    FPresentationURL = TakeText(gupnp_device_info_get_presentation_url(device));
    FManufacturerName = TakeText(gupnp_device_info_get_manufacturer(device));
    FManufacturerURL = TakeText(gupnp_device_info_get_manufacturer_url(device));
    FModelName = TakeText(gupnp_device_info_get_model_name(device));
    FModelNumber = TakeText(gupnp_device_info_get_model_number(device));
    FDescription = TakeText(gupnp_device_info_get_model_description(device));
    FModelURL = TakeText(gupnp_device_info_get_model_url(device));
    FUPC = TakeText(gupnp_device_info_get_upc(device));
    FSerialNumber = TakeText(gupnp_device_info_get_serial_number(device));
    Display(QStringLiteral("Device added: ") + FFriendlyName + QStringLiteral(" (") + FUniqueDeviceName
            + QStringLiteral(")"));

    TSearchResultState state = srsNotMatchingItem;
    bool cancel = false;
    const QString &value = Property(FSearchWhat);
    if (!value.isEmpty() && value == FSearchKey) {
        static const QString scheme = QStringLiteral("http://");
        if (FPresentationURL.startsWith(scheme, Qt::CaseInsensitive)) {
            const QString rest = FPresentationURL.mid(scheme.size());
            FIpAddress = rest.left(rest.indexOf(QLatin1Char('/'))); // no "/": all of it
        }
        FFindData = 0;
        FFound = true;
        state = srsMatchingItem;
        cancel = true;
    }
    {
        TReportScope report(m_reportDepth, FDeviceIntf, device);
        if (FOnSearchResult)
            FOnSearchResult(this, state, cancel);
    }
    // Only this report's search: the handler may have started another one meanwhile.
    if (cancel && FDeviceFinder == search)
        CancelSearchAsync();
}

void TNetworkDeviceFinder::DeviceRemoved(TUPnPSearch *search, const QString &uniqueDeviceName)
{
    if (search == FDeviceFinder)
        Display(QStringLiteral("Device removed: ") + uniqueDeviceName);
}

void TNetworkDeviceFinder::SearchComplete(TUPnPSearch *search)
{
    if (search != FDeviceFinder)
        return;
    FFindData = 0;
    Display(QStringLiteral("Search complete"));
    if (FFound)
        return;
    ClearProperties(true);
    bool cancel = false; // not used after the completion report
    TReportScope report(m_reportDepth, FDeviceIntf, nullptr);
    if (FOnSearchResult)
        FOnSearchResult(this, srsNotFound, cancel);
}
