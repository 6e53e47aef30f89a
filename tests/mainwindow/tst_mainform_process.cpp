// The real program, started headless with an empty home: start-up output and folders, and the end by a
// termination signal.
#include "programprocess.h"
#include "testpaths.h"
#include <QtTest>

#include <csignal>

class TestMainFormProcess : public QObject
{
    Q_OBJECT
private slots:
    void hiddenFreshStartEndsCleanlyOnSignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void hiddenFreshStartEndsCleanlyOnSignal()
    {
        QFETCH(int, signal);
        const QString program = BuiltFile(QStringLiteral("ostrivo"));
        QVERIFY2(QFileInfo(program).isExecutable(), "build the ostrivo target first");

        QTemporaryDir home;
        QProcessEnvironment env = SandboxedProgramEnvironment(home.path());
        QProcess process;
        QVERIFY(StartHiddenProgram(process, env));

        const QString started = "Ostrivo is started and configured";
        QByteArray err;
        QDeadlineTimer deadline(15000);
        while (!err.contains(started.toUtf8()) && !deadline.hasExpired() && process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            err += process.readAllStandardError();
        }
        const QStringList lines = QString::fromUtf8(err).split('\n');
        QCOMPARE(lines.filter(started).size(), 1);
        QVERIFY(lines.filter(started).first().trimmed().endsWith(started));

        const QString data = home.path() + "/.local/share/Ostrivo";
        QVERIFY(QFileInfo(data + "/snapshots_video").isDir());
        QVERIFY(!QFile::exists(data + "/set.dat"));
        QVERIFY(!QFile::exists(data + "/cam.dat"));

        QElapsedTimer elapsed;
        elapsed.start();
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(2000));
        QVERIFY(elapsed.elapsed() < 2000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        QFile camDat(data + "/cam.dat");
        QVERIFY(camDat.open(QIODevice::ReadOnly));
        QCOMPARE(camDat.readAll(), QByteArray::fromHex("0a000000" "02000000" "02000000" "00000000"));
        QVERIFY(!QFile::exists(data + "/set.dat"));
    }
};

QTEST_GUILESS_MAIN(TestMainFormProcess)
#include "tst_mainform_process.moc"
