// "Scan Local Network..." with the camera simulator announcing itself on loopback: the catalogue match,
// the chooser, applying the choice, restarting a scan, and the two messages. Also the address and name
// rules the scan and the refresh share.
#include "chooseranswer.h"
#include "scriptedprompts.h"
#include "upnptesthelpers.h"
#include "cameradialog/chouseipcam.h"
#include "cameradialog/founddevice.h"
#include "cameradialog/lanscan.h"
#include "core/prompts.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>

namespace {

class THost : public ILanScanHost
{
public:
    QList<std::pair<QString, QStringList>> Catalogue;
    QList<TFoundIPCam> Applied;

    int CatalogueCount() const override { return int(Catalogue.size()); }
    QString CatalogueBrand(int index) const override { return Catalogue[index].first; }
    QStringList CatalogueModels(int index) const override { return Catalogue[index].second; }
    void ApplyFoundCamera(const TFoundIPCam &camera) override { Applied << camera; }
};

int RowOf(const QStringList &lines, const QString &line) { return int(lines.indexOf(line)); }

const QString NotFound = QStringLiteral("IP Cameras not found. If you connected the camera recently, please run "
                                        "scanning again after 1 minute. Otherwise specify brand, model and IP "
                                        "address manually.");

} // namespace

class TestLanScan : public QObject
{
    Q_OBJECT

    THost m_host;

    static int MessagesWith(const TScriptedPrompts &prompts, const QString &text)
    {
        int count = 0;
        for (const auto &entry : prompts.log)
            count += entry.call == "Message" && entry.text.startsWith(text);
        return count;
    }

private slots:
    void init()
    {
        m_host = THost();
        m_host.Catalogue = {{"Acme", {"DomeCam"}}, {"Ostrivo", {"Camera Simulator", "Camera Simulator (JPEG snapshots)"}}};
    }

    void addressFromTheModelURL()
    {
        QCOMPARE(FoundDeviceAddress("http://192.168.1.20/"), QString("192.168.1.20"));
        QCOMPARE(FoundDeviceAddress("http://192.168.1.20:8080/"), QString("192.168.1.20:8080"));
        QCOMPARE(FoundDeviceAddress("http://10.0.0.5/cam/index.html"), QString("10.0.0.5camindex.html"));
        QCOMPARE(FoundDeviceAddress("HTTP://10.0.0.5/"), QString("HTTP:10.0.0.5")); // case-sensitive removal
        QCOMPARE(FoundDeviceAddress("https://10.0.0.5/"), QString("https:10.0.0.5"));
        QCOMPARE(FoundDeviceAddress(""), QString(""));
    }

    void catalogueNamesIgnoreBlanksControlsAndAsciiCase()
    {
        QVERIFY(SameCatalogueName("  OSTRIVO \t", "Ostrivo"));
        QVERIFY(SameCatalogueName("\r\nCamera simulator\x01", " camera SIMULATOR "));
        QVERIFY(SameCatalogueName("", "   "));
        QVERIFY(!SameCatalogueName("Ostrivo Cam", "Ostrivo"));
        QVERIFY(!SameCatalogueName("Ostr ivo", "Ostrivo")); // inner blanks count
        QVERIFY(!SameCatalogueName(QString::fromUtf8("KAMERA\u00C4"), QString::fromUtf8("kamera\u00E4"))); // ASCII only
        QVERIFY(SameCatalogueName(QString::fromUtf8("\u00C4xis"), QString::fromUtf8("\u00C4XIS")));
    }

