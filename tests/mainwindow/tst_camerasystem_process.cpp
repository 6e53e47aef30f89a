// The real program with a stored camera list: two simulator cameras and one on a closed port come up
// headless, a lost camera comes back at a reconnection tick, and shutdown writes the list back unchanged.
#include "programprocess.h"
#include "camsimprocess.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/settingsfile.h"
#include "testpaths.h"

#include <QTcpServer>
#include <QtTest>

#include <csignal>

namespace {

// The cells the test gives its cameras, in a 3 x 2 grid.
struct TFixedCells : TCameraListHost
{
    std::vector<std::pair<int, int>> Cells;
    int GridColumns() const override { return 3; }
    int GridRows() const override { return 2; }
    void RealignGrid(int, int) override {}
    bool IsCellFree(int, int) const override { return true; }
    bool FirstFreeCell(int &, int &) const override { return false; }
    void CreateCamera(TCamera &, int, int) override {}
    bool CameraCell(const TCamera &camera, int &col, int &row) const override
    {
        for (size_t i = 0; i < App().Cameras.size(); ++i)
            if (App().Cameras[i].get() == &camera) {
                std::tie(col, row) = Cells[i];
                return true;
            }
        return false;
    }
};

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

// Reads the program's error output until a line ends with the text.
class TOutputWatch
{
public:
    explicit TOutputWatch(QProcess &process) : m_process(process) {}
    // Waits until a line read since the mark ends with the text.
    bool WaitFor(const QString &text, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            m_buffer += m_process.readAllStandardError();
            qsizetype end;
            while ((end = m_buffer.indexOf('\n')) >= 0) {
                m_lines << QString::fromUtf8(m_buffer.left(end)).trimmed();
                m_buffer.remove(0, end + 1);
            }
            for (qsizetype i = m_mark; i < m_lines.size(); ++i)
                if (m_lines[i].endsWith(text))
                    return true;
            if (deadline.hasExpired() || m_process.state() != QProcess::Running)
                return false;
            m_process.waitForReadyRead(50);
        }
    }
    void Mark() { m_mark = m_lines.size(); }
    // The states a camera has been seen in so far.
    QStringList States(const QString &title) const
    {
        QStringList states;
        for (const QString &line : m_lines.filter("camera " + title + " "))
            states << line.section(' ', -1);
        return states;
    }

private:
    QProcess &m_process;
    QByteArray m_buffer;
    QStringList m_lines;
    qsizetype m_mark = 0;
};

} // namespace

class TestCameraSystemProcess : public QObject
{
    Q_OBJECT
private slots:
    void storedCamerasComeUpReconnectAndAreWrittenBack()
    {
        const QString program = BuiltFile(QStringLiteral("ostrivo"));
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
        TFixedCells cells;
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
        // Reported down once the 5 s in which the camera is tried again by itself have passed.
        QVERIFY(output.WaitFor("camera Alpha down", 9000));
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
