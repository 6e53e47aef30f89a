#include "capturetesthelpers.h"

#include "processoutput.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtEndian>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <turbojpeg.h>

#include <cmath>
#include <ctime>
#include <unistd.h>

QByteArray Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QJsonObject Probe(const QString &file)
{
    const QJsonObject all = QJsonDocument::fromJson(
        Run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=codec_name,codec_tag_string,nb_read_frames,r_frame_rate,width,height:format=duration",
                        "-of", "json", file})).object();
    QJsonObject stream = all.value("streams").toArray().first().toObject();
    stream.insert("duration", all.value("format").toObject().value("duration").toString().toDouble());
    stream.insert("frames", stream.value("nb_read_frames").toString().toInt());
    return stream;
}

bool WriteWav(const QString &path, double seconds)
{
    const quint32 rate = 16000;
    const quint32 samples = quint32(rate * seconds);
    QByteArray data(int(samples * 2), Qt::Uninitialized);
    for (quint32 i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(i * 2 * M_PI * 440 / rate)), data.data() + 2 * i);
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + data.size());
    out.writeRawData("WAVEfmt ", 8);
    // PCM, one channel, rate, bytes per second, bytes per sample, bits per sample
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(data.size());
    wav.append(data);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool IsListening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

qint64 ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

QByteArray EncodeJpeg(const QImage &image, int quality)
{
    const QImage bgrx = image.convertToFormat(QImage::Format_RGB32);
    tjhandle handle = tjInitCompress();
    unsigned char *out = nullptr;
    unsigned long size = 0;
    QByteArray jpeg;
    if (tjCompress2(handle, bgrx.constBits(), bgrx.width(), int(bgrx.bytesPerLine()), bgrx.height(), TJPF_BGRX, &out,
                    &size, TJSAMP_444, quality, 0)
        == 0)
        jpeg = QByteArray(reinterpret_cast<const char *>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

QImage SolidFrame(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int CountPixels(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (qAbs(p.red() - colour.red()) <= tolerance && qAbs(p.green() - colour.green()) <= tolerance
                && qAbs(p.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

THttpAnswer HttpGet(quint16 port, const QByteArray &target, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray data;
    QElapsedTimer clock;
    clock.start();
    qsizetype end = -1;
    qint64 length = -1;
    while (clock.elapsed() < timeoutMs && socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForReadyRead(50);
        data += socket.readAll();
        end = data.indexOf("\r\n\r\n");
        if (end >= 0 && length < 0) {
            const QByteArray head = data.left(end).toLower();
            const qsizetype at = head.indexOf("content-length:");
            length = at < 0 ? -1 : head.mid(at + 15).split('\r').value(0).trimmed().toLongLong();
        }
        if (end >= 0 && length >= 0 && data.size() - end - 4 >= length)
            break;
    }
    data += socket.readAll();
    end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return {};
    return {data.mid(9, 3).toInt(), data.left(end), data.mid(end + 4)};
}

TFfmpegServer::TFfmpegServer(quint16 port) : m_port(port)
{
    m_process.setProgram(QStringLiteral("ffmpeg"));
    m_process.setArguments({QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                            QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                            QStringLiteral("-i"), QStringLiteral("testsrc2=size=640x480:rate=10"),
                            QStringLiteral("-c:v"), QStringLiteral("mjpeg"), QStringLiteral("-q:v"),
                            QStringLiteral("5"), QStringLiteral("-f"), QStringLiteral("mpjpeg"),
                            QStringLiteral("-content_type"),
                            QStringLiteral("multipart/x-mixed-replace;boundary=ffmpeg"), QStringLiteral("-listen"),
                            QStringLiteral("1"), Url()});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    EndWithTest(m_process);
    m_process.start();
}

TFfmpegServer::~TFfmpegServer()
{
    Kill();
}

bool TFfmpegServer::WaitListening(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (IsListening(m_port))
            return true;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(20);
    }
    return false;
}

QString TFfmpegServer::Url() const
{
    return QStringLiteral("http://127.0.0.1:%1/cam.mjpg").arg(m_port);
}

void TFfmpegServer::Kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

TStallMeter::TStallMeter()
{
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    });
    m_timer.start();
}

TEventRecorder::TEventRecorder(TCaptureComponent &component)
{
    Clock.start();
    const auto onUi = [this] {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            AllOnUiThread = false;
    };
    component.OnFrameBitmap = [this, onUi](TCaptureComponent *, const TFrameInfo &, const TFrameBitmapInfo &) {
        onUi();
        if (Frames++ == 0)
            FirstFrameMs = Clock.elapsed();
    };
    component.OnRecordingStarted = [this, onUi](TCaptureComponent *, const QString &fileName) {
        onUi();
        RecordingsStarted << fileName;
    };
    component.OnPlayerStateChanged = [this, onUi](TCaptureComponent *, TPlayerState oldState, TPlayerState newState) {
        onUi();
        PlayerChanges.append({oldState, newState});
    };
    component.OnDeviceLost = [this, onUi](TCaptureComponent *) {
        onUi();
        ++DeviceLost;
    };
    component.OnAuthenticationNeeded = [this, onUi](TCaptureComponent *, TAuthenticationType, const QString &realm,
                                                    const QString &server, QString &userName, QString &) {
        onUi();
        ++AuthenticationNeeded;
        Realm = realm;
        Server = server;
        UserName = userName;
    };
    component.OnMotionDetected = [this, onUi](TCaptureComponent *, double ratio, int, int, const QImage *,
                                              quint32 number, qint64 time, int, bool &) {
        onUi();
        Motion.append({true, ratio, number, time});
    };
    component.OnMotionNotDetected = [this, onUi](TCaptureComponent *, const QImage *, quint32 number, qint64 time, int,
                                                 bool &) {
        onUi();
        Motion.append({false, 0, number, time});
    };
}
