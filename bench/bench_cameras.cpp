// ostrivo-bench cameras: the whole program as a user with many cameras runs it.
//
//   ostrivo-bench cameras [--count N] [--size WxH] [--fps F] [--shown] [--scene plain|camera] [--seconds S]
//                         [--warmup S] [--wrapper "command words"] [--verbose]
//
// Starts ostrivo-camsim (one stream) and the real ostrivo program as child processes, the program with a
// home folder of its own holding N cameras on that one stream, each monitored all day (so that every frame
// goes through its motion detector) with no alarm action, hidden in the notification area ("-hide") or with
// its window shown on the offscreen platform (a 1920 x 1080 screen). Only the program's process is
// measured, over S seconds after the cameras run: CPU time (/proc); from the program's "ostrivo.stats" log
// category, frames analysed, the capture threads' CPU time for decoding, the detector and the live-view
// picture, and the longest user-interface stall; resident memory (per camera: above that of the program
// without cameras, measured in the same run). Decoding alone is TurboJPEG on pictures taken from the same
// stream in the same run, before and after the program runs (the lower figure counts; a third figure, taken
// while the program runs, is printed for comparison). With the window shown, the time from the program's
// start to its first painted window is printed as well. --wrapper runs the program under another command
// (a profiler).
//
// The last line is the summary:
//   cameras N=<n> <hidden|shown> <scene> ratio=<cpu per frame / decode alone per frame> cpu_ms_per_frame=<x>
//   decode_ms_per_frame=<y> fps_per_camera=<analysed frames per camera per second> rss_mb_per_camera=<z>
//   ui_stall_ms=<longest user-interface stall>
#include "capture/mjpegparser.h"
#include "capture/stagetimes.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/services.h"
#include "core/settingsfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

struct TOptions
{
    int Count = 16;
    QSize Size{1280, 720};
    double Fps = 15;
    bool Shown = false;
    QString Scene = QStringLiteral("plain");
    double Seconds = 20;
    double Warmup = 3;
    QStringList Wrapper;
    bool Verbose = false;  // echo the program's log
};

int Fail(const QString &text)
{
    std::fprintf(stderr, "cameras: %s\n", qPrintable(text));
    return 1;
}

bool ParseOptions(int argc, char **argv, TOptions &o, QString &error)
{
    for (int i = 0; i < argc; ++i) {
        const QByteArray name = argv[i];
        if (name == "--shown" || name == "--verbose") {
            (name == "--shown" ? o.Shown : o.Verbose) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = QStringLiteral("%1 needs a value").arg(QString::fromUtf8(name));
            return false;
        }
        const QString value = QString::fromLocal8Bit(argv[++i]);
        bool ok = true;
        if (name == "--count") {
            o.Count = value.toInt(&ok);
            ok = ok && o.Count >= 1 && o.Count <= 400;
        } else if (name == "--size") {
            const QStringList wh = value.split(u'x');
            o.Size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
            ok = wh.size() == 2 && o.Size.width() >= 16 && o.Size.height() >= 16;
        } else if (name == "--fps") {
            o.Fps = value.toDouble(&ok);
            ok = ok && o.Fps > 0 && o.Fps <= 120;
        } else if (name == "--scene") {
            o.Scene = value;
            ok = value == QLatin1String("plain") || value == QLatin1String("camera");
        } else if (name == "--seconds") {
            o.Seconds = value.toDouble(&ok);
            ok = ok && o.Seconds >= 1;
        } else if (name == "--warmup") {
            o.Warmup = value.toDouble(&ok);
            ok = ok && o.Warmup >= 0;
        } else if (name == "--wrapper") {
            o.Wrapper = value.split(u' ', Qt::SkipEmptyParts);
        } else {
            error = QStringLiteral("unknown option %1").arg(QString::fromUtf8(name));
            return false;
        }
        if (!ok) {
            error = QStringLiteral("bad value for %1: %2").arg(QString::fromUtf8(name), value);
            return false;
        }
    }
    return true;
}

