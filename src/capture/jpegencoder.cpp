#include "capture/jpegencoder.h"

#include "core/safefile.h"

#include <QSysInfo>

#include <turbojpeg.h>

namespace {

// The TurboJPEG pixel format whose bytes match the QImage format, or -1.
int PixelFormatOf(QImage::Format format)
{
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return little ? TJPF_BGRX : TJPF_XRGB;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
        return TJPF_RGBX;
    case QImage::Format_RGB888:
        return TJPF_RGB;
    case QImage::Format_BGR888:
        return TJPF_BGR;
    case QImage::Format_Grayscale8:
        return TJPF_GRAY;
    default:
        return -1;
    }
}

} // namespace

TJpegEncoder::TJpegEncoder() = default;

TJpegEncoder::~TJpegEncoder()
{
    if (m_buffer)
        tjFree(m_buffer);
    if (m_handle)
        tjDestroy(m_handle);
}

bool TJpegEncoder::Encode(const QImage &image, int quality)
{
    m_size = 0;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        m_lastError = QStringLiteral("no picture to encode");
        return false;
    }
    if (!m_handle && !(m_handle = tjInitCompress())) {
        m_lastError = QString::fromLocal8Bit(tjGetErrorStr2(nullptr));
        return false;
    }
    QImage converted;
    const QImage *source = &image;
    int pixelFormat = PixelFormatOf(image.format());
    if (pixelFormat < 0) {
        converted = image.convertToFormat(QImage::Format_RGB32);
        source = &converted;
        pixelFormat = PixelFormatOf(QImage::Format_RGB32);
    }
    const int subsampling = pixelFormat == TJPF_GRAY ? TJSAMP_GRAY : TJSAMP_420;
    const unsigned long needed = tjBufSize(source->width(), source->height(), subsampling);
    if (needed > m_capacity) {
        if (m_buffer)
            tjFree(m_buffer);
        m_capacity = 0;
        m_buffer = tjAlloc(int(needed));
        if (!m_buffer) {
            m_lastError = QStringLiteral("out of memory");
            return false;
        }
        m_capacity = needed;
    }
    unsigned long size = m_capacity;
    const int result = tjCompress2(m_handle, source->constBits(), source->width(), int(source->bytesPerLine()),
                                   source->height(), pixelFormat, &m_buffer, &size, subsampling,
                                   qBound(10, quality, 100), TJFLAG_NOREALLOC);
    if (result != 0) {
        m_lastError = QString::fromLocal8Bit(tjGetErrorStr2(m_handle));
        return false;
    }
    m_size = size;
    return true;
}

QByteArrayView TJpegEncoder::Data() const
{
    return QByteArrayView(reinterpret_cast<const char *>(m_buffer), qsizetype(m_size));
}

bool TJpegEncoder::EncodeToFile(const QImage &image, int quality, const QString &fileName)
{
    if (!Encode(image, quality))
        return false;
    // Nothing is left behind when the picture cannot be written completely (a full disk).
    return ReplaceFileContent(fileName, Data(), &m_lastError);
}
