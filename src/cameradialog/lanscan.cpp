#include "cameradialog/lanscan.h"

#include "cameradialog/chouseipcam.h"
#include "cameradialog/founddevice.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/translation.h"

#include <QGuiApplication>
#include <QListWidget>

TLanCameraScan::TLanCameraScan(ILanScanHost &host, std::shared_ptr<INetworkDeviceFinder> finder)
    : m_host(host), FNetworkDeviceFinder(finder ? std::move(finder) : std::make_shared<TNetworkDeviceFinder>()),
      m_chooser(std::make_unique<TChooseIPCamForm>())
{
    FNetworkDeviceFinder->SetOnSearchResult(
        [this](INetworkDeviceFinder *sender, TSearchResultState state, bool &cancel) {
            NetworkDeviceFinderSearchResult(sender, state, cancel);
        });
}

TLanCameraScan::~TLanCameraScan()
{
    FNetworkDeviceFinder->CancelSearchAsync();
    FNetworkDeviceFinder->SetOnSearchResult({});
    SetBusyCursor(false);
}

void TLanCameraScan::SetBusyCursor(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TLanCameraScan::ScanLocalNetwork()
{
    for (QStringList *list : {&FoundIPCamBrands, &FoundIPCamModels, &FoundIPs, &FoundUniqueDeviceNames})
        list->clear();
    // An empty key matches no device: every device is reported and the search ends with "not found".
    if (FNetworkDeviceFinder->StartSearchAsync(ndfwFriendlyName, QString())) {
        SetBusyCursor(true);
        return;
    }
    SetBusyCursor(false);
    Prompts().Message(TPromptKind::Error, ApplicationTitle,
                      Translate(QStringLiteral("Search failed. ")) + FNetworkDeviceFinder->ErrMsg());
}

void TLanCameraScan::NetworkDeviceFinderSearchResult(INetworkDeviceFinder *Sender, TSearchResultState State, bool &)
{
    // The completion report carries no device.
    if (State != srsNotFound) {
        const QString address = FoundDeviceAddress(Sender->ModelURL());
        for (int i = 0; i < m_host.CatalogueCount(); ++i) {
            const QString brand = m_host.CatalogueBrand(i);
            if (!SameCatalogueName(Sender->ManufacturerName(), brand))
                continue;
            for (const QString &model : m_host.CatalogueModels(i))
                if (SameCatalogueName(Sender->ModelName(), model)) {
                    FoundIPCamBrands << brand;
                    FoundIPCamModels << model;
                    FoundIPs << address;
                    FoundUniqueDeviceNames << Sender->UniqueDeviceName();
                }
        }
    }
    if (State == srsNotMatchingItem)
        return;

    SetBusyCursor(false);
    if (FoundIPs.isEmpty()) {
        Prompts().Message(TPromptKind::Information, ApplicationTitle,
                          Translate(QStringLiteral(
                              "IP Cameras not found. If you connected the camera recently, please run scanning again "
                              "after 1 minute. Otherwise specify brand, model and IP address manually.")));
        return;
    }
    m_chooser->ListBox1->clear();
    for (qsizetype i = 0; i < FoundIPs.size(); ++i)
        m_chooser->ListBox1->addItem(FoundIPCamBrands[i] + QStringLiteral(" ") + FoundIPCamModels[i]
                                     + QStringLiteral(" (IP: ") + FoundIPs[i] + QStringLiteral(")"));
    m_chooser->ListBox1->setCurrentRow(0);
    const int chosen = m_chooser->ShowModal();
    // Devices reported while the chooser was open were appended after its lines.
    if (chosen < 0 || chosen >= FoundIPs.size())
        return;
    m_host.ApplyFoundCamera({FoundIPCamBrands[chosen], FoundIPCamModels[chosen], FoundIPs[chosen],
                             FoundUniqueDeviceNames[chosen]});
}
