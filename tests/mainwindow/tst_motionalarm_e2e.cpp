// The whole alarm chain in the real program, headless: a camera on the camera simulator with an all-day
// schedule, video and snapshots on. A moving scene gives the alarm lines, a growing recording and
// snapshots; a still scene ends the recording after the continuation time, and the file plays at its
// real length.
#include "camsimprocess.h"
#include "programconfig.h"
#include "processoutput.h"
#include "programprocess.h"
#include "sandboxhome.h"
#include "testpaths.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

const QString Title = QStringLiteral("Porch");
constexpr int ContinuationSec = 3;

qint64 FileSize(const QString &path) { return QFileInfo(path).exists() ? QFileInfo(path).size() : -1; }

// The duration ffprobe reads from the file's header; negative when it cannot read the file.
double ProbedDuration(const QString &path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    if (!probe.waitForFinished(5000) || probe.exitCode() != 0)
        return -1;
    bool ok = false;
    const double seconds = QString::fromUtf8(probe.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace

class TestMotionAlarmEndToEnd : public QObject
{
    Q_OBJECT

    TCamSim m_camsim;
    QProcess m_program;
    QString m_output;

    bool SetMotion(bool on) { return m_camsim.SetMotion(on); }

    // set.dat and cam.dat in the sandbox's data folder.
    void WriteConfiguration(const QString &dataFolder)
    {
        BeginProgramConfiguration(dataFolder, m_output);
        TCamera &c = AddSimulatorCamera(Title, m_camsim.Port());
        c.recording_RecordVideo = true;
        c.recording_ContinueVideoRecordingAfterLastMotion_sec = ContinuationSec;
        c.recording_TakeSnapshots = true;
        c.recording_SnapshotQuality = 8;
        c.recording_TakeSnapshotsInterval_sec = 1;
        c.recording_DurationOfSnapshots_sec = 3;
        QVERIFY(SaveProgramConfiguration());
    }

private slots:
    void cleanup()
    {
        EndProgram(m_program);
        m_camsim.Stop();
    }

    void motionRecordsAndStillnessEndsTheRecording()
    {
        QVERIFY2(QFileInfo(BuiltFile(QStringLiteral("ostrivo"))).isExecutable()
                     && QFileInfo(BuiltFile(QStringLiteral("ostrivo-camsim"))).isExecutable(),
                 "build the ostrivo and ostrivo-camsim targets first");

        QVERIFY(m_camsim.Start({"--fps", "10"}));

        const QString home = SandboxHome() + "/e2e";
        const QString data = home + "/.local/share/Ostrivo";
        m_output = home + "/recordings";
        QVERIFY(QDir().mkpath(data) && QDir().mkpath(m_output));
        WriteConfiguration(data);
        if (QTest::currentTestFailed())
            return;

        QProcessEnvironment env = SandboxedProgramEnvironment(home);
        QVERIFY(StartHiddenProgram(m_program, env));
        TOutput log{m_program, QProcess::StandardError, {}};
        QVERIFY2(log.WaitFor("Ostrivo is started and configured", 15000), log.text.constData());
        if (!log.WaitFor("Monitoring is started on camera " + Title.toUtf8(), 8000))
            QSKIP("the program does not bring its cameras up on their schedule yet");
        QTest::qWait(1500); // the detector learns the still scene

        const QString video = m_output + "/" + Title + "_000001.avi";
        QVERIFY(SetMotion(true));
        QVERIFY2(log.WaitFor("ALARM on camera " + Title.toUtf8() + ": Recording video", 8000), log.text.constData());
        QVERIFY(log.WaitFor("ALARM on camera " + Title.toUtf8() + ": Capturing snapshots", 2000));
        QDeadlineTimer appears(4000);
        while (!QFile::exists(video) && !appears.hasExpired())
            QTest::qWait(100);
        if (!QFile::exists(video))
            QSKIP("the program does not record video yet (no AVI file after the alarm)");
        QElapsedTimer recording;
        recording.start();
        // Sizes seen while the file is open: written in blocks, it grows in steps.
        QList<qint64> sizes{FileSize(video)};
        const auto sample = [&] {
            if (FileSize(video) != sizes.last())
                sizes << FileSize(video);
        };
        for (int i = 0; i < 20; ++i)
            QTest::qWait(200), sample();
        QVERIFY(log.Read().contains("Video recording is started on camera " + Title.toUtf8()));

        QVERIFY(SetMotion(false));
        QElapsedTimer sinceStill;
        sinceStill.start();
        // Closed: ffprobe reads the finished file. The detector may still see the last moving frames
        // for a moment after the switch, so a second is allowed for them.
        double duration = -1;
        while (duration < 0 && sinceStill.elapsed() < (ContinuationSec + 4) * 1000) {
            QTest::qWait(200);
            sample();
            duration = ProbedDuration(video);
        }
        const qint64 closedAfter = sinceStill.elapsed();
        const qint64 recorded = recording.elapsed();
        qInfo("recording closed %lld ms after the scene went still; %.2f s in the file, %lld ms recorded",
              closedAfter, duration, recorded);
        QVERIFY2(duration > 0, "the recording was not closed after the scene went still");
        QVERIFY2(closedAfter <= (ContinuationSec + 2) * 1000 + 500,
                 qPrintable(QString("closed %1 ms after the scene went still").arg(closedAfter)));
        QVERIFY2(closedAfter >= ContinuationSec * 1000 - 500,
                 qPrintable(QString("closed already %1 ms after the scene went still").arg(closedAfter)));
        const qint64 size = FileSize(video);
        QTest::qWait(1200);
        QCOMPARE(FileSize(video), size);
        QVERIFY(!QFile::exists(m_output + "/" + Title + "_000002.avi"));
        // Real duration: the file's length matches the wall-clock time it was recorded, within a second.
        QVERIFY2(qAbs(duration - recorded / 1000.0) < 1.5,
                 qPrintable(QString("ffprobe %1 s, recorded %2 ms").arg(duration).arg(recorded)));

        const QStringList snapshots = QDir(m_output).entryList({Title + "_*.jpg"}, QDir::Files, QDir::Name);
        QVERIFY2(snapshots.size() >= 2, qPrintable(snapshots.join(' ')));
        for (const QString &name : snapshots) {
            QVERIFY(QRegularExpression("^" + Title + "_\\d{6,}\\.jpg$").match(name).hasMatch());
            QVERIFY(QImage(m_output + "/" + name).width() > 0);
        }

        // A recording still running when the program is told to end is closed into a playable file.
        const QString second = m_output + "/" + Title + "_000002.avi";
        QVERIFY(SetMotion(true));
        QDeadlineTimer secondAppears(8000);
        while (!QFile::exists(second) && !secondAppears.hasExpired())
            QTest::qWait(100);
        QVERIFY2(QFile::exists(second), "no second recording after motion came back");
        QTest::qWait(2000);
        ::kill(pid_t(m_program.processId()), SIGTERM);
        QVERIFY(m_program.waitForFinished(5000));
        QCOMPARE(m_program.exitCode(), 0);
        const double interrupted = ProbedDuration(second);
        QVERIFY2(interrupted > 1.0, qPrintable(QString("interrupted recording: %1 s").arg(interrupted)));

        // While it is open the recording should reach the disk a little at a time, so that an end of the
        // program in the middle of an alarm keeps what was recorded so far.
        QVERIFY2(sizes.size() >= 3, qPrintable(QString("file sizes seen while open: %1 .. %2")
                                                   .arg(sizes.first())
                                                   .arg(sizes.last())));
    }
};

QTEST_GUILESS_MAIN(TestMotionAlarmEndToEnd)
#include "tst_motionalarm_e2e.moc"