// ------------------------------------------------------------------------------------- the program's home

// A camera on the simulator, monitored around the clock every day, that takes no action on motion.
std::unique_ptr<TCamera> BenchCamera(int number, quint16 port)
{
    auto camera = std::make_unique<TCamera>();
    camera->CustomTitle = QStringLiteral("Cam%1").arg(number);
    camera->ActualName = QStringLiteral("Ostrivo*Camera Simulator");
    camera->ipcam_IP = QStringLiteral("127.0.0.1");
    camera->ipcam_Port = QString::number(port);
    camera->ipcam_URL = QStringLiteral("video.mjpg");
    camera->detector_Sensitivity = 5;
    camera->recording_SnapshotQuality = 10;
    camera->scheduler_daily = true;
    // A period that wraps round midnight and leaves out one millisecond at noon.
    for (int day = 1; day <= 7; ++day) {
        camera->SchedulerStart(day) = 0.5;
        camera->SchedulerEnd(day) = 0.5 - 1.0 / 86400000;
    }
    return camera;
}

// The program's home with `cameras` cameras (none: no camera list at all).
bool WriteHome(const QString &home, int cameras, quint16 port, QString &error)
{
    const QString data = home + QStringLiteral("/.local/share/Ostrivo");
    const QString output = home + QStringLiteral("/recordings");
    if (!QDir().mkpath(data) || !QDir().mkpath(output) || !QDir().mkpath(home + QStringLiteral("/.config"))) {
        error = QStringLiteral("cannot create the program's folders in %1").arg(home);
        return false;
    }
    TServices services;  // unattended prompts: a failure is reported below instead of in a dialog
    App().DataFolder = data;
    App().DefaultOutputFolder = output;
    SetDefaultSettings();
    QFile settings(data + QStringLiteral("/set.dat"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write(EncodeSettings(App().GlobalSettings)) < 0) {
        error = QStringLiteral("cannot write %1").arg(settings.fileName());
        return false;
    }
    settings.close();
    // The cameras row by row in a square-ish grid.
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(cameras)))));
    TRowByRowCells cells(columns, std::max(1, (cameras + columns - 1) / columns));
    App().Cameras.clear();
    for (int i = 1; i <= cameras; ++i)
        App().Cameras.push_back(BenchCamera(i, port));
    const bool saved = cameras == 0 || SaveCameras(cells);
    App().Cameras.clear();
    if (!saved)
        error = QStringLiteral("cannot write %1").arg(CameraFilePath());
    // The offscreen platform's screen: a common desktop monitor.
    QFile screen(home + QStringLiteral("/offscreen.json"));
    if (saved && (!screen.open(QIODevice::WriteOnly)
                  || screen.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
                                  R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                         < 0)) {
        error = QStringLiteral("cannot write %1").arg(screen.fileName());
        return false;
    }
    return saved;
}

// ------------------------------------------------------------------------------------------- processes

// Reads a child's output line by line.
class TLines
{
public:
    TLines(QProcess &process, QProcess::ProcessChannel channel) : m_process(process), m_channel(channel) {}
    // The next whole line, waiting up to timeoutMs; nothing when none came or the process ended.
    std::optional<QString> Next(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            m_process.setReadChannel(m_channel);
            m_buffer += m_process.readAll();
            const qsizetype end = m_buffer.indexOf('\n');
            if (end >= 0) {
                const QString line = QString::fromUtf8(m_buffer.left(end)).trimmed();
                m_buffer.remove(0, end + 1);
                return line;
            }
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
                return std::nullopt;
            m_process.waitForReadyRead(int(std::max<qint64>(1, std::min<qint64>(100, deadline.remainingTime()))));
        }
    }

private:
    QProcess &m_process;
    QProcess::ProcessChannel m_channel;
    QByteArray m_buffer;
};

