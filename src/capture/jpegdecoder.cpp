#include "capture/jpegdecoder.h"

#include "capture/framebuffers.h"

#include <turbojpeg.h>

#include <algorithm>

QImage TFramePool::Take(QSize size)
{
    return TakeFramePicture(size);
}

int TFramePool::Size() const
{
    return SpareFrameBuffers();
}

qint64 TFramePool::KeptBytes() const
{
    return SpareFrameBufferBytes();
}

namespace {

// Every whole JPEG ends with the EOI marker FF D9, possibly followed by a little padding. Inside the
// entropy-coded data an FF byte is always followed by 00 or a restart marker, so FF D9 near the end is
// the end marker.
bool HasEndMarker(QByteArrayView jpeg)
{
    const qsizetype from = std::max<qsizetype>(0, jpeg.size() - 64);
    for (qsizetype i = jpeg.size() - 2; i >= from; --i) {
        if (uchar(jpeg[i]) == 0xFF && uchar(jpeg[i + 1]) == 0xD9)
            return true;
    }
    return false;
}

} // namespace

TJpegDecoder::TJpegDecoder() : m_handle(tjInitDecompress()) {}

TJpegDecoder::~TJpegDecoder()
{
    if (m_handle)
        tjDestroy(m_handle);
}

// After an error TurboJPEG leaves the decompressor half-way through the broken picture, and every later
// picture fails with it ("SOS before SOF"): start again with a fresh one.
void TJpegDecoder::Renew()
{
    if (m_handle)
        tjDestroy(m_handle);
    m_handle = tjInitDecompress();
}

bool TJpegDecoder::Decode(QByteArrayView jpeg, TFramePool &pool, QImage &out)
{
    if (!m_handle) {
        m_error = QStringLiteral("no JPEG decoder");
        return false;
    }
    if (jpeg.size() < 4 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8) {
        m_error = QStringLiteral("not a JPEG picture");
        return false;
    }
    if (!HasEndMarker(jpeg)) {
        m_error = QStringLiteral("truncated JPEG picture");
        return false;
    }
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(m_handle, data, size, &width, &height, &subsamp, &colorspace) != 0) {
        m_error = QString::fromUtf8(tjGetErrorStr2(m_handle));
        Renew();
        return false;
    }
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide || qint64(width) * height > MaxPixels) {
        m_error = QStringLiteral("unsupported picture size %1 x %2").arg(width).arg(height);
        return false;
    }
    if (qint64(width) * height > qint64(size) * MaxPixelsPerByte) {
        m_error = QStringLiteral("%1 bytes cannot hold a picture of %2 x %3").arg(size).arg(width).arg(height);
        return false;
    }
    QImage image = pool.Take(QSize(width, height));
    if (image.isNull()) {
        m_error = QStringLiteral("out of memory");
        return false;
    }
    // Warnings about stray bytes are common in camera pictures and harmless; data that ends before the
    // picture does leaves part of it undecoded and is refused like a fatal error.
    if (tjDecompress2(m_handle, data, size, image.bits(), width, int(image.bytesPerLine()), height, TJPF_BGRX,
                      TJFLAG_LIMITSCANS) != 0) {
        const QString message = QString::fromUtf8(tjGetErrorStr2(m_handle));
        if (tjGetErrorCode(m_handle) == TJERR_FATAL || message.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) {
            m_error = message;
            Renew();
            return false;  // the buffer goes back as the picture goes
        }
    }
    out = std::move(image);
    return true;
}
