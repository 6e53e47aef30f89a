// Saving to a file system that has no room left: the camera list, the settings and stills keep the previous
// file (or leave none), and the failure is reported. Runs on a small tmpfs, which needs the right to mount
// (root, as on the test machines); without it the test is skipped.
#include "capture/capturecomponent.h"
#include "capture/jpegencoder.h"
#include "core/camerafile.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/safefile.h"
#include "core/settingsfile.h"

#include "cameralistfile.h"
#include "freshservices.h"
#include "programprocess.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList g_logLines;
void CaptureLog(QtMsgType, const QMessageLogContext &, const QString &message) { g_logLines.append(message); }

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    QTemporaryDir m_mountPoint;
    bool m_mounted = false;

    QString Dir() const { return m_mountPoint.path(); }
    QString Filler() const { return Dir() + "/filler"; }

    // Takes every free byte of the file system.
    void FillUp()
    {
        QFile filler(Filler());
        QVERIFY(filler.open(QIODevice::Append | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }
    void MakeRoom() { QVERIFY(QFile::remove(Filler())); }
    QStringList Files() const { return QDir(Dir()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_mountPoint.isValid());
        m_mounted = Run("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", Dir()});
        if (!m_mounted)
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
    }
    void cleanupTestCase()
    {
        if (m_mounted)
            Run("umount", {Dir()});
    }
    void init()
    {
        m_services.Renew();
        App().DataFolder = Dir();
        for (const QString &name : Files())
            QFile::remove(Dir() + '/' + name);
        g_logLines.clear();
    }
    void cleanup() { m_services.End(); }

    void savesKeepThePreviousFileAndReport()
    {
        qInstallMessageHandler(CaptureLog);
        TScriptedPrompts prompts;
        TFixedGridHost host;
        App().Cameras.push_back(std::make_unique<TCamera>());
        App().Cameras.back()->CustomTitle = "Gate";
        App().GlobalSettings.SMS_Username = "before";
        QVERIFY(SaveCameras(host) && SaveSettings());
        const QByteArray cameras = ReadAll(CameraFilePath()), settings = ReadAll(SettingsFilePath());

        FillUp();
        App().Cameras.push_back(std::make_unique<TCamera>());
        App().GlobalSettings.SMS_Username = "after";
        QVERIFY(!SaveCameras(host));
        QVERIFY(!SaveSettings());
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        TJpegEncoder encoder;
        QVERIFY(!encoder.EncodeToFile(picture, 80, Dir() + "/still.jpg"));
        QVERIFY(!encoder.LastError().isEmpty());
        qInstallMessageHandler(nullptr);

        // The old files whole, no still and no temporary file left behind.
        QCOMPARE(ReadAll(CameraFilePath()), cameras);
        QCOMPARE(ReadAll(SettingsFilePath()), settings);
        QCOMPARE(Files(), (QStringList{"cam.dat", "filler", "set.dat"}));
        QCOMPARE(prompts.log.size(), 2);
        QVERIFY(prompts.log[0].text.startsWith("Could not save settings. Please check the possibility to write to file "));
        QVERIFY(prompts.log[0].text.endsWith("cam.dat"));
        QVERIFY(prompts.log[1].text.endsWith("set.dat"));
        QCOMPARE(g_logLines.filter("ERROR: Could not save settings").size(), 2);

        MakeRoom();
        QVERIFY(SaveCameras(host) && SaveSettings());
        QVERIFY(ReadAll(CameraFilePath()).size() > cameras.size());
        QVERIFY(encoder.EncodeToFile(picture, 80, Dir() + "/still.jpg"));
    }

    // A recording that cannot be written says so once however often it is tried again, leaves no growing
    // pile of files, and works again once there is room.
    void recordingOnAFullDiskFailsVisiblyAndRecovers()
    {
        TAdvancedCaptureComponent c;
        c.SetVideoSource(vs_JPEGsOrBitmaps);
        c.SetStoragePath(Dir());
        c.SetAutoFilePrefix("Cam_");
        c.SetCompressionMode(cm_NoCompression);  // large frames: the disk is full at once
        QStringList log;
        c.OnLog = [&](TCaptureComponent *, const QString &text) { log.append(text); };
        c.StartPreview();
        QImage picture(160, 120, QImage::Format_RGB32);  // 57 kB a frame, beyond the writer's buffer
        qint64 time = 0;
        const auto push = [&](int frames) {
            for (int i = 0; i < frames; ++i) {
                picture.fill(QColor::fromHsv((i * 40) % 360, 200, 200));
                QVERIFY(QTest::qWaitFor([&] { return c.PushFrame(picture, time += 1000000); }, 5000));
            }
            QTest::qWait(100);
        };
        push(3);
        FillUp();
        for (int attempt = 0; attempt < 4; ++attempt) {
            if (attempt == 0 || c.RecordingFailed())
                c.StartRecording();
            push(3);
            QVERIFY(c.RecordingFailed());
        }
        QTRY_COMPARE(log.size(), 1);
        QVERIFY2(log[0].contains("No space left on device"), qPrintable(log[0]));

        MakeRoom();
        QVERIFY(c.StartRecording());
        push(3);
        QVERIFY(!c.RecordingFailed());
        c.StopRecording();
        QCOMPARE(log.size(), 1);
        // The working recording's file holds its frames; the failed tries left no empty files behind.
        const QFileInfoList files = QDir(Dir()).entryInfoList({"Cam_*.avi"}, QDir::Files);
        QVERIFY(!files.isEmpty() && files.size() <= 2);
        QVERIFY(files.last().size() > 100 * 1000);
        for (const QFileInfo &file : files)
            QVERIFY(file.size() > 0);
    }

    void damagedFileIsKeptEvenWhenNoCopyFits()
    {
        QFile damaged(CameraFilePath());
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(6000, 'x'));
        damaged.close();
        FillUp();
        const QString kept = KeepDamagedFile(CameraFilePath());
        QVERIFY(kept.contains("cam.dat.damaged-"));
        QCOMPARE(ReadAll(kept), QByteArray(6000, 'x')); // renamed, as a copy had no room
        MakeRoom();
    }

    // The program told to end while its data folder is full: cam.dat as it was, the failure on stderr.
    void programEndingOnAFullDiskKeepsTheCameraList()
    {
        const QString data = Dir() + "/.local/share/Ostrivo";
        QVERIFY(QDir().mkpath(data));
        const QByteArray cameras = WriteCameraList(data, 3, [](TCamera &camera, int k) {
            camera.CustomTitle = QStringLiteral("Camera %1").arg(k);
            camera.ipcam_IP = "127.0.0.1"; // a closed port: never connects
            camera.ipcam_Port = "1";
        });
        QVERIFY(!cameras.isEmpty());

        QProcess process;
        QVERIFY(StartHiddenProgram(process, SandboxedProgramEnvironment(Dir())));
        QByteArray err;
        QDeadlineTimer deadline(15000);
        while (!err.contains("Ostrivo is started and configured") && !deadline.hasExpired()
               && process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            err += process.readAllStandardError();
        }
        QVERIFY2(err.contains("Ostrivo is started and configured"), err.constData());
        FillUp();
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(5000));
        err += process.readAllStandardError();
        MakeRoom();
        QCOMPARE(ReadAll(data + "/cam.dat"), cameras);
        QVERIFY2(err.contains("ERROR: Could not save settings. Please check the possibility to write to file "),
                 err.constData());
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