void StopProcess(QProcess &process, bool politely)
{
    if (process.state() == QProcess::NotRunning)
        return;
    if (politely) {
        ::kill(pid_t(process.processId()), SIGTERM);
        if (process.waitForFinished(20000))
            return;
    }
    process.kill();
    process.waitForFinished(5000);
}

// CPU seconds (user + system, all threads) of a running process.
double ProcessCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold spaces) start at field 3; utime and stime are 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

double ProcessRssMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// The program's environment: its own home, headless, with its figures logged.
QProcessEnvironment ProgramEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "LANGUAGE", "LC_MESSAGES",
                                 "QT_LOGGING_RULES"})
        env.remove(QString::fromLatin1(variable));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               QStringLiteral("offscreen:configfile=") + home + QStringLiteral("/offscreen.json"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("ostrivo.stats.info=true"));
    return env;
}

bool StartProgram(QProcess &program, const QString &home, const TOptions &o, const QStringList &wrapper)
{
    program.setProcessEnvironment(ProgramEnvironment(home));
    QStringList command = wrapper;
    command << QCoreApplication::applicationDirPath() + QStringLiteral("/ostrivo");
    if (!o.Shown)
        command << QStringLiteral("-hide");
    program.setProgram(command.takeFirst());
    program.setArguments(command);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.start();
    return program.waitForStarted(5000);
}

// Resident memory of the program without cameras, once it has started (its first report).
double RssWithoutCameras(const TOptions &o, QString &error)
{
    QTemporaryDir home;
    if (!home.isValid() || !WriteHome(home.path(), 0, 0, error))
        return -1;
    QProcess program;
    if (!StartProgram(program, home.path(), o, {})) {
        error = QStringLiteral("the program did not start");
        return -1;
    }
    TLines output(program, QProcess::StandardError);
    double rss = -1;
    while (const auto line = output.Next(30000)) {
        if (line->contains(QLatin1String("frames analysed="))) {
            rss = ProcessRssMb(program.processId());
            break;
        }
    }
    StopProcess(program, true);
    if (rss < 0)
        error = QStringLiteral("the program without cameras reported nothing");
    return rss;
}

// ------------------------------------------------------------------------------------------- decoding

// The simulator's stream as the program receives it: pictures to decode, and how many it really sends (a
// simulator starved of CPU sends fewer than its set rate).
class TStreamReader
{
public:
    bool Connect(quint16 port, QString &error)
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!m_socket.waitForConnected(5000)) {
            error = QStringLiteral("cannot reach the simulator: %1").arg(m_socket.errorString());
            return false;
        }
        m_socket.write("GET /video.mjpg HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        return true;
    }
    // Waits for `count` more pictures and keeps them.
    bool Take(int count, std::vector<QByteArray> &pictures, QString &error)
    {
        m_keep = &pictures;
        m_wanted = int(pictures.size()) + count;
        QElapsedTimer clock;
        clock.start();
        while (int(pictures.size()) < m_wanted && clock.elapsed() < 30000
               && m_socket.state() == QAbstractSocket::ConnectedState) {
            m_socket.waitForReadyRead(1000);
            Read();
        }
        m_keep = nullptr;
        if (int(pictures.size()) < m_wanted) {
            error = QStringLiteral("the simulator sent %1 of %2 pictures").arg(pictures.size()).arg(m_wanted);
            return false;
        }
        return true;
    }
    // Reads what has arrived without waiting; gives the number of pictures received so far.
    qint64 Count()
    {
        while (m_socket.waitForReadyRead(0))
            Read();
        return m_count;
    }

