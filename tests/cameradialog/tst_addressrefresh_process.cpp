// End to end with the real program: a stored camera carries the simulator's unique device name but an
// address where nothing listens; the simulator announces itself on loopback. Within a few reconnection
// ticks the camera shows its picture, and after SIGTERM the camera list file holds the new address.
#include "core/services.h"

#include "processoutput.h"
#include "programconfig.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "upnptesthelpers.h"

#include <QtTest>

#include <csignal>

class TestAddressRefreshProcess : public QObject
{
    Q_OBJECT
private slots:
    void aMovedCameraIsFoundAgainAndItsAddressSaved()
    {
        TServices services;  // the configuration written and read back here goes with it
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));

        const QString home = SandboxHome() + "/e2e";
        const QString data = home + "/.local/share/Ostrivo";
        QVERIFY(QDir().mkpath(data));
        BeginProgramConfiguration(data, home);
        TCamera &camera = AddSimulatorCamera("Moved", camsim.Port());
        camera.ipcam_IP = "127.0.0.9"; // nothing listens there
        camera.ipcam_UniqueDeviceName = udn;
        App().GlobalSettings.ReconnectCameraIfDown = true;
        App().GlobalSettings.ReconnectionInterval_sec = 1;
        QVERIFY(SaveProgramConfiguration());

        QProcessEnvironment env = SandboxedProgramEnvironment(home);
        QCOMPARE(env.value("OSTRIVO_UPNP_INTERFACE"), QString("lo"));
        env.insert("QT_LOGGING_RULES", "ostrivo.camera.info=true");
        QProcess process;
        QVERIFY(StartHiddenProgram(process, env));
        TOutput log{process, QProcess::StandardError, {}};
        QVERIFY2(log.WaitFor("camera Moved down", 8000), log.text.constData());
        QVERIFY2(log.WaitFor("camera Moved live", 20000), log.text.constData());

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
        App().Cameras.clear();
        App().DataFolder = data;
        TOneCellHost cells;
        QVERIFY(LoadCameras(cells));
        QCOMPARE(App().Cameras.size(), size_t(1));
        QCOMPARE(App().Cameras[0]->ipcam_IP, QString("127.0.0.1"));
        QCOMPARE(App().Cameras[0]->ipcam_UniqueDeviceName, udn);
        QCOMPARE(App().Cameras[0]->ipcam_Port, QString::number(camsim.Port()));
    }
};

QTEST_GUILESS_MAIN(TestAddressRefreshProcess)
#include "tst_addressrefresh_process.moc"
