#pragma once
// The camera simulator as a UPnP device on loopback, and a recorder of a finder's reports.
#include "camsimprocess.h"
#include "cameradialog/UPnPFinder.h"

#include <QUuid>
#include <QtTest>

inline QString FreshUniqueDeviceName() { return QStringLiteral("uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

// Starts the simulator on 127.0.0.1 announcing itself with the unique device name and the extra arguments.
inline bool StartUPnPCamSim(TCamSim &camsim, const QString &udn, const QStringList &extra = {})
{
    return camsim.Start(QStringList{QStringLiteral("--upnp"), QStringLiteral("--udn"), udn} + extra);
}

// One report as the handler saw it.
struct TReport
{
    TSearchResultState State;
    QString UniqueDeviceName;
    bool HadDevice; // DeviceIntf was set during the report
};

class TReportRecorder
{
public:
    explicit TReportRecorder(INetworkDeviceFinder &finder, bool cancelOnReport = false)
    {
        finder.SetOnSearchResult([this, cancelOnReport](INetworkDeviceFinder *sender, TSearchResultState state,
                                                        bool &cancel) {
            Reports.push_back({state, sender->UniqueDeviceName(), sender->DeviceIntf() != nullptr});
            if (cancelOnReport)
                cancel = true;
        });
    }
    std::vector<TReport> Reports;

    int Count(TSearchResultState state, const QString &udn = {}) const
    {
        int count = 0;
        for (const TReport &report : Reports)
            count += report.State == state && (udn.isEmpty() || report.UniqueDeviceName == udn);
        return count;
    }
    int CountDevice(const QString &udn) const { return Count(srsNotMatchingItem, udn) + Count(srsMatchingItem, udn); }
};
