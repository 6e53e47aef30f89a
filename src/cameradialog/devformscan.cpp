#include "cameradialog/devformscan.h"

#include "cameradialog/catalogue.h"
#include "cameradialog/newcapturedevice.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// Selects the item equal to text (whole text, case-insensitive; none when absent) without running the
// list's own change handler, which the caller runs itself.
void SelectQuietly(QComboBox &list, const QString &text)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    const QSignalBlocker quiet(list);
    list.setCurrentIndex(IndexOfText(items, text));
}

} // namespace

TDevFormLanScan::TDevFormLanScan(TDevForm &form, std::shared_ptr<INetworkDeviceFinder> finder)
    : m_form(form), m_scan(*this, std::move(finder))
{
}

int TDevFormLanScan::CatalogueCount() const { return int(m_form.Catalogue().size()); }
QString TDevFormLanScan::CatalogueBrand(int index) const { return m_form.Catalogue()[index].Brand; }
QStringList TDevFormLanScan::CatalogueModels(int index) const { return m_form.Catalogue()[index].Models; }

void TDevFormLanScan::ApplyFoundCamera(const TFoundIPCam &camera)
{
    SelectQuietly(*m_form.cmbBrands, camera.Brand);
    m_form.cmbBrandsChange();
    SelectQuietly(*m_form.cmbModels, camera.Model);
    m_form.cmbModelsChange();
    m_form.edIP->setText(camera.IP);
    m_form.strUniqueDeviceName = camera.UniqueDeviceName;
}
