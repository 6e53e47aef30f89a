#include "capture/avirecorder.h"

#include "capture/encodersettings.h"

#include <QFile>
#include <QSysInfo>

#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr qint64 TicksPerSecond = 10000000; // TVideoFrame::Time units
constexpr double MaxFreezeSeconds = 60;
constexpr int MaxMeasuredFrames = 10;       // frames kept while the rate is measured here

QString AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// FFmpeg's name for the bytes of QImage::Format_RGB32.
AVPixelFormat Rgb32PixelFormat()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_0RGB;
}

} // namespace

QStringList AviCompressorNames()
{
    QStringList names;
    if (avcodec_find_encoder(AV_CODEC_ID_MPEG4))
        names << XvidCompressorName;
    return names;
}

int AviCompressorIndex(const QString &name)
{
    return int(AviCompressorNames().indexOf(name));
}

void TFrameRateMeter::AddFrameTime(qint64 time)
{
    m_times[m_next] = time;
    m_next = (m_next + 1) % Capacity;
    m_count = qMin(m_count + 1, Capacity);
}

double TFrameRateMeter::Rate() const
{
    if (m_count < 2)
        return 0;
    const int newest = (m_next + Capacity - 1) % Capacity;
    const qint64 last = m_times[newest];
    // Go back over the frames of the last two seconds (at least two frames).
    int intervals = 0;
    qint64 first = last;
    for (int i = 1; i < m_count; ++i) {
        const qint64 earlier = m_times[(newest - i + Capacity) % Capacity];
        if (earlier > first)
            break; // the source restarted its clock
        if (intervals > 0 && last - earlier > 2 * TicksPerSecond)
            break;
        first = earlier;
        ++intervals;
    }
    if (intervals == 0 || last <= first)
        return 0;
    return intervals * double(TicksPerSecond) / double(last - first);
}

double TAviRecorder::FileFrameRate(double measuredRate)
{
    if (!(measuredRate > 0))
        return 0;
    const double rate = qBound(1.0, measuredRate, 60.0);
    return rate >= 10 ? std::round(rate) : std::round(rate * 10) / 10;
}

struct TAviRecorder::TImpl
{
    TAviRecorderOptions options;
    QString fileName;
    QString lastError;
    bool failed = false;        // a write failed: later frames are ignored, Close still finishes the file

    AVFormatContext *format = nullptr;
    AVStream *stream = nullptr;
    AVCodecContext *encoder = nullptr;
    AVFrame *picture = nullptr;  // compressed mode: the last picture in YUV 4:2:0
    AVPacket *packet = nullptr;  // compressed mode: encoder output; uncompressed: the last bitmap
    SwsContext *scaler = nullptr;
    int width = 0;
    int height = 0;
    int rawStride = 0;
    AVRational timeBase{0, 1};   // one slot
    bool headerWritten = false;
    bool havePicture = false;

    qint64 origin = 0;           // capture time of slot 0
    qint64 nextSlot = 0;         // first slot not yet written
    std::vector<TVideoFrame> measured; // frames kept until the rate is known

    bool Fail(const QString &text)
    {
        lastError = text;
        failed = true;
        return false;
    }
    bool FailAv(const QString &what, int code) { return Fail(what + QStringLiteral(": ") + AvError(code)); }

    bool Start(const TVideoFrame &first, double rate);
    bool StartWithMeasuredFrames();
    bool OpenEncoder();
    bool Place(const TVideoFrame &frame);
    bool Convert(const QImage &image);
    bool WriteSlot(qint64 slot);
    bool Drain(AVFrame *frame);
    void Release();
};

