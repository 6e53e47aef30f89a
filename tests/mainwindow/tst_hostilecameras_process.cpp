// The real program with a camera list of misbehaving cameras (tests/support/hostilecam.py): it keeps
// running, its memory stays bounded, and a termination signal ends it promptly.
#include "cameralistfile.h"
#include "hostilecamprocess.h"
#include "programprocess.h"
#include "sanitizers.h"

#include <QtTest>

#include <csignal>

namespace {

qint64 ResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

class TestHostileCamerasProcess : public QObject
{
    Q_OBJECT
private slots:
    void programSurvivesHostileCameras()
    {
        THostileCamera server;
        QVERIFY(server.Started());
        const QString port = QString::number(server.Port());

        QTemporaryDir home;
        const QString data = home.path() + "/.local/share/Ostrivo";
        QVERIFY(QDir().mkpath(data));
        const QStringList modes{"garbage", "endless-header", "endless-part", "huge-length", "reset", "slowloris"};
        QVERIFY(!WriteCameraList(data, int(modes.size()), [&](TCamera &camera, int k) {
                     camera.CustomTitle = modes[k];
                     camera.ipcam_IP = "127.0.0.1";
                     camera.ipcam_Port = port;
                     camera.ipcam_URL = modes[k];
                 }).isEmpty());

        QProcess program;
        QVERIFY(StartHiddenProgram(program, SandboxedProgramEnvironment(home.path())));
        QByteArray err;
        QDeadlineTimer started(15000);
        while (!err.contains("Ostrivo is started and configured") && !started.hasExpired()
               && program.state() == QProcess::Running) {
            program.waitForReadyRead(100);
            err += program.readAllStandardError();
        }
        QVERIFY2(err.contains("Ostrivo is started and configured"), err.constData());
        const qint64 atStart = ResidentKb(program.processId());

        // The first reconnection tick (3 s) connects every camera; then they misbehave for a while.
        qint64 most = atStart;
        for (int second = 0; second < 9; ++second) {
            program.waitForFinished(1000);
            QCOMPARE(program.state(), QProcess::Running);
            most = std::max(most, ResidentKb(program.processId()));
        }
        program.readAllStandardError();
        qInfo("resident memory: %lld MB at start, at most %lld MB", atStart >> 10, most >> 10);
        QVERIFY(!ResidentMemoryBoundsHold || most - atStart < 160 * 1024);

        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(3000));
        qInfo("ended %lld ms after the signal", qint64(clock.elapsed()));
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHostileCamerasProcess)
#include "tst_hostilecameras_process.moc"