private:
    void Read()
    {
        QByteArray data = m_socket.readAll();
        if (!m_parser) {
            m_head += data;
            const qsizetype end = m_head.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            static const QRegularExpression type(QStringLiteral("(?i)content-type:\\s*([^\\r\\n]*)"));
            m_parser.emplace(TMjpegParser::BoundaryFromContentType(
                type.match(QString::fromLatin1(m_head.left(end))).captured(1).toLatin1()));
            data = m_head.mid(end + 4);
        }
        m_parser->Feed(data, [this](QByteArrayView body) {
            ++m_count;
            if (m_keep && int(m_keep->size()) < m_wanted)
                m_keep->emplace_back(body.data(), body.size());
        });
    }

    QTcpSocket m_socket;
    QByteArray m_head;
    std::optional<TMjpegParser> m_parser;
    qint64 m_count = 0;
    std::vector<QByteArray> *m_keep = nullptr;
    int m_wanted = 0;
};

double ThreadCpuSeconds() { return double(ThreadCpuNs()) / 1e9; }

// CPU milliseconds per picture of TurboJPEG decoding the pictures into 32-bit BGRX, as the program does.
double DecodeAloneMs(const std::vector<QByteArray> &pictures, QSize size)
{
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> pixels(size_t(size.width()) * size_t(size.height()) * 4);
    const auto decode = [&](const QByteArray &jpeg) {
        tjDecompress2(handle, reinterpret_cast<const unsigned char *>(jpeg.constData()), (unsigned long)jpeg.size(),
                      pixels.data(), size.width(), 0, size.height(), TJPF_BGRX, TJFLAG_LIMITSCANS);
    };
    for (const QByteArray &jpeg : pictures)
        decode(jpeg);  // warm-up
    int decoded = 0;
    const double start = ThreadCpuSeconds();
    while (decoded < 60 || ThreadCpuSeconds() - start < 1.0) {
        decode(pictures[size_t(decoded) % pictures.size()]);
        ++decoded;
    }
    const double ms = (ThreadCpuSeconds() - start) * 1000 / decoded;
    tjDestroy(handle);
    return ms;
}

// ------------------------------------------------------------------------------------------- the run

struct TStats
{
    quint64 Analysed = 0;
    qint64 StallMs = 0;
    TStageTimes Stages;  // the capture threads' processor time per stage
};

std::optional<TStats> ParseStats(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral(
        "frames analysed=(\\d+) stall_ms=(\\d+) timed=(\\d+) decode_ns=(\\d+) detect_ns=(\\d+) display_ns=(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    return TStats{match.captured(1).toULongLong(), match.captured(2).toLongLong(),
                  TStageTimes{match.captured(3).toULongLong(), match.captured(4).toLongLong(),
                              match.captured(5).toLongLong(), match.captured(6).toLongLong()}};
}

// Milliseconds per frame of one stage between two reports.
double StageMs(const TStats &first, const TStats &last, qint64 TStageTimes::*stage)
{
    const quint64 frames = last.Stages.Frames - first.Stages.Frames;
    return frames == 0 ? 0.0 : double(last.Stages.*stage - first.Stages.*stage) / 1e6 / double(frames);
}

} // namespace

