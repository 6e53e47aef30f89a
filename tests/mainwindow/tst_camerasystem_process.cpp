// The real program with a stored camera list: two simulator cameras and one on a closed port come up
// headless, a lost camera comes back at a reconnection tick, and shutdown writes the list back unchanged.
#include "programprocess.h"
#include "camsimprocess.h"
#include "fixedcells.h"
#include "outputwatch.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/settingsfile.h"

#include <QTcpServer>
#include <QtTest>

#include <csignal>

namespace {

std::unique_ptr<TCamera> SimulatorCamera(const QString &title, quint16 port)
{
    auto camera = std::make_unique<TCamera>();
    camera->CustomTitle = title;
    camera->ActualName = "Ostrivo*Camera Simulator";
    camera->ipcam_IP = "127.0.0.1";
    camera->ipcam_Port = QString::number(port);
    camera->ipcam_URL = "video.mjpg";
    camera->detector_Sensitivity = 5;
    camera->recording_SnapshotQuality = 10;
    return camera;
}

quint16 ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort(); // closed again when the server goes
}

} // namespace

class TestCameraSystemProcess : public QObject
{
    Q_OBJECT
private slots:
    void storedCamerasComeUpReconnectAndAreWrittenBack()
    {
        const QString program = QStringLiteral(OSTRIVO_BIN_DIR) + "/ostrivo";
        QVERIFY2(QFileInfo(program).isExecutable(), "build the ostrivo target first");
        TCamSim alpha, beta;
        QVERIFY(alpha.Start());
        QVERIFY(beta.Start());

        QTemporaryDir home;
        const QString data = home.path() + "/.local/share/Ostrivo";
        QVERIFY(QDir().mkpath(data));
        App().DataFolder = data;
        App().Cameras.push_back(SimulatorCamera("Alpha", alpha.Port()));
        App().Cameras.push_back(SimulatorCamera("Beta", beta.Port()));
        App().Cameras.push_back(SimulatorCamera("Gamma", ClosedPort()));
        TFixedCells cells(3, 2);
        cells.Cells = {{2, 1}, {0, 0}, {1, 1}};
        QVERIFY(SaveCameras(cells));
        App().Cameras.clear();
        SetDefaultSettings();
        App().GlobalSettings.ReconnectCameraIfDown = true;
        App().GlobalSettings.ReconnectionInterval_sec = 1;
        QFile settings(data + "/set.dat");
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(EncodeSettings(App().GlobalSettings));
        settings.close();
        QFile camDat(data + "/cam.dat");
        QVERIFY(camDat.open(QIODevice::ReadOnly));
        const QByteArray given = camDat.readAll();
        camDat.close();

        QProcessEnvironment env = SandboxedProgramEnvironment(home.path());
        env.insert("QT_LOGGING_RULES", "ostrivo.camera.info=true");
        QProcess process;
        QVERIFY(StartHiddenProgram(process, env));
        TOutputWatch output(process);

        // The first reconnection tick, 3 s after start-up, starts the pictures.
        QVERIFY(output.WaitFor("camera Alpha live", 5000));
        QVERIFY(output.WaitFor("camera Beta live", 1000));
        QVERIFY(output.States("Gamma").contains("down"));
        QVERIFY(!output.States("Gamma").contains("live"));

        output.Mark();
        alpha.Stop();
        QVERIFY(output.WaitFor("camera Alpha down", 5000));
        output.Mark();
        QVERIFY(alpha.Start());
        QVERIFY(output.WaitFor("camera Alpha live", 5000));
        QCOMPARE(output.States("Beta").last(), QString("live"));
        QVERIFY(!output.States("Gamma").contains("live"));

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(camDat.open(QIODevice::ReadOnly));
        QCOMPARE(camDat.readAll(), given);
    }
};

QTEST_GUILESS_MAIN(TestCameraSystemProcess)
#include "tst_camerasystem_process.moc"