bool TAviRecorder::TImpl::Start(const TVideoFrame &first, double rate)
{
    width = first.Image.width();
    height = first.Image.height();
    if (options.Compress) {
        width &= ~1;
        height &= ~1;
    }
    if (width < 2 || height < 2)
        return Fail(QStringLiteral("frame too small to record"));
    const double fileRate = FileFrameRate(rate > 0 ? rate : options.DefaultFrameRate);
    const int tenths = int(std::lround((fileRate > 0 ? fileRate : 10) * 10));
    av_reduce(&timeBase.num, &timeBase.den, 10, tenths, 1 << 16);

    stream = avformat_new_stream(format, nullptr);
    if (!stream)
        return Fail(QStringLiteral("cannot add a video stream"));
    stream->time_base = timeBase;
    stream->avg_frame_rate = stream->r_frame_rate = av_inv_q(timeBase);
    if (options.Compress) {
        if (!OpenEncoder())
            return false;
    } else {
        AVCodecParameters *par = stream->codecpar;
        par->codec_type = AVMEDIA_TYPE_VIDEO;
        par->codec_id = AV_CODEC_ID_RAWVIDEO;
        par->codec_tag = 0;
        par->format = AV_PIX_FMT_BGR24;
        par->bits_per_coded_sample = 24;
        par->width = width;
        par->height = height;
        // Rows of a bitmap are padded to four bytes.
        rawStride = FFALIGN(width * 3, 4);
        packet = av_packet_alloc();
        if (!packet || av_new_packet(packet, rawStride * height) < 0)
            return Fail(QStringLiteral("out of memory"));
        memset(packet->data, 0, size_t(packet->size));
        packet->flags |= AV_PKT_FLAG_KEY;
    }

    AVDictionary *muxerOptions = nullptr;
    if (!options.Compress)
        av_dict_set(&muxerOptions, "flipped_raw_rgb", "1", 0);
    const int result = avformat_write_header(format, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (result < 0)
        return FailAv(QStringLiteral("cannot write the AVI header"), result);
    headerWritten = true;
    origin = first.Time;
    nextSlot = 0;
    return true;
}

// Starts the file at the rate that the kept frames show, and places them.
bool TAviRecorder::TImpl::StartWithMeasuredFrames()
{
    std::vector<TVideoFrame> frames;
    frames.swap(measured);
    const qint64 span = frames.back().Time - frames.front().Time;
    const double rate = span > 0 ? double(frames.size() - 1) * TicksPerSecond / double(span) : 0;
    if (!Start(frames.front(), rate))
        return false;
    for (const TVideoFrame &each : frames)
        if (!Place(each))
            return false;
    return true;
}

bool TAviRecorder::TImpl::OpenEncoder()
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!codec)
        return Fail(QStringLiteral("the MPEG-4 encoder is not available"));
    encoder = avcodec_alloc_context3(codec);
    picture = av_frame_alloc();
    packet = av_packet_alloc();
    if (!encoder || !picture || !packet)
        return Fail(QStringLiteral("out of memory"));
    const int quality = options.Quality >= 0 ? options.Quality : LoadEncoderSettings().Quality;
    encoder->codec_tag = MKTAG('X', 'V', 'I', 'D');
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->time_base = timeBase;
    encoder->framerate = av_inv_q(timeBase);
    encoder->gop_size = qMax(1, int(av_q2d(encoder->framerate) * 5)); // a key frame every five seconds
    encoder->max_b_frames = 0;
    encoder->thread_count = 1; // the component's worker thread is the encoding thread
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * QuantiserForQuality(quality);
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(encoder, codec, nullptr);
    if (result < 0)
        return FailAv(QStringLiteral("cannot open the MPEG-4 encoder"), result);
    result = avcodec_parameters_from_context(stream->codecpar, encoder);
    if (result < 0)
        return FailAv(QStringLiteral("cannot set up the video stream"), result);
    stream->codecpar->codec_tag = MKTAG('X', 'V', 'I', 'D');

    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    result = av_frame_get_buffer(picture, 0);
    if (result < 0)
        return FailAv(QStringLiteral("cannot allocate a picture"), result);
    return true;
}

