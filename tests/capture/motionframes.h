#pragma once
// Small hand-built frames for the motion detector tests.
#include "capture/motiondetector.h"

#include <QImage>

// A frame of one colour; 32-bit unless another format is given.
inline QImage SolidFrame(int width, int height, int b, int g, int r,
                         QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    const int bpp = format == QImage::Format_BGR888 ? 3 : 4;
    for (int y = 0; y < height; ++y) {
        uchar *p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += bpp) {
            p[0] = uchar(b);
            p[1] = uchar(g);
            p[2] = uchar(r);
            if (bpp == 4)
                p[3] = 0xFF;
        }
    }
    return image;
}

inline void SetBgr(QImage &image, int x, int y, int b, int g, int r)
{
    uchar *p = image.scanLine(y) + x * (image.format() == QImage::Format_BGR888 ? 3 : 4);
    p[0] = uchar(b);
    p[1] = uchar(g);
    p[2] = uchar(r);
}

inline TMotionResult Feed(TMotionDetector &detector, const QImage &image, qint64 time = 0)
{
    TVideoFrame frame;
    frame.Image = image;
    frame.Time = time;
    return detector.ProcessFrame(frame);
}

// "changed/compared" of one cell after the last analysed frame.
inline QString Counts(const TMotionDetector &detector, int x, int y)
{
    int changed = -1, compared = -1;
    detector.CellCounts(x, y, changed, compared);
    return QStringLiteral("%1/%2").arg(changed).arg(compared);
}
