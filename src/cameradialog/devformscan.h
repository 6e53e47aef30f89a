#pragma once
// Joins the local network scan to the camera dialog: the scan matches against the dialog's catalogue, and
// a chosen camera lands in the dialog's brand and model lists (with their change handlers run), its address
// field and its unique device name. Port, user name and password stay as they are.
#include "cameradialog/lanscan.h"

class TDevForm;

class TDevFormLanScan : public ILanScanHost
{
public:
    explicit TDevFormLanScan(TDevForm &form, std::shared_ptr<INetworkDeviceFinder> finder = {});

    // "Scan Local Network..."
    void ScanLocalNetwork() { m_scan.ScanLocalNetwork(); }
    TLanCameraScan &Scan() { return m_scan; }

    int CatalogueCount() const override;
    QString CatalogueBrand(int index) const override;
    QStringList CatalogueModels(int index) const override;
    void ApplyFoundCamera(const TFoundIPCam &camera) override;

private:
    TDevForm &m_form;
    TLanCameraScan m_scan;
};
