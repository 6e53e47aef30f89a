// "Scan Local Network..." in the camera dialog: the simulated camera announcing itself on loopback is
// offered in the chooser, and the chosen one lands in the dialog's brand, model, address and device name.
#include "cameradialog/newcapturedevice.h"
#include "scriptedprompts.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"

#include "camsimprocess.h"
#include "chooseranswer.h"
#include "devformhelpers.h"
#include "upnptesthelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QByteArray CatalogueWithSimulator = "<IPCameras>\n"
    "  <Manufacturer name=\"Acme\">\n"
    "    <url version=\"A1\" Source=\"JPEG\" url=\"a1.jpg\" />\n"
    "  </Manufacturer>\n"
    "  <Manufacturer name=\"Ostrivo\">\n"
    "    <url version=\"Camera Simulator\" Source=\"MJPEG\" url=\"video.mjpg\" />\n"
    "  </Manufacturer>\n"
    "</IPCameras>\n";

} // namespace

class TestDevFormScan : public QObject
{
    Q_OBJECT

private slots:
    void chosenCameraFillsTheDialog()
    {
        TServices services;
        TProgramFolder folder(CatalogueWithSimulator);
        TScriptedPrompts prompts;
        TSettingsCounter settings;
        TDevForm form(&settings);
        form.ClearCameraControls();
        form.edPort->setText("8080"); // kept: the scan gives the address only

        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TChooserAnswer answer([](const QStringList &lines) { return lines.isEmpty() ? -1 : 0; });

        form.btnScanLAN->click();
        QTRY_VERIFY_WITH_TIMEOUT(!answer.Shown.isEmpty(), 10000);
        QCOMPARE(answer.Shown.first(), QStringList{"Ostrivo Camera Simulator (IP: 127.0.0.1)"});
        QTRY_COMPARE(form.edIP->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(form.cmbBrands->currentText(), QStringLiteral("Ostrivo"));
        QCOMPARE(form.cmbModels->currentText(), QStringLiteral("Camera Simulator"));
        QCOMPARE(form.strUniqueDeviceName, udn);
        QCOMPARE(form.edPort->text(), QStringLiteral("8080"));
    }
};

QTEST_MAIN(TestDevFormScan)
#include "tst_devformscan.moc"