    void theSimulatorIsListedAndChoosingItFillsTheDialog()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TLanCameraScan scan(m_host);
        TChooserAnswer answer([](const QStringList &lines) {
            return RowOf(lines, "Ostrivo Camera Simulator (IP: 127.0.0.1)");
        });
        TScriptedPrompts prompts;
        scan.ScanLocalNetwork();
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(answer.Shown.size(), 1, 8000);
        QCOMPARE(answer.Shown[0], QStringList{"Ostrivo Camera Simulator (IP: 127.0.0.1)"});
        QCOMPARE(answer.Title, QString("Choose IP Camera"));
        QVERIFY(answer.FirstSelected);
        QVERIFY(!answer.BusyWhileShown);
        QTRY_COMPARE(m_host.Applied.size(), 1);
        QCOMPARE(m_host.Applied[0].Brand, QString("Ostrivo"));
        QCOMPARE(m_host.Applied[0].Model, QString("Camera Simulator"));
        QCOMPARE(m_host.Applied[0].IP, QString("127.0.0.1"));
        QCOMPARE(m_host.Applied[0].UniqueDeviceName, udn);
        QVERIFY(prompts.log.isEmpty());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void aManufacturerInOtherCaseAndBlanksIsFoundOncePerCatalogueEntry()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn, {"--manufacturer", "  oSTRIVO\t", "--model-url", "http://127.0.0.1:8081/"}));
        m_host.Catalogue.append(std::pair<QString, QStringList>("OSTRIVO", {"camera simulator"})); // a brand listed twice
        TLanCameraScan scan(m_host);
        TChooserAnswer answer([](const QStringList &) { return -1; });
        scan.ScanLocalNetwork();
        QTRY_COMPARE_WITH_TIMEOUT(answer.Shown.size(), 1, 8000);
        QCOMPARE(answer.Shown[0], QStringList({"Ostrivo Camera Simulator (IP: 127.0.0.1:8081)",
                                               "OSTRIVO camera simulator (IP: 127.0.0.1:8081)"}));
        // Cancel changes nothing in the dialog; the found cameras stay until the next scan.
        QTest::qWait(100);
        QVERIFY(m_host.Applied.isEmpty());
        QCOMPARE(scan.FoundUniqueDeviceNames, QStringList({udn, udn}));
        QCOMPARE(scan.FoundIPCamModels, QStringList({"Camera Simulator", "camera simulator"}));
    }

    void aSecondScanCancelsTheFirst()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TLanCameraScan scan(m_host);
        TChooserAnswer answer([](const QStringList &) { return 0; });
        scan.ScanLocalNetwork();
        QTRY_COMPARE_WITH_TIMEOUT(scan.FoundUniqueDeviceNames.size(), 1, 5000); // the first search found it
        scan.ScanLocalNetwork();
        QVERIFY(scan.FoundUniqueDeviceNames.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(answer.Shown.size(), 1, 8000);
        QCOMPARE(answer.Shown[0], QStringList{"Ostrivo Camera Simulator (IP: 127.0.0.1)"});
        QTest::qWait(1500); // the first search's completion never comes
        QCOMPARE(answer.Shown.size(), 1);
        QCOMPARE(m_host.Applied.size(), 1);
        QCOMPARE(m_host.Applied[0].UniqueDeviceName, udn);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void noCatalogueMatchSaysNotFound()
    {
        TCamSim camsim;
        QVERIFY(StartUPnPCamSim(camsim, FreshUniqueDeviceName(), {"--manufacturer", "Ostrivo Labs"}));
        TLanCameraScan scan(m_host);
        TChooserAnswer answer([](const QStringList &) { return 0; });
        TScriptedPrompts prompts;
        scan.ScanLocalNetwork();
        QTRY_COMPARE_WITH_TIMEOUT(MessagesWith(prompts, NotFound), 1, 8000);
        QCOMPARE(prompts.log.size(), 1);
        QVERIFY(answer.Shown.isEmpty());
        QVERIFY(m_host.Applied.isEmpty());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void aSearchThatCannotStartSaysSearchFailed()
    {
        qputenv("OSTRIVO_UPNP_INTERFACE", "ostrivo-none0");
        TLanCameraScan scan(m_host);
        TScriptedPrompts prompts;
        scan.ScanLocalNetwork();
        qputenv("OSTRIVO_UPNP_INTERFACE", "lo");
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].text, "Search failed. " + scan.Finder().ErrMsg());
        QVERIFY2(scan.Finder().ErrMsg().contains("ostrivo-none0"), qPrintable(scan.Finder().ErrMsg()));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(TestLanScan)
#include "tst_lanscan.moc"
