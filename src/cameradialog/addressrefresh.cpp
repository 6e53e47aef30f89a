#include "cameradialog/addressrefresh.h"

#include "cameradialog/founddevice.h"
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/main.h"

TCameraAddressRefresh::TCameraAddressRefresh(std::shared_ptr<INetworkDeviceFinder> finder)
    : FNetworkDeviceFinder2(finder ? std::move(finder) : std::make_shared<TNetworkDeviceFinder>())
{
    FNetworkDeviceFinder2->SetOnSearchResult(
        [this](INetworkDeviceFinder *sender, TSearchResultState state, bool &cancel) {
            NetworkDeviceFinder2SearchResult(sender, state, cancel);
        });
}

TCameraAddressRefresh::~TCameraAddressRefresh()
{
    FNetworkDeviceFinder2->CancelSearchAsync();
    FNetworkDeviceFinder2->SetOnSearchResult({});
}

void TCameraAddressRefresh::FindAndUPdateIPsOfCamerasInLAN()
{
    if (IPsAreUpdatingNow)
        return;
    // A search that cannot start leaves the flag clear, so a later tick tries again.
    if (FNetworkDeviceFinder2->StartSearchAsync(ndfwFriendlyName, QString()))
        IPsAreUpdatingNow = true;
}

void TCameraAddressRefresh::NetworkDeviceFinder2SearchResult(INetworkDeviceFinder *Sender, TSearchResultState State,
                                                             bool &)
{
    if (State != srsNotMatchingItem) {
        IPsAreUpdatingNow = false;
        return;
    }
    const QString udn = Sender->UniqueDeviceName();
    if (udn.trimmed().isEmpty())
        return;
    const QString address = FoundDeviceAddress(Sender->ModelURL());
    // A device that names no address would leave the camera with none, unreachable for good.
    if (address.trimmed().isEmpty())
        return;
    for (const auto &camera : App().Cameras)
        if (camera->ipcam_UniqueDeviceName == udn && camera->Grabber && camera->Grabber->CurrentState() == cs_Down)
            camera->ipcam_IP = address;
}
