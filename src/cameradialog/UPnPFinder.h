#pragma once
// The local network device finder: searches the network for UPnP root devices and reports each one found
// (once per search) with its twelve description properties, then once more when the initial search is over.
//
// Reports arrive on the user-interface thread. The initial search is over SearchWindow_ms after the start
// (3 s by default): the search asks devices to answer within one second, and the rest of the window
// leaves time to fetch their descriptions. The search keeps listening after that, so a device that
// announces itself later is reported like the others until the search is cancelled or restarted.
//
// The search runs on every network interface that has an address, unless the environment variable
// OSTRIVO_UPNP_INTERFACE names one interface (for example "lo"): then only that interface is used.
#include <QString>

#include <functional>
#include <memory>

struct _GUPnPDeviceInfo;

// Which device property the search key is compared with.
enum TNetworkDeviceFinderWhat {
    ndfwFriendlyName,
    ndfwDeviceType,
    ndfwUniqueDeviceName,
    ndfwDescription,
    ndfwPresentationURL,
    ndfwManufacturerName,
    ndfwManufacturerURL,
    ndfwModelName,
    ndfwModelNumber,
    ndfwModelURL,
    ndfwUPC,
    ndfwSerialNumber
};

// The kind of a report: a device whose selected property equals the key, any other device, or the end
// of a search in which no device matched.
enum TSearchResultState { srsMatchingItem, srsNotMatchingItem, srsNotFound };

class INetworkDeviceFinder;
// A report. Cancel, set on return from a device report, stops the search.
using TSearchResultEvent = std::function<void(INetworkDeviceFinder *Sender, TSearchResultState State, bool &Cancel)>;
// Diagnostic text, raised only in diagnostic mode.
using TDisplayEvent = std::function<void(INetworkDeviceFinder *Sender, const QString &Text)>;

class INetworkDeviceFinder
{
public:
    virtual ~INetworkDeviceFinder() = default;

    // Starts a search (cancelling this finder's running one); true when it runs. On false, ErrMsg says why.
    virtual bool StartSearchAsync(TNetworkDeviceFinderWhat What, const QString &ASearchKey) = 0;
    // Stops the running search; no report of it follows.
    virtual void CancelSearchAsync() = 0;

    virtual TDisplayEvent OnDisplay() const = 0;
    virtual void SetOnDisplay(TDisplayEvent handler) = 0;
    virtual TSearchResultEvent OnSearchResult() const = 0;
    virtual void SetOnSearchResult(TSearchResultEvent handler) = 0;

    virtual QString ErrMsg() const = 0;
    // Address from the matching device's presentation URL.
    virtual QString IpAddress() const = 0;
    // The properties of the device reported last.
    virtual QString PresentationURL() const = 0;
    virtual QString ManufacturerName() const = 0;
    virtual QString ManufacturerURL() const = 0;
    virtual QString ModelName() const = 0;
    virtual QString ModelNumber() const = 0;
    virtual QString Description() const = 0;
    virtual QString ModelURL() const = 0;
    virtual QString UPC() const = 0;
    virtual QString SerialNumber() const = 0;
    virtual QString DeviceType() const = 0;
    virtual QString FriendlyName() const = 0;
    virtual QString UniqueDeviceName() const = 0;
    // The reported device; valid only while a device report runs, nullptr otherwise.
    virtual _GUPnPDeviceInfo *DeviceIntf() const = 0;

    virtual bool Verbose() const = 0;
    virtual void SetVerbose(bool verbose) = 0;
};

class TUPnPSearch;

class TNetworkDeviceFinder : public INetworkDeviceFinder
{
public:
    TNetworkDeviceFinder();
    ~TNetworkDeviceFinder() override; // cancels a running search
    TNetworkDeviceFinder(const TNetworkDeviceFinder &) = delete;
    TNetworkDeviceFinder &operator=(const TNetworkDeviceFinder &) = delete;

    bool StartSearchAsync(TNetworkDeviceFinderWhat What, const QString &ASearchKey) override;
    void CancelSearchAsync() override;

    TDisplayEvent OnDisplay() const override { return FOnDisplay; }
    void SetOnDisplay(TDisplayEvent handler) override { FOnDisplay = std::move(handler); }
    TSearchResultEvent OnSearchResult() const override { return FOnSearchResult; }
    void SetOnSearchResult(TSearchResultEvent handler) override { FOnSearchResult = std::move(handler); }

    QString ErrMsg() const override { return FErrMsg; }
    QString IpAddress() const override { return FIpAddress; }
    QString PresentationURL() const override { return FPresentationURL; }
    QString ManufacturerName() const override { return FManufacturerName; }
    QString ManufacturerURL() const override { return FManufacturerURL; }
    QString ModelName() const override { return FModelName; }
    QString ModelNumber() const override { return FModelNumber; }
    QString Description() const override { return FDescription; }
    QString ModelURL() const override { return FModelURL; }
    QString UPC() const override { return FUPC; }
    QString SerialNumber() const override { return FSerialNumber; }
    QString DeviceType() const override { return FDeviceType; }
    QString FriendlyName() const override { return FFriendlyName; }
    QString UniqueDeviceName() const override { return FUniqueDeviceName; }
    _GUPnPDeviceInfo *DeviceIntf() const override { return FDeviceIntf; }

    bool Verbose() const override { return FVerbose; }
    void SetVerbose(bool verbose) override { FVerbose = verbose; }

    // How long after the start the initial search is over and the completion report comes.
    void SetSearchWindow_ms(int ms) { m_searchWindow_ms = ms; }
    int SearchWindow_ms() const { return m_searchWindow_ms; }
    // True from a start until the search is cancelled (also after the completion report).
    bool IsSearching() const { return FDeviceFinder != nullptr; }

    // Called by the running search.
    void DeviceAdded(TUPnPSearch *search, _GUPnPDeviceInfo *device);
    void DeviceRemoved(TUPnPSearch *search, const QString &uniqueDeviceName);
    void SearchComplete(TUPnPSearch *search);

private:
    void Display(const QString &text);
    void ClearProperties(bool keepFriendlyName);
    QString &Property(TNetworkDeviceFinderWhat what);

    QString FSearchKey;
    TNetworkDeviceFinderWhat FSearchWhat = ndfwFriendlyName;
    TUPnPSearch *FDeviceFinder = nullptr; // the running search, owned
    int FFindData = 0;                    // 1 while the initial search of FDeviceFinder runs
    bool FFound = false;
    QString FErrMsg;
    QString FIpAddress;
    QString FFriendlyName, FPresentationURL, FManufacturerName, FManufacturerURL, FModelName, FModelNumber,
        FDescription, FModelURL, FUniqueDeviceName, FUPC, FSerialNumber, FDeviceType;
    _GUPnPDeviceInfo *FDeviceIntf = nullptr;
    bool FVerbose = false;
    TDisplayEvent FOnDisplay;
    TSearchResultEvent FOnSearchResult;

    int m_searchWindow_ms = 3000;
    int m_reportDepth = 0; // reports in progress: a search cancelled inside one is released afterwards
};
