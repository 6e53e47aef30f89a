#pragma once
// JPEG to 32-bit BGR frames with TurboJPEG, straight into reused picture buffers.
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <vector>

// A few frame buffers that are used again once nobody holds them any more. A buffer handed out is shared
// with whoever keeps the frame (display slot, detector, recorder); it is taken again only when those have
// let go, so a frame that someone still holds is never overwritten.
class TFramePool
{
public:
    explicit TFramePool(int capacity = 6) : m_capacity(capacity) {}
    // A Format_RGB32 picture of that size that nobody else holds (a pooled one or a new one).
    QImage Take(QSize size);
    // Keeps the buffer for later use (it is reused once every other holder has released it).
    void Give(const QImage &image);
    int Size() const { return int(m_images.size()); }

private:
    int m_capacity;
    std::vector<QImage> m_images;
};

class TJpegDecoder
{
public:
    // Pictures larger than this (per side, and in pixels) are refused rather than allocated.
    static constexpr int MaxSide = 8192;
    static constexpr qint64 MaxPixels = qint64(7680) * 4320;

    TJpegDecoder();
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder &) = delete;
    TJpegDecoder &operator=(const TJpegDecoder &) = delete;

    // Decodes into a picture from the pool (Format_RGB32, BGRX bytes). A truncated picture (no end marker),
    // data that is not JPEG, an absurd size or a fatal decoder error gives false and leaves `out` alone;
    // recoverable oddities that still give a whole picture are accepted.
    bool Decode(QByteArrayView jpeg, TFramePool &pool, QImage &out);
    // Why the last Decode failed.
    QString LastError() const { return m_error; }

private:
    void Renew();

    void *m_handle = nullptr;
    QString m_error;
};
