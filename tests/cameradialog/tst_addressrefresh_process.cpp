// End to end with the real program: a stored camera carries the simulator's unique device name but an
// address where nothing listens; the simulator announces itself on loopback. Within a few reconnection
// ticks the camera shows its picture, and after SIGTERM the camera list file holds the new address.
#include "camsimprocess.h"
#include "fixedcells.h"
#include "outputwatch.h"
#include "programprocess.h"
#include "upnptesthelpers.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/settingsfile.h"

#include <QtTest>

#include <csignal>

class TestAddressRefreshProcess : public QObject
{
    Q_OBJECT
private slots:
    void aMovedCameraIsFoundAgainAndItsAddressSaved()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));

        QTemporaryDir home;
        const QString data = home.path() + "/.local/share/Ostrivo";
        QVERIFY(QDir().mkpath(data));
        App().DataFolder = data;
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = "Moved";
        camera->ActualName = "Ostrivo*Camera Simulator";
        camera->ipcam_IP = "127.0.0.9"; // nothing listens there
        camera->ipcam_Port = QString::number(camsim.Port());
        camera->ipcam_URL = "video.mjpg";
        camera->ipcam_UniqueDeviceName = udn;
        camera->detector_Sensitivity = 5;
        camera->recording_SnapshotQuality = 10;
        App().Cameras.push_back(std::move(camera));
        TFixedCells cells(1, 1);
        cells.Cells = {{0, 0}};
        QVERIFY(SaveCameras(cells));
        App().Cameras.clear();
        SetDefaultSettings();
        App().GlobalSettings.ReconnectCameraIfDown = true;
        App().GlobalSettings.ReconnectionInterval_sec = 1;
        QFile settings(data + "/set.dat");
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(EncodeSettings(App().GlobalSettings));
        settings.close();

        QProcessEnvironment env = SandboxedProgramEnvironment(home.path());
        QCOMPARE(env.value("OSTRIVO_UPNP_INTERFACE"), QString("lo"));
        env.insert("QT_LOGGING_RULES", "ostrivo.camera.info=true");
        QProcess process;
        QVERIFY(StartHiddenProgram(process, env));
        TOutputWatch output(process);
        QVERIFY(output.WaitFor("camera Moved down", 6000));
        QVERIFY(output.WaitFor("camera Moved live", 20000));

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(LoadCameras(cells));
        QCOMPARE(App().Cameras.size(), size_t(1));
        QCOMPARE(App().Cameras[0]->ipcam_IP, QString("127.0.0.1"));
        QCOMPARE(App().Cameras[0]->ipcam_UniqueDeviceName, udn);
        QCOMPARE(App().Cameras[0]->ipcam_Port, QString::number(camsim.Port()));
        App().Cameras.clear();
    }
};

QTEST_GUILESS_MAIN(TestAddressRefreshProcess)
#include "tst_addressrefresh_process.moc"
