#pragma once
// "Scan Local Network..." of the camera dialog: searches the local network for UPnP devices, keeps those
// whose manufacturer and model name match a catalogue entry, lets the user pick one in the chooser and
// hands the choice to the dialog.
#include "cameradialog/UPnPFinder.h"

#include <QStringList>

#include <memory>

class TChooseIPCamForm;

// A camera found by a scan: the catalogue's brand and model, the address and the device's unique name.
struct TFoundIPCam
{
    QString Brand;
    QString Model;
    QString IP;
    QString UniqueDeviceName;
};

// What the scan needs of the camera dialog.
class ILanScanHost
{
public:
    virtual ~ILanScanHost() = default;
    // The IP camera catalogue, in catalogue order.
    virtual int CatalogueCount() const = 0;
    virtual QString CatalogueBrand(int index) const = 0;
    virtual QStringList CatalogueModels(int index) const = 0;
    // The user chose a camera: select its brand and model (whole text, case-insensitive) running the brand
    // and model changes, set the address field and the unique device name. Nothing else changes.
    virtual void ApplyFoundCamera(const TFoundIPCam &camera) = 0;
};

class TLanCameraScan
{
public:
    // finder: the scan finder (FNetworkDeviceFinder); a real one when none is given.
    explicit TLanCameraScan(ILanScanHost &host, std::shared_ptr<INetworkDeviceFinder> finder = {});
    ~TLanCameraScan(); // cancels a running search
    TLanCameraScan(const TLanCameraScan &) = delete;
    TLanCameraScan &operator=(const TLanCameraScan &) = delete;

    // The button: starts a scan, cancelling one that runs.
    void ScanLocalNetwork();
    void NetworkDeviceFinderSearchResult(INetworkDeviceFinder *Sender, TSearchResultState State, bool &Cancel);

    INetworkDeviceFinder &Finder() const { return *FNetworkDeviceFinder; }
    TChooseIPCamForm &ChooseIPCamForm() const { return *m_chooser; }

    // The cameras of the last scan, entry i of each list describing the same camera; kept until the next.
    QStringList FoundIPCamBrands, FoundIPCamModels, FoundIPs, FoundUniqueDeviceNames;

private:
    void SetBusyCursor(bool busy);

    ILanScanHost &m_host;
    std::shared_ptr<INetworkDeviceFinder> FNetworkDeviceFinder;
    std::unique_ptr<TChooseIPCamForm> m_chooser;
    bool m_busy = false;
};
