#pragma once
// How the reconnection tick asks for a camera's device to be looked for on the local network; implemented
// by the camera dialog's address refresh.

class ILocalNetworkSearch
{
public:
    virtual ~ILocalNetworkSearch() = default;
    // Starts a search unless one runs; the cameras that are still down and whose unique device name is
    // reported get the address the device reports. Returns at once; the results arrive later.
    virtual void FindAndUPdateIPsOfCamerasInLAN() = 0;
};
