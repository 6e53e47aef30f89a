#pragma once
// JPEG to 32-bit BGR frames with TurboJPEG, straight into reused picture buffers.
#include "capture/framebuffers.h"

#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <vector>

// Where a decoder takes its frame buffers: the buffers shared by all cameras (capture/framebuffers.h). A
// buffer handed out is shared with whoever keeps the frame (display slot, detector, recorder); it is taken
// again only when those have let go, so a frame that someone still holds is never overwritten.
class TFramePool
{
public:
    static constexpr qint64 MaxKeptBytes = MaxSpareFrameBufferBytes;

    // A Format_RGB32 picture of that size that nobody else holds (a spare one or a new one). Its buffer goes
    // back by itself once the last copy of the picture is gone.
    QImage Take(QSize size);
    // Spare buffers kept for reuse, and their bytes (shared by all pools).
    int Size() const;
    qint64 KeptBytes() const;
};

class TJpegDecoder
{
public:
    // Pictures larger than this per side are refused rather than allocated: 4096 x 4096 holds every
    // network camera picture up to 4K UHD and 12-megapixel 4:3 (4000 x 3000).
    static constexpr int MaxSide = 4096;
    static constexpr qint64 MaxPixels = qint64(MaxSide) * MaxSide;
    // A JPEG needs at least about one byte per 256 pixels (two bits per 8 x 8 block, grey, baseline); one
    // byte per 1024 pixels leaves a wide margin. A picture that claims more pixels is refused before any
    // buffer is allocated for it.
    static constexpr qint64 MaxPixelsPerByte = 1024;

    TJpegDecoder();
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder &) = delete;
    TJpegDecoder &operator=(const TJpegDecoder &) = delete;

    // Decodes into a picture from the pool (Format_RGB32, BGRX bytes). A truncated picture (no end marker,
    // or data that ends before the picture does), data that is not JPEG, a size beyond MaxSide, a size the
    // data is far too small for, or a fatal decoder error gives false and leaves `out` alone; recoverable
    // oddities that still give a whole picture are accepted.
    bool Decode(QByteArrayView jpeg, TFramePool &pool, QImage &out);
    // Why the last Decode failed.
    QString LastError() const { return m_error; }

private:
    void Renew();

    void *m_handle = nullptr;
    QString m_error;
};