int BenchCameras(int argc, char **argv)
{
    TOptions o;
    QString error;
    if (!ParseOptions(argc, argv, o, error))
        return Fail(error + QStringLiteral(
                                "\nusage: ostrivo-bench cameras [--count N] [--size WxH] [--fps F] [--shown] "
                                "[--scene plain|camera] [--seconds S] [--warmup S] [--wrapper \"command\"] [--verbose]"));
    int appArgc = 1;
    char name[] = "ostrivo-bench";
    char *appArgv[] = {name, nullptr};
    QCoreApplication app(appArgc, appArgv);
    const QString bin = QCoreApplication::applicationDirPath();

    // The simulated camera.
    QProcess camsim;
    camsim.setProgram(bin + QStringLiteral("/ostrivo-camsim"));
    camsim.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--size"),
                         QStringLiteral("%1x%2").arg(o.Size.width()).arg(o.Size.height()), QStringLiteral("--fps"),
                         QString::number(o.Fps), QStringLiteral("--scene"), o.Scene});
    camsim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    camsim.start();
    TLines camsimOutput(camsim, QProcess::StandardOutput);
    quint16 port = 0;
    static const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
    while (const auto line = camsimOutput.Next(5000)) {
        const QRegularExpressionMatch match = listening.match(*line);
        if (match.hasMatch()) {
            port = quint16(match.captured(1).toUInt());
            break;
        }
    }
    if (!port)
        return Fail(QStringLiteral("the camera simulator did not start (%1)").arg(camsim.program()));

    // Decoding alone, on pictures of the stream (a camera scene cycles through a few noisy pictures).
    std::vector<QByteArray> pictures;
    TStreamReader stream;
    if (!stream.Connect(port, error) || !stream.Take(o.Scene == QLatin1String("camera") ? 24 : 4, pictures, error))
        return StopProcess(camsim, false), Fail(error);
    qint64 pictureBytes = 0;
    for (const QByteArray &picture : pictures)
        pictureBytes += picture.size();
    const double decodeBefore = DecodeAloneMs(pictures, o.Size);

    const double baseRssMb = RssWithoutCameras(o, error);
    QTemporaryDir home;
    if (baseRssMb < 0 || !home.isValid() || !WriteHome(home.path(), o.Count, port, error))
        return StopProcess(camsim, false), Fail(error.isEmpty() ? QStringLiteral("no temporary folder") : error);

    // The program with its cameras.
    QProcess program;
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (!StartProgram(program, home.path(), o, o.Wrapper))
        return StopProcess(camsim, false), Fail(QStringLiteral("the program did not start"));
    const qint64 pid = program.processId();
    std::printf("cameras: %d camera(s) on one %dx%d %s stream at %g fps, window %s, program pid %lld\n", o.Count,
                o.Size.width(), o.Size.height(), qPrintable(o.Scene), o.Fps, o.Shown ? "shown" : "hidden",
                (long long)pid);
    std::fflush(stdout);

    TLines output(program, QProcess::StandardError);
    qint64 windowMs = -1;
    const auto nextStats = [&](int timeoutMs) -> std::optional<TStats> {
        while (const auto line = output.Next(timeoutMs)) {
            if (o.Verbose)
                std::fprintf(stderr, "  | %s\n", qPrintable(*line));
            if (windowMs < 0 && line->endsWith(QLatin1String("window shown")))
                windowMs = sinceStart.elapsed();
            if (const auto stats = ParseStats(*line)) {
                stream.Count();  // keeps up with the stream, so that no backlog counts in the measurement
                return stats;
            }
        }
        return std::nullopt;
    };

    // Warm-up: the cameras start at the first reconnection tick and monitoring at the next schedule tick.
    // Wait until the frames of all cameras are being analysed (or, for a program that cannot keep up, 20 s
    // after the first analysed frame), then a little longer.
    const double expectedPerSecond = o.Count * o.Fps;
    std::optional<TStats> previous = nextStats(o.Wrapper.isEmpty() ? 30000 : 300000);  // a profiler is slow
    const double idleRssMb = ProcessRssMb(pid);  // the first report comes before the first reconnection tick
    QElapsedTimer warm, sinceFirstFrame;
    warm.start();
    while (previous && warm.elapsed() < 90000) {
        const auto stats = nextStats(15000);
        if (!stats)
            break;
        if (!sinceFirstFrame.isValid() && stats->Analysed > 0)
            sinceFirstFrame.start();
        const double rate = double(stats->Analysed - previous->Analysed);
        previous = stats;
        if (rate >= 0.8 * expectedPerSecond || (sinceFirstFrame.isValid() && sinceFirstFrame.elapsed() > 20000))
            break;
    }
    QElapsedTimer settle;
    settle.start();
    while (previous && previous->Analysed > 0 && settle.elapsed() < qint64(o.Warmup * 1000))
        previous = nextStats(15000);
    if (!previous || previous->Analysed == 0) {
        StopProcess(program, true);
        StopProcess(camsim, false);
        return Fail(QStringLiteral("the program analysed no frames"));
    }

    // The measurement, between two reports of the program.
    const TStats first = *previous;
    const double cpuFirst = ProcessCpuSeconds(pid);
    const qint64 streamFirst = stream.Count();
    QElapsedTimer window;
    window.start();
    TStats last = first;
    qint64 longestStall = 0;
    double rssMb = -1;
    while (window.elapsed() < qint64(o.Seconds * 1000)) {
        const auto stats = nextStats(15000);
        if (!stats)
            break;
        last = *stats;
        longestStall = std::max(longestStall, stats->StallMs);
    }
    const double cpuLast = ProcessCpuSeconds(pid);
    const qint64 streamLast = stream.Count();
    const double seconds = double(window.elapsed()) / 1000;
    rssMb = ProcessRssMb(pid);
    const bool alive = program.state() == QProcess::Running;
    // Decoding alone once more while the program still runs: the same work with the other processor busy
    // (shown for comparison; the ratio uses the figures of the idle machine).
    const double decodeBusy = alive ? DecodeAloneMs(pictures, o.Size) : 0.0;
    StopProcess(program, true);
    const double decodeAfter = DecodeAloneMs(pictures, o.Size);
    StopProcess(camsim, false);
    if (!alive || cpuFirst < 0 || cpuLast < 0 || last.Analysed <= first.Analysed)
        return Fail(QStringLiteral("the program ended or reported nothing during the measurement"));

    const double frames = double(last.Analysed - first.Analysed);
    const double cpuMsPerFrame = (cpuLast - cpuFirst) * 1000 / frames;
    const double decodeMs = std::min(decodeBefore, decodeAfter);
    const double fpsPerCamera = frames / o.Count / seconds;
    const double streamFps = double(streamLast - streamFirst) / seconds;
    std::printf("  stream as sent             %7.2f fps, JPEG %.0f KB per picture\n", streamFps,
                double(pictureBytes) / double(pictures.size()) / 1024);
    std::printf("  decode alone (TurboJPEG)   %7.3f ms/frame CPU (%.3f before, %.3f after the program; %.3f while "
                "it ran)\n",
                decodeMs, decodeBefore, decodeAfter, decodeBusy);
    std::printf("  program CPU                %7.3f ms/frame, %.1f %% of a core per camera, over %.1f s\n",
                cpuMsPerFrame, (cpuLast - cpuFirst) * 100 / seconds / o.Count, seconds);
    std::printf("  capture threads            %7.3f ms/frame decoding, %.3f the detector, %.3f the live-view "
                "picture (CPU)\n",
                StageMs(first, last, &TStageTimes::DecodeNs), StageMs(first, last, &TStageTimes::DetectNs),
                StageMs(first, last, &TStageTimes::DisplayNs));
    std::printf("  frames analysed            %7.2f per camera per second\n", fpsPerCamera);
    const double rssPerCamera = (rssMb - baseRssMb) / o.Count;
    std::printf("  resident memory            %7.1f MB: %.1f MB without cameras + %.1f MB per camera (%.1f MB "
                "before the cameras started)\n",
                rssMb, baseRssMb, rssPerCamera, idleRssMb);
    std::printf("  longest UI stall           %7lld ms\n", (long long)longestStall);
    if (o.Shown)
        std::printf("startup N=%d window_ms=%lld\n", o.Count, (long long)windowMs);
    std::printf("cameras N=%d %s %s ratio=%.2f cpu_ms_per_frame=%.3f decode_ms_per_frame=%.3f fps_per_camera=%.2f "
                "rss_mb_per_camera=%.1f ui_stall_ms=%lld\n",
                o.Count, o.Shown ? "shown" : "hidden", qPrintable(o.Scene), cpuMsPerFrame / decodeMs, cpuMsPerFrame,
                decodeMs, fpsPerCamera, rssPerCamera, (long long)longestStall);
    return 0;
}
