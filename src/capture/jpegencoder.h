#pragma once
// JPEG encoding of frames with TurboJPEG, for snapshots.
//
// One encoder keeps one compressor handle and one output buffer sized for the largest frame seen, so a
// steady stream of frames of one size allocates nothing but the file it writes. Frames in
// QImage::Format_RGB32 (our TVideoFrame pixels), ARGB32, RGB888 and Grayscale8 are compressed as they
// are; other formats are converted first.
//
// Threads: an encoder is used by one thread at a time (the capture component's worker thread).
#include <QByteArrayView>
#include <QImage>
#include <QString>

class TJpegEncoder
{
public:
    TJpegEncoder();
    ~TJpegEncoder();
    TJpegEncoder(const TJpegEncoder &) = delete;
    TJpegEncoder &operator=(const TJpegEncoder &) = delete;

    // Compresses the image at quality 10..100 (values outside are brought into that range), with 4:2:0
    // chroma. The result stays in Data() until the next call. False (and LastError) on failure.
    bool Encode(const QImage &image, int quality);
    QByteArrayView Data() const;

    // Encode, then write the file under a temporary name and rename it into place: the named file
    // appears whole or not at all, and is on disk when this returns true.
    bool EncodeToFile(const QImage &image, int quality, const QString &fileName);

    QString LastError() const { return m_lastError; }

private:
    void *m_handle = nullptr;          // tjhandle
    unsigned char *m_buffer = nullptr; // tjAlloc'd, m_capacity bytes
    unsigned long m_capacity = 0;
    unsigned long m_size = 0;
    QString m_lastError;
};