// Converts a frame into the picture that the following slots show: YUV 4:2:0 for the encoder, or the
// bottom-up BGR bitmap of the raw packet. A frame of another size is scaled; one a pixel wider or higher
// than an even-sized file is cropped.
bool TAviRecorder::TImpl::Convert(const QImage &source)
{
    QImage converted;
    const QImage *image = &source;
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32) {
        converted = source.convertToFormat(QImage::Format_RGB32);
        image = &converted;
    }
    int sourceWidth = image->width();
    int sourceHeight = image->height();
    if ((sourceWidth & ~1) == width && (sourceHeight & ~1) == height) {
        sourceWidth = width;
        sourceHeight = height;
    }
    const AVPixelFormat target = options.Compress ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR24;
    scaler = sws_getCachedContext(scaler, sourceWidth, sourceHeight, Rgb32PixelFormat(), width, height, target,
                                  SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return Fail(QStringLiteral("cannot convert the frame"));
    const uint8_t *sourcePlanes[1] = {image->constBits()};
    const int sourceStrides[1] = {int(image->bytesPerLine())};
    if (options.Compress) {
        // The encoder may still hold the previous picture.
        const int result = av_frame_make_writable(picture);
        if (result < 0)
            return FailAv(QStringLiteral("cannot allocate a picture"), result);
        sws_scale(scaler, sourcePlanes, sourceStrides, 0, sourceHeight, picture->data, picture->linesize);
    } else {
        uint8_t *bottomRow[1] = {packet->data + qsizetype(height - 1) * rawStride};
        const int upwards[1] = {-rawStride};
        sws_scale(scaler, sourcePlanes, sourceStrides, 0, sourceHeight, bottomRow, upwards);
    }
    havePicture = true;
    return true;
}

