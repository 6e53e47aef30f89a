#pragma once
// The background refresh of stored camera addresses: when the reconnection tick finds a camera down that
// carries a unique device name, a search runs, and every camera that is still down and whose device is
// reported gets the address the device reports now. The next reconnection uses it; the camera list file
// receives it the next time the list is saved. Nothing is shown to the user.
#include "cameradialog/UPnPFinder.h"
#include "runtime/localnetworksearch.h"

#include <memory>

class TCameraAddressRefresh : public ILocalNetworkSearch
{
public:
    // finder: the refresh finder (FNetworkDeviceFinder2); a real one when none is given.
    explicit TCameraAddressRefresh(std::shared_ptr<INetworkDeviceFinder> finder = {});
    ~TCameraAddressRefresh() override; // cancels a running search

    void FindAndUPdateIPsOfCamerasInLAN() override;
    void NetworkDeviceFinder2SearchResult(INetworkDeviceFinder *Sender, TSearchResultState State, bool &Cancel);

    INetworkDeviceFinder &Finder() const { return *FNetworkDeviceFinder2; }
    // Set while a refresh search runs; a tick meanwhile starts none.
    bool IPsAreUpdatingNow = false;

private:
    std::shared_ptr<INetworkDeviceFinder> FNetworkDeviceFinder2;
};
