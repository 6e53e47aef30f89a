// The address refresh through the real reconnection tick and real cameras: the simulator announces itself
// on loopback with a new address for a stored unique device name; only down cameras with that name take it,
// one search serves all down cameras of a tick, and the next tick connects to the new address.
#include "cameradialog/addressrefresh.h"
#include "capture/capturecomponent.h"
#include "core/camera.h"
#include "core/cameratimers.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/timer.h"
#include "platform/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/reconnection.h"
#include "testpaths.h"

#include "freshservices.h"
#include "gridviewplacer.h"
#include "sandboxhome.h"
#include "scriptedprompts.h"
#include "upnptesthelpers.h"

class TestAddressRefresh : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    std::unique_ptr<TScriptedPrompts> m_prompts;
    std::unique_ptr<TAdvancedGridPanel> m_grid;
    TGridViewPlacer m_placer;
    std::shared_ptr<TNetworkDeviceFinder> m_finder;
    std::unique_ptr<TCameraAddressRefresh> m_refresh;
    QStringList m_display;
    TTimer m_timer{1000, true};
    TCameraReconnector m_reconnector;

    TCamera &AddCamera(const QString &title, const QString &ip, quint16 port, const QString &udn)
    {
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = title;
        camera->ipcam_IP = ip;
        camera->ipcam_Port = QString::number(port);
        camera->ipcam_URL = "video.mjpg";
        camera->ipcam_UniqueDeviceName = udn;
        camera->detector_Sensitivity = 5;
        camera->recording_SnapshotQuality = 7;
        App().Cameras.push_back(std::move(camera));
        TCamera &added = *App().Cameras.back();
        GrabberCreate(added, -1, -1);
        GrabberConnect(added);
        return added;
    }
    int Searches() const { return int(m_display.filter("Search started").size()); }
    bool Reported(const QString &udn) const { return !m_display.filter("(" + udn + ")").isEmpty(); }
    // One tick, then until its search (if it started one) is over.
    void TickAndWait()
    {
        m_reconnector.ReconnectTimerTimer(m_timer);
        QTRY_VERIFY_WITH_TIMEOUT(!m_refresh->IPsAreUpdatingNow, 8000);
    }

private slots:
    void initTestCase() { Services().ProgramFolder = TestBinDir(); }

    void init()
    {
        m_services.Renew();
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = SandboxHome();
        App().GlobalSettings.ReconnectCameraIfDown = true;
        m_prompts = std::make_unique<TScriptedPrompts>();
        m_grid = std::make_unique<TAdvancedGridPanel>();
        m_grid->CameraView = [](int index) -> QWidget * { return App().Cameras[size_t(index)]->Grabber; };
        m_placer.Grid = m_grid.get();
        SetCameraViewPlacer(&m_placer);
        m_finder = std::make_shared<TNetworkDeviceFinder>();
        m_finder->SetVerbose(true);
        m_finder->SetOnDisplay([this](INetworkDeviceFinder *, const QString &text) { m_display << text; });
        m_refresh = std::make_unique<TCameraAddressRefresh>(m_finder);
        m_display.clear();
        m_reconnector.LocalNetworkSearch = m_refresh.get();
    }

    void cleanup()
    {
        for (const auto &camera : App().Cameras) {
            DisableAndDrainCameraTimers(*camera);
            GrabberDelete(*camera);
            FreeCameraTimers(*camera);
        }
        App().Cameras.clear();
        m_refresh.reset();
        m_finder.reset();
        SetCameraViewPlacer(nullptr);
        m_grid.reset();
        m_prompts.reset();
        m_services.End();
    }

    void downCamerasOfTheReportedDeviceTakeItsAddress()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        // "localhost" reaches the simulator as well as 127.0.0.1 and tells the new address from the old.
        QVERIFY(StartUPnPCamSim(camsim, udn, {"--model-url", "http://localhost/"}));
        const QString other = FreshUniqueDeviceName();
        TCamera &moved = AddCamera("Moved", "127.0.0.9", camsim.Port(), udn);
        TCamera &live = AddCamera("Live", "127.0.0.1", camsim.Port(), udn);
        TCamera &stranger = AddCamera("Stranger", "127.0.0.9", camsim.Port(), other);
        TCamera &plain = AddCamera("Plain", "127.0.0.9", camsim.Port(), QString());

        // All four start down: one search serves the three with a device name.
        m_reconnector.ReconnectTimerTimer(m_timer);
        QCOMPARE(Searches(), 1);
        QVERIFY(m_refresh->IPsAreUpdatingNow);
        QTRY_COMPARE_WITH_TIMEOUT(live.Grabber->CurrentState(), cs_Preview, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!live.Grabber->LatestFrame().Image.isNull(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_refresh->IPsAreUpdatingNow, 8000);
        QVERIFY(Reported(udn));

        // The device may have answered before the refused connection brought "Moved" down: a few ticks.
        for (int tick = 0; tick < 4 && moved.ipcam_IP != "localhost"; ++tick)
            TickAndWait();
        QCOMPARE(moved.ipcam_IP, QString("localhost"));
        QCOMPARE(live.ipcam_IP, QString("127.0.0.1"));      // not down
        QCOMPARE(stranger.ipcam_IP, QString("127.0.0.9"));  // another device name
        QCOMPARE(plain.ipcam_IP, QString("127.0.0.9"));     // no device name

        // The next tick connects to the new address.
        QTRY_COMPARE_WITH_TIMEOUT(moved.Grabber->CurrentState(), cs_Down, 5000);
        m_reconnector.ReconnectTimerTimer(m_timer);
        QTRY_VERIFY_WITH_TIMEOUT(!moved.Grabber->LatestFrame().Image.isNull(), 5000);
        QCOMPARE(moved.Grabber->CurrentState(), cs_Preview);
    }

    void aDeviceWithoutAnAddressLeavesTheCameraAlone()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn, {"--model-url", "http://"}));
        TCamera &camera = AddCamera("Kept", "127.0.0.9", camsim.Port(), udn);
        for (int tick = 0; tick < 3; ++tick) {
            QTRY_COMPARE_WITH_TIMEOUT(camera.Grabber->CurrentState(), cs_Down, 5000);
            TickAndWait();
        }
        QVERIFY(Reported(udn));
        QCOMPARE(camera.ipcam_IP, QString("127.0.0.9"));
    }

    void aSearchThatCannotStartIsTriedAgainAtALaterTick()
    {
        TCamera &camera = AddCamera("Down", "127.0.0.9", 9, FreshUniqueDeviceName());
        QTRY_COMPARE_WITH_TIMEOUT(camera.Grabber->CurrentState(), cs_Down, 5000);
        qputenv("OSTRIVO_UPNP_INTERFACE", "ostrivo-none0");
        m_reconnector.ReconnectTimerTimer(m_timer);
        qputenv("OSTRIVO_UPNP_INTERFACE", "lo");
        QVERIFY(!m_refresh->IPsAreUpdatingNow);
        QVERIFY(m_prompts->log.isEmpty()); // a refresh shows nothing
        QTRY_COMPARE_WITH_TIMEOUT(camera.Grabber->CurrentState(), cs_Down, 5000);
        m_reconnector.ReconnectTimerTimer(m_timer);
        QVERIFY(m_refresh->IPsAreUpdatingNow);
        QCOMPARE(Searches(), 1);
    }
};

QTEST_MAIN(TestAddressRefresh)
#include "tst_addressrefresh.moc"