bool TAviRecorder::TImpl::Drain(AVFrame *frame)
{
    int result = avcodec_send_frame(encoder, frame);
    if (result < 0 && !(frame == nullptr && result == AVERROR_EOF))
        return FailAv(QStringLiteral("cannot encode a frame"), result);
    for (;;) {
        result = avcodec_receive_packet(encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return FailAv(QStringLiteral("cannot encode a frame"), result);
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        result = av_write_frame(format, packet);
        av_packet_unref(packet);
        if (result < 0)
            return FailAv(QStringLiteral("cannot write to the file"), result);
    }
}

// Writes the current picture into a slot.
bool TAviRecorder::TImpl::WriteSlot(qint64 slot)
{
    if (options.Compress) {
        picture->pts = slot;
        picture->quality = encoder->global_quality; // the fixed quantiser is taken from each picture
        picture->pict_type = AV_PICTURE_TYPE_NONE;
        if (!Drain(picture))
            return false;
    } else {
        packet->stream_index = stream->index;
        packet->pts = packet->dts = av_rescale_q(slot, timeBase, stream->time_base);
        const int result = av_write_frame(format, packet);
        if (result < 0)
            return FailAv(QStringLiteral("cannot write to the file"), result);
    }
    nextSlot = slot + 1;
    // Hand the written pictures to the file about once a second, so that a recording grows on disk while it
    // runs and a crash loses at most the last second (the index is still written only at the close).
    const qint64 slotsPerSecond = std::max<qint64>(1, std::llround(1.0 / av_q2d(timeBase)));
    if (format->pb && slot % slotsPerSecond == 0)
        avio_flush(format->pb);
    return true;
}

bool TAviRecorder::TImpl::Place(const TVideoFrame &frame)
{
    const double slotTicks = av_q2d(timeBase) * TicksPerSecond;
    qint64 slot = std::llround(double(frame.Time - origin) / slotTicks);
    if (havePicture && double(nextSlot - slot) * slotTicks > TicksPerSecond) {
        // The source's clock went back (it restarted): go on from here.
        origin = frame.Time - qint64(double(nextSlot) * slotTicks);
        slot = nextSlot;
    }
    if (slot < nextSlot && havePicture)
        return true; // this slot already shows a picture
    slot = qMax(slot, nextSlot);
    const qint64 maxFreeze = qint64(MaxFreezeSeconds * TicksPerSecond / slotTicks);
    if (slot - nextSlot > maxFreeze) {
        origin += qint64(double(slot - nextSlot - maxFreeze) * slotTicks);
        slot = nextSlot + maxFreeze;
    }
    // The previous picture stays on screen until this frame's time.
    while (havePicture && nextSlot < slot)
        if (!WriteSlot(nextSlot))
            return false;
    return Convert(frame.Image) && WriteSlot(slot);
}

void TAviRecorder::TImpl::Release()
{
    sws_freeContext(scaler);
    scaler = nullptr;
    av_packet_free(&packet);
    av_frame_free(&picture);
    avcodec_free_context(&encoder);
    if (format) {
        if (format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
    }
    stream = nullptr;
    headerWritten = havePicture = false;
    measured.clear();
}

TAviRecorder::TAviRecorder()
    : d(std::make_unique<TImpl>())
{
}

TAviRecorder::~TAviRecorder()
{
    Close();
}

bool TAviRecorder::Open(const QString &fileName, const TAviRecorderOptions &options)
{
    Close();
    d->options = options;
    d->fileName = fileName;
    d->lastError.clear();
    d->failed = false;
    d->nextSlot = 0;
    d->timeBase = AVRational{0, 1};
    if (options.Compress && (options.CompressorIndex < 0 || options.CompressorIndex >= AviCompressorNames().size()))
        return d->Fail(QStringLiteral("the video compressor is not installed"));
    const QByteArray path = QFile::encodeName(fileName);
    int result = avformat_alloc_output_context2(&d->format, nullptr, "avi", path.constData());
    if (result < 0 || !d->format)
        return d->FailAv(QStringLiteral("cannot create the AVI writer"), result);
    result = avio_open(&d->format->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0) {
        d->Release();
        return d->FailAv(QStringLiteral("cannot create ") + fileName, result);
    }
    return true;
}

bool TAviRecorder::WriteFrame(const TVideoFrame &frame)
{
    if (!d->format || d->failed)
        return false;
    if (frame.Image.isNull())
        return true;
    if (!d->headerWritten) {
        const double known = d->options.FrameRate;
        if (known > 0)
            return d->Start(frame, known) && d->Place(frame);
        d->measured.push_back(frame);
        const qint64 span = frame.Time - d->measured.front().Time;
        if (span < TicksPerSecond && int(d->measured.size()) < MaxMeasuredFrames)
            return true;
        return d->StartWithMeasuredFrames();
    }
    return d->Place(frame);
}

bool TAviRecorder::Close()
{
    if (!d->format)
        return !d->failed;
    bool ok = !d->failed;
    if (!d->headerWritten && !d->measured.empty() && !d->failed)
        ok = d->StartWithMeasuredFrames(); // stopped while the rate was still being measured
    const bool wroteHeader = d->headerWritten;
    if (wroteHeader) {
        if (d->encoder)
            ok = d->Drain(nullptr) && ok;
        const int result = av_write_trailer(d->format);
        if (result < 0)
            ok = d->FailAv(QStringLiteral("cannot finish the AVI file"), result);
    }
    if (d->format->pb && avio_closep(&d->format->pb) < 0)
        ok = d->Fail(QStringLiteral("cannot close ") + d->fileName);
    d->Release();
    if (!wroteHeader)
        QFile::remove(d->fileName); // no frame came: no file
    return ok;
}

bool TAviRecorder::IsOpen() const
{
    return d->format != nullptr;
}

QString TAviRecorder::FileName() const
{
    return d->fileName;
}

double TAviRecorder::FrameRate() const
{
    return d->timeBase.num > 0 ? av_q2d(av_inv_q(d->timeBase)) : 0;
}

qint64 TAviRecorder::FramesWritten() const
{
    return d->nextSlot;
}

QString TAviRecorder::LastError() const
{
    return d->lastError;
}
